// The directories of the XDG Base Directory Specification as this process sees them:
// taken from the XDG_* variables, with the standard defaults where a variable is unset,
// empty or not absolute. Also the current desktops (XDG_CURRENT_DESKTOP) and the program
// search path, which decide which desktop-specific lists apply and which programs exist.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct XdgDirs {
  std::string home;
  std::string configHome;  // $XDG_CONFIG_HOME or ~/.config
  // Each folder once, in the order first named; none that is configHome (dataHome).
  std::vector<std::string> configDirs;  // $XDG_CONFIG_DIRS or /etc/xdg
  std::string dataHome;                 // $XDG_DATA_HOME or ~/.local/share
  std::vector<std::string> dataDirs;    // $XDG_DATA_DIRS or /usr/local/share, /usr/share
  // XDG_CURRENT_DESKTOP split at ':', each part lowercased; parts that cannot name a
  // list (isValidDesktopName) dropped.
  std::vector<std::string> desktops;
  std::optional<std::string> path;  // $PATH; none when unset

  // Reads the environment. Never fails: every missing value gets its default.
  static XdgDirs fromEnvironment();

  // Data directories in precedence order: dataHome first, then dataDirs.
  std::vector<std::string> allDataDirs() const;
};

// Whether a lowercased desktop name can name a desktop-specific list "<name>-mimeapps.list"
// in a folder: not empty, no "/", no leading ".", no control character.
bool isValidDesktopName(std::string_view name);

// Where a program named in a desktop entry would be run from, as a launcher finds it: a
// name holding '/' is taken as a path; any other name is searched in the folders of path
// (an empty folder meaning the current one; /bin:/usr/bin:. when path is none). Answers
// the executable regular file found, or none.
std::optional<std::string> findProgram(std::string_view program,
                                       const std::optional<std::string>& path);

}  // namespace platform
