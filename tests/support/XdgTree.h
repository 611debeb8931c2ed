// The temporary XDG tree every test runs in: a fresh folder holding the user's folders
// (home, config, data, cache, runtime), the system's (etc for XDG_CONFIG_DIRS, system for
// XDG_DATA_DIRS, with the system's shared MIME-info database linked in as its "mime"),
// and a folder of programs first on PATH.
//
// While the tree exists, this process's HOME, XDG variables and PATH point into it, so
// code under test never sees the real user's files; they are restored when it goes.
// Programs run through run() get the same variables and nothing else of this process but
// its sanitizer options. The tree is removed with everything in it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Files.h"
#include "RunProcess.h"

namespace testsupport {

class XdgTree final {
 public:
  XdgTree();
  ~XdgTree();
  XdgTree(const XdgTree&) = delete;
  XdgTree& operator=(const XdgTree&) = delete;

  const std::string& root() const { return dir_.path(); }
  std::string home() const { return root() + "/home"; }
  std::string configHome() const { return root() + "/config"; }   // XDG_CONFIG_HOME
  std::string dataHome() const { return root() + "/data"; }       // XDG_DATA_HOME
  std::string configDirs() const { return root() + "/etc"; }      // XDG_CONFIG_DIRS
  std::string dataDirs() const { return root() + "/system"; }     // XDG_DATA_DIRS
  std::string cacheHome() const { return root() + "/cache"; }     // XDG_CACHE_HOME
  std::string runtimeDir() const { return root() + "/runtime"; }  // XDG_RUNTIME_DIR
  std::string bin() const { return root() + "/bin"; }
  // The user's and the system's applications folders.
  std::string applications() const { return dataHome() + "/applications"; }
  std::string systemApplications() const { return dataDirs() + "/applications"; }
  // The user's mimeapps.list.
  std::string userList() const { return configHome() + "/mimeapps.list"; }

  // Writes a file below the root, creating its folders.
  void write(const std::string& relative, std::string_view contents) const;
  // An executable stub program named name in bin().
  void program(const std::string& name) const;
  // A minimal application entry running program and declaring the MIME types, in the
  // system applications folder (or, with relative set, at that path below the root).
  void application(const std::string& id, const std::string& program,
                   const std::string& mimeTypes = "", const std::string& extra = "",
                   const std::optional<std::string>& relative = std::nullopt) const;

  // Sets (or, with none, unsets) a variable for this process and the programs run, until
  // the tree goes away.
  void setEnv(const std::string& name, const std::optional<std::string>& value);
  // The environment of a program run in this tree, as NAME=value entries.
  std::vector<std::string> environment() const;
  // Runs a program (a bare name is looked up in the tree's PATH) with the tree's
  // environment plus the extra NAME=value entries, and waits for it.
  ProcessResult run(const std::vector<std::string>& argv,
                    const std::vector<std::string>& extraEnvironment = {}) const;

  // The desktop file ID that `gio mime TYPE` or `xdg-mime query default TYPE` reports as
  // the default ("" when none), with XDG_CURRENT_DESKTOP set to desktop when it is given.
  std::string gioDefault(const std::string& type, const std::string& desktop = "") const;
  std::string xdgMimeDefault(const std::string& type, const std::string& desktop = "") const;

 private:
  TempDir dir_{"vrax-xdg"};
  std::map<std::string, std::optional<std::string>> variables_;  // the tree's
  std::map<std::string, std::optional<std::string>> saved_;      // this process's before
};

}  // namespace testsupport
