// A temporary XDG tree for the tests of the real platform: every XDG variable, HOME and
// PATH point into a fresh folder, which is removed (and the environment restored) when
// the tree goes away. The system's shared MIME-info database is linked in as the
// database of the system data folder.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace platform::testing {

class TempTree final {
 public:
  TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;
  ~TempTree();

  const std::string& root() const { return root_; }
  std::string configHome() const { return root_ + "/config"; }
  std::string dataHome() const { return root_ + "/data"; }
  std::string systemData() const { return root_ + "/system"; }
  std::string systemConfig() const { return root_ + "/etc"; }
  std::string bin() const { return root_ + "/bin"; }
  std::string home() const { return root_ + "/home"; }

  // Writes a file below the root, creating its folders.
  void write(const std::string& relative, std::string_view contents) const;
  // An executable stub program named name in bin().
  void program(const std::string& name) const;
  // A minimal application entry in the system applications folder (or, with relative
  // set, at that path below the root) running program, declaring the MIME types.
  void application(const std::string& id, const std::string& program,
                   const std::string& mimeTypes = "", const std::string& extra = "",
                   const std::optional<std::string>& relative = std::nullopt) const;
  // Sets (or, with none, unsets) a variable until the tree goes away.
  void setEnv(const std::string& name, const std::optional<std::string>& value);
  // Runs a shell command with this tree's environment; answers its standard output.
  std::string run(const std::string& command) const;
  // The environment assignments for `env -i`, shell-quoted.
  std::string envPrefix() const;

 private:
  std::string root_;
  std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace platform::testing
