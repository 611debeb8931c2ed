#include "TestSupport.h"

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "RunProcess.h"

namespace quietling::test {
namespace fs = std::filesystem;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> lines(std::string_view text) {
  std::vector<std::string> result;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    result.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return result;
}

TempDir::TempDir(std::string_view label) {
  std::string pattern = (fs::temp_directory_path() / (std::string(label) + ".XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code error;
  // Folders a test closed to everyone are opened again so that they can be emptied.
  for (auto it = fs::recursive_directory_iterator(path_, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
  }
  fs::remove_all(path_, error);
}

XdgTree::XdgTree() : dir_("quietling-xdg") {
  for (const std::string& folder :
       {home(), configHome(), dataHome(), dataDirs(), configDirs(), cacheHome(), runtimeDir()}) {
    fs::create_directories(folder);
  }
  fs::permissions(runtimeDir(), fs::perms::owner_all, fs::perm_options::replace);
  fs::create_directory_symlink("/usr/share/mime", dataDirs() + "/mime");
}

std::vector<std::string> XdgTree::environment() const {
  std::vector<std::string> environment = {
      "HOME=" + home(),
      "XDG_CONFIG_HOME=" + configHome(),
      "XDG_DATA_HOME=" + dataHome(),
      "XDG_DATA_DIRS=" + dataDirs(),
      "XDG_CONFIG_DIRS=" + configDirs(),
      "XDG_CACHE_HOME=" + cacheHome(),
      "XDG_RUNTIME_DIR=" + runtimeDir(),
  };
  for (const char* name : {"PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name))
      environment.push_back(std::string(name) + "=" + value);
  }
  return environment;
}

void XdgTree::applyToThisProcess() const {
  for (const std::string& entry : environment()) {
    const std::size_t equals = entry.find('=');
    ::setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
  }
}

std::map<std::string, std::string> snapshot(const std::string& folder) {
  std::map<std::string, std::string> entries;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().lexically_relative(folder).string();
    if (entry.is_symlink()) {
      entries[name] = "link:" + fs::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      entries[name] = "folder";
    } else {
      entries[name] = "file:" + readFile(entry.path().string());
    }
  }
  return entries;
}

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
    process.name = readFile("/proc/" + std::to_string(info.si_pid) + "/comm");
    if (!process.name.empty() && process.name.back() == '\n') process.name.pop_back();
    int status = 0;
    ::waitpid(info.si_pid, &status, 0);
    process.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    exited.push_back(process);
  }
}

}  // namespace quietling::test
