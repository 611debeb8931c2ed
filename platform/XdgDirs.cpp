#include "platform/XdgDirs.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

#include "platform/ApplicationNames.h"
#include "platform/Text.h"

namespace platform {
namespace {

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    parts.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// An absolute directory from the variable, else the fallback. The standard says a
// relative path in these variables is invalid and must be ignored.
std::string directory(const char* name, const std::string& fallback) {
  const auto value = environment(name);
  if (value && !value->empty() && value->front() == '/') return *value;
  return fallback;
}

std::vector<std::string> directoryList(const char* name, std::vector<std::string> fallback) {
  const auto value = environment(name);
  if (!value || value->empty()) return fallback;
  std::vector<std::string> result;
  for (auto& part : split(*value, ':')) {
    if (!part.empty() && part.front() == '/') result.push_back(std::move(part));
  }
  return result.empty() ? fallback : result;
}

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool isExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

// $HOME, or the home folder of the password database when HOME is unset or empty, as
// GLib does; "/" when neither says.
std::string homeFolder() {
  if (const auto home = environment("HOME"); home && !home->empty()) return *home;
  const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 16384, '\0');
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return "/";
}

}  // namespace

XdgDirs XdgDirs::fromEnvironment() {
  XdgDirs dirs;
  dirs.home = withoutTrailingSlashes(homeFolder());
  const std::string base = dirs.home == "/" ? "" : dirs.home;
  dirs.configHome = withoutTrailingSlashes(directory("XDG_CONFIG_HOME", base + "/.config"));
  dirs.dataHome = withoutTrailingSlashes(directory("XDG_DATA_HOME", base + "/.local/share"));
  // A folder named twice counts once, where it is first named: later names add nothing
  // but work.
  std::unordered_set<std::string> named{dirs.configHome};
  for (auto& dir : directoryList("XDG_CONFIG_DIRS", {"/etc/xdg"})) {
    std::string folder = withoutTrailingSlashes(std::move(dir));
    if (named.insert(folder).second) dirs.configDirs.push_back(std::move(folder));
  }
  named = {dirs.dataHome};
  for (auto& dir : directoryList("XDG_DATA_DIRS", {"/usr/local/share", "/usr/share"})) {
    std::string folder = withoutTrailingSlashes(std::move(dir));
    if (named.insert(folder).second) dirs.dataDirs.push_back(std::move(folder));
  }
  if (const auto desktops = environment("XDG_CURRENT_DESKTOP")) {
    for (const auto& part : split(*desktops, ':')) {
      std::string name = lowercase(part);
      if (isValidDesktopName(name)) dirs.desktops.push_back(std::move(name));
    }
  }
  dirs.path = environment("PATH");
  dirs.languages = localeKeys(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                              std::getenv("LC_MESSAGES"), std::getenv("LANG"));
  return dirs;
}

bool isValidDesktopName(std::string_view name) {
  return !name.empty() && name.front() != '.' && name.find('/') == std::string_view::npos &&
         std::none_of(name.begin(), name.end(), [](char c) {
           const auto u = static_cast<unsigned char>(c);
           return u < 0x20 || u == 0x7F;
         });
}

std::vector<std::string> XdgDirs::allDataDirs() const {
  std::vector<std::string> all{dataHome};
  all.insert(all.end(), dataDirs.begin(), dataDirs.end());
  return all;
}

std::optional<std::string> findProgram(std::string_view program,
                                       const std::optional<std::string>& path) {
  if (program.empty()) return std::nullopt;
  if (program.find('/') != std::string_view::npos) {
    std::string candidate(program);
    if (!isExecutableFile(candidate)) return std::nullopt;
    return candidate;
  }
  for (const auto& folder : split(path.value_or("/bin:/usr/bin:."), ':')) {
    std::string candidate = folder.empty() ? "." : folder;
    candidate += '/';
    candidate += program;
    if (isExecutableFile(candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace platform
