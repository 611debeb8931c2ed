#include "RunProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "Files.h"

extern char** environ;

namespace testsupport {
namespace {

std::vector<char*> cStrings(const std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  pointers.reserve(strings.size() + 1);
  for (const std::string& s : strings) pointers.push_back(const_cast<char*>(s.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

std::string findProgram(const std::string& name, const std::string& path) {
  if (name.find('/') != std::string::npos) return name;
  std::istringstream folders(path);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::string candidate = folder + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return name;
}

std::string pathOf(const std::optional<std::vector<std::string>>& environment) {
  if (!environment) {
    const char* path = std::getenv("PATH");
    return path != nullptr ? path : "";
  }
  for (const std::string& entry : *environment) {
    if (entry.starts_with("PATH=")) return entry.substr(5);
  }
  return "";
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::optional<std::vector<std::string>>& environment,
                         const ProcessOutput& output) {
  const int flags = O_WRONLY | O_CREAT | O_TRUNC | (output.append ? O_APPEND : 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.outPath.c_str(), flags, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, output.errPath.c_str(), flags, 0644);
  std::vector<char*> args = cStrings(argv);
  std::vector<char*> env = environment ? cStrings(*environment) : std::vector<char*>{};
  const std::string program = findProgram(argv.at(0), pathOf(environment));
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(),
                                  environment ? env.data() : environ);
  posix_spawn_file_actions_destroy(&actions);
  ProcessResult result;
  if (spawned != 0) return result;
  result.started = true;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  if (output.readOut) result.out = readFile(output.outPath);
  result.err = readFile(output.errPath);
  return result;
}

ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::optional<std::vector<std::string>>& environment) {
  const TempDir outputs("vrax-run");
  return runProcess(argv, environment, {outputs.path() + "/out", outputs.path() + "/err"});
}

}  // namespace testsupport
