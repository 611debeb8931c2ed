// Running a program the way the end-to-end tests need: standard input from /dev/null,
// both output streams into files, and a wait for its exit. Shared by the tests of every
// subsystem that runs a real binary.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct ProcessResult {
  int exitStatus = -1;  // -1 when it did not exit normally
  int signal = 0;       // the signal that ended it, if one did
  bool started = false;
  std::string out;  // empty when standard output went to a file the caller named
  std::string err;
};

struct ProcessOutput {
  std::string outPath;
  std::string errPath;
  // Whether out is read back afterwards (a caller pointing it at /dev/full does not).
  bool readOut = true;
  // Appending keeps what processes the program left behind write later.
  bool append = false;
};

// Runs argv[0] (a path, or a name looked up in the PATH of the environment) with the
// environment (none: this process's own), and waits for it.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::optional<std::vector<std::string>>& environment,
                         const ProcessOutput& output);
// The same with both output streams read back from files of a temporary folder that goes
// away afterwards.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::optional<std::vector<std::string>>& environment);

}  // namespace testsupport
