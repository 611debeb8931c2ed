// Support for the tests of the platform layer's writing side: a temporary XDG tree that
// stands in for the user's folders, file helpers, and running the reference clients
// (gio, xdg-mime) inside that tree.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace platform::testing {

inline std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void writeText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline unsigned modeOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return 0;
  return status.st_mode & 07777;
}

// Single quotes for /bin/sh.
inline std::string shellQuote(const std::string& text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

// Runs a shell command and answers its standard output.
inline std::string run(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  ::pclose(pipe);
  return output;
}

// A temporary tree with the XDG folders: config (XDG_CONFIG_HOME), data
// (XDG_DATA_HOME), etc (XDG_CONFIG_DIRS), share (XDG_DATA_DIRS), home (HOME).
// Removed with everything in it when the object goes.
class TempXdgTree final {
 public:
  TempXdgTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vrax-writing-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    for (const char* folder :
         {"config", "data/applications", "etc", "share/applications", "home"}) {
      std::filesystem::create_directories(root_ + "/" + folder);
    }
  }
  TempXdgTree(const TempXdgTree&) = delete;
  TempXdgTree& operator=(const TempXdgTree&) = delete;
  ~TempXdgTree() {
    // Read-only folders made by a test must not stop the clean-up.
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(root_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
      if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
      }
    }
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(root_, ignored);
  }

  const std::string& root() const { return root_; }
  std::string config() const { return root_ + "/config"; }
  std::string dataHome() const { return root_ + "/data"; }
  std::string configDirs() const { return root_ + "/etc"; }
  std::string dataDirs() const { return root_ + "/share"; }
  std::string home() const { return root_ + "/home"; }
  std::string applications() const { return dataHome() + "/applications"; }

  // A desktop entry in XDG_DATA_HOME/applications whose program exists.
  void addApplication(const std::string& id, const std::string& mimeTypes) const {
    writeText(applications() + "/" + id + ".desktop",
              "[Desktop Entry]\nType=Application\nName=" + id +
                  "\nExec=/bin/true %u\nMimeType=" + mimeTypes + "\n");
  }

  // The environment prefix for a command run inside this tree, with only the given
  // desktop in XDG_CURRENT_DESKTOP (none when empty).
  std::string environment(const std::string& desktop) const {
    std::string env =
        "env -i PATH=/usr/bin:/bin GIO_USE_VFS=local HOME=" + shellQuote(home()) +
        " XDG_CONFIG_HOME=" + shellQuote(config()) + " XDG_DATA_HOME=" + shellQuote(dataHome()) +
        " XDG_CONFIG_DIRS=" + shellQuote(configDirs()) + " XDG_DATA_DIRS=" + shellQuote(dataDirs());
    if (!desktop.empty()) env += " XDG_CURRENT_DESKTOP=" + shellQuote(desktop);
    return env + " ";
  }

  // The desktop file ID that `gio mime TYPE` reports as the default, or "".
  std::string gioDefault(const std::string& type, const std::string& desktop = "") const {
    const std::string out =
        run(environment(desktop) + "gio mime " + shellQuote(type) + " 2>/dev/null");
    if (out.rfind("Default application for", 0) != 0) return "";
    const std::string first = out.substr(0, out.find('\n'));
    return first.substr(first.rfind(": ") + 2);
  }

  // The desktop file ID that `xdg-mime query default TYPE` reports, or "".
  std::string xdgMimeDefault(const std::string& type, const std::string& desktop = "") const {
    std::string out =
        run(environment(desktop) + "xdg-mime query default " + shellQuote(type) + " 2>/dev/null");
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
  }

 private:
  std::string root_;
};

}  // namespace platform::testing
