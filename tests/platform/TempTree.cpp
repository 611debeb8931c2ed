#include "TempTree.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace platform::testing {

namespace fs = std::filesystem;

TempTree::TempTree() {
  std::string pattern = (fs::temp_directory_path() / "vrax-platform-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  for (const auto* folder : {"config", "data", "system/applications", "etc", "bin", "home"}) {
    fs::create_directories(root_ + "/" + folder);
  }
  fs::create_directory_symlink("/usr/share/mime", root_ + "/system/mime");
  setEnv("HOME", home());
  setEnv("XDG_CONFIG_HOME", configHome());
  setEnv("XDG_DATA_HOME", dataHome());
  setEnv("XDG_DATA_DIRS", systemData());
  setEnv("XDG_CONFIG_DIRS", systemConfig());
  setEnv("PATH", bin());
  setEnv("XDG_CURRENT_DESKTOP", std::nullopt);
}

TempTree::~TempTree() {
  for (const auto& [name, value] : saved_) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

void TempTree::write(const std::string& relative, std::string_view contents) const {
  const fs::path path = fs::path(root_) / relative;
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

void TempTree::program(const std::string& name) const {
  write("bin/" + name, "#!/bin/sh\nexit 0\n");
  ::chmod((bin() + "/" + name).c_str(), 0755);
}

void TempTree::application(const std::string& id, const std::string& program,
                           const std::string& mimeTypes, const std::string& extra,
                           const std::optional<std::string>& relative) const {
  std::string text =
      "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=" + program + " %U\n";
  if (!mimeTypes.empty()) text += "MimeType=" + mimeTypes + "\n";
  text += extra;
  write(relative.value_or("system/applications/" + id + ".desktop"), text);
}

void TempTree::setEnv(const std::string& name, const std::optional<std::string>& value) {
  if (saved_.count(name) == 0) {
    const char* old = ::getenv(name.c_str());
    saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
  }
  if (value) {
    ::setenv(name.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(name.c_str());
  }
}

std::string TempTree::envPrefix() const {
  std::string prefix = "/usr/bin/env -i";
  for (const auto& [name, ignored] : saved_) {
    if (const char* value = ::getenv(name.c_str())) {
      prefix += " " + name + "='" + value + "'";
    }
  }
  return prefix;
}

std::string TempTree::run(const std::string& command) const {
  const std::string line = envPrefix() + " " + command;
  FILE* pipe = ::popen(line.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string output;
  char buffer[4096];
  std::size_t n;
  while ((n = ::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  ::pclose(pipe);
  return output;
}

}  // namespace platform::testing
