#include "XdgTree.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

namespace testsupport {
namespace fs = std::filesystem;

namespace {

std::vector<std::string> desktopEnvironment(const std::string& desktop) {
  if (desktop.empty()) return {};
  return {"XDG_CURRENT_DESKTOP=" + desktop};
}

}  // namespace

XdgTree::XdgTree() {
  for (const std::string& folder : {home(), configHome(), applications(), configDirs(),
                                    systemApplications(), cacheHome(), runtimeDir(), bin()}) {
    fs::create_directories(folder);
  }
  fs::permissions(runtimeDir(), fs::perms::owner_all, fs::perm_options::replace);
  fs::create_directory_symlink("/usr/share/mime", dataDirs() + "/mime");
  setEnv("HOME", home());
  setEnv("XDG_CONFIG_HOME", configHome());
  setEnv("XDG_DATA_HOME", dataHome());
  setEnv("XDG_CONFIG_DIRS", configDirs());
  setEnv("XDG_DATA_DIRS", dataDirs());
  setEnv("XDG_CACHE_HOME", cacheHome());
  setEnv("XDG_RUNTIME_DIR", runtimeDir());
  setEnv("XDG_CURRENT_DESKTOP", std::nullopt);
  setEnv("PATH", bin() + ":/usr/bin:/bin");
  setEnv("LANG", "C.UTF-8");
  // GIO's own local file access, not a daemon of the user's session.
  setEnv("GIO_USE_VFS", "local");
}

XdgTree::~XdgTree() {
  for (const auto& [name, value] : saved_) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
}

void XdgTree::write(const std::string& relative, std::string_view contents) const {
  writeFile(root() + "/" + relative, contents);
}

void XdgTree::program(const std::string& name) const {
  write("bin/" + name, "#!/bin/sh\nexit 0\n");
  ::chmod((bin() + "/" + name).c_str(), 0755);
}

void XdgTree::application(const std::string& id, const std::string& program,
                          const std::string& mimeTypes, const std::string& extra,
                          const std::optional<std::string>& relative) const {
  std::string text =
      "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=" + program + " %U\n";
  if (!mimeTypes.empty()) text += "MimeType=" + mimeTypes + "\n";
  text += extra;
  write(relative.value_or("system/applications/" + id + ".desktop"), text);
}

void XdgTree::setEnv(const std::string& name, const std::optional<std::string>& value) {
  if (!saved_.contains(name)) {
    const char* old = ::getenv(name.c_str());
    saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
  }
  variables_[name] = value;
  if (value) {
    ::setenv(name.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(name.c_str());
  }
}

std::vector<std::string> XdgTree::environment() const {
  std::vector<std::string> entries;
  for (const auto& [name, value] : variables_) {
    if (value) entries.push_back(name + "=" + *value);
  }
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    if (const char* value = ::getenv(name)) entries.push_back(std::string(name) + "=" + value);
  }
  return entries;
}

ProcessResult XdgTree::run(const std::vector<std::string>& argv,
                           const std::vector<std::string>& extraEnvironment) const {
  std::vector<std::string> entries = environment();
  for (const std::string& extra : extraEnvironment) {
    const std::string name = extra.substr(0, extra.find('='));
    std::erase_if(entries, [&](const std::string& e) { return e.starts_with(name + "="); });
    entries.push_back(extra);
  }
  return runProcess(argv, entries);
}

std::string XdgTree::gioDefault(const std::string& type, const std::string& desktop) const {
  const std::string out = run({"gio", "mime", type}, desktopEnvironment(desktop)).out;
  // "Default application for “TYPE”: ID"
  const std::string marker = "\xe2\x80\x9d: ";
  const std::size_t start = out.find("Default application for ");
  if (start == std::string::npos) return "";
  const std::size_t value = out.find(marker, start);
  if (value == std::string::npos) return "";
  const std::size_t end = out.find('\n', value);
  return out.substr(value + marker.size(), end - value - marker.size());
}

std::string XdgTree::xdgMimeDefault(const std::string& type, const std::string& desktop) const {
  std::string out = run({"xdg-mime", "query", "default", type}, desktopEnvironment(desktop)).out;
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

}  // namespace testsupport
