#include "platform/XdgDirs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <unordered_set>

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

}  // namespace

XdgDirs XdgDirs::fromEnvironment() {
  XdgDirs dirs;
  const auto home = environment("HOME");
  dirs.home = withoutTrailingSlashes(home && !home->empty() ? *home : std::string(1, '/'));
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
    for (auto& part : split(*desktops, ':')) {
      if (part.empty()) continue;
      for (char& c : part) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      }
      dirs.desktops.push_back(std::move(part));
    }
  }
  dirs.path = environment("PATH");
  return dirs;
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
