// Helpers of the placeholder's tests: running a program the way a desktop opener does,
// with its output kept in files that processes it leaves behind keep writing to, and
// collecting every such process (this test process becomes the reaper of orphaned
// descendants). The XDG tree and file helpers are the shared ones of tests/support.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace quietling::test {

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
