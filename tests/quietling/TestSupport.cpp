#include "TestSupport.h"

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "Files.h"
#include "RunProcess.h"

namespace quietling::test {

ProcessResult run(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                  const std::string& outputFolder) {
  static int counter = 0;
  const std::string stem = outputFolder + "/run" + std::to_string(++counter);
  ProcessResult result;
  result.outPath = stem + ".out";
  result.errPath = stem + ".err";
  const testsupport::ProcessResult ran = testsupport::runProcess(
      argv, environment, {result.outPath, result.errPath, /*readOut=*/true, /*append=*/true});
  if (!ran.started) {
    result.err = "cannot start " + argv.at(0);
    return result;
  }
  result.exitStatus = ran.exitStatus;
  result.out = ran.out;
  result.err = ran.err;
  return result;
}

void becomeSubreaper() {
  if (::prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) throw std::runtime_error("PR_SET_CHILD_SUBREAPER");
}

std::optional<std::vector<ExitedProcess>> reapAllChildren(std::chrono::seconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::vector<ExitedProcess> exited;
  for (;;) {
    siginfo_t info{};
    if (::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
      if (errno == EINTR) continue;
      return exited;  // ECHILD: no child left
    }
    if (info.si_pid == 0) {
      if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    ExitedProcess process;
    process.pid = info.si_pid;
    process.name = testsupport::readFile("/proc/" + std::to_string(info.si_pid) + "/comm");
    if (!process.name.empty() && process.name.back() == '\n') process.name.pop_back();
    int status = 0;
    ::waitpid(info.si_pid, &status, 0);
    process.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    exited.push_back(process);
  }
}

}  // namespace quietling::test
