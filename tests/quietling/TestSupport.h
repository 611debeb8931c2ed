// Helpers shared by the placeholder's tests: temporary folders and XDG trees, running
// a program the way a desktop opener does, and collecting every process it leaves
// behind (this test process becomes the reaper of orphaned descendants).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quietling::test {

std::string readFile(const std::string& path);
void writeFile(const std::string& path, std::string_view content);
std::vector<std::string> lines(std::string_view text);

// A folder under the system's temporary folder, removed with everything in it.
class TempDir final {
 public:
  explicit TempDir(std::string_view label = "quietling-test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A private desktop: HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_DATA_DIRS (holding only
// a link to the system's shared MIME-info database), XDG_CONFIG_DIRS, XDG_CACHE_HOME
// and XDG_RUNTIME_DIR, all inside one temporary folder.
class XdgTree final {
 public:
  XdgTree();
  const std::string& root() const { return dir_.path(); }
  std::string home() const { return root() + "/home"; }
  std::string configHome() const { return root() + "/config"; }
  std::string dataHome() const { return root() + "/data"; }
  std::string dataDirs() const { return root() + "/data-dirs"; }
  std::string configDirs() const { return root() + "/config-dirs"; }
  std::string cacheHome() const { return root() + "/cache"; }
  std::string runtimeDir() const { return root() + "/runtime"; }

  // The environment of a program run on this desktop: these variables, this process's
  // PATH and sanitizer options, and nothing else (no display, no session bus).
  std::vector<std::string> environment() const;
  // Points this process's own XDG variables at the tree.
  void applyToThisProcess() const;

 private:
  TempDir dir_;
};

// Every file, folder and link under a folder, with contents and link targets.
std::map<std::string, std::string> snapshot(const std::string& folder);

struct ProcessResult {
  int exitStatus = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
  // The files behind out and err, to read again once processes it left have ended.
  std::string outPath;
  std::string errPath;
};

// Runs argv[0] (a path, or a name looked up in PATH) with the environment, standard
// input from /dev/null and both output streams into files, and waits for it. Any
// process it leaves running writes into the same files.
ProcessResult run(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                  const std::string& outputFolder);

struct ExitedProcess {
  pid_t pid = 0;
  std::string name;  // the process's command name
  int exitStatus = -1;
};

// Makes this process the parent of every orphan among its descendants.
void becomeSubreaper();
// Waits until this process has no child at all, reaping each one as it exits; none
// when some are still running when the timeout ends.
std::optional<std::vector<ExitedProcess>> reapAllChildren(std::chrono::seconds timeout);

}  // namespace quietling::test
