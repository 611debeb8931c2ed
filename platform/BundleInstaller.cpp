#include "platform/BundleInstaller.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>

#include "platform/DesktopExec.h"
#include "platform/Handles.h"
#include "platform/KeyFile.h"
#include "platform/MimeAppsList.h"
#include "platform/MimeAppsWriter.h"

namespace platform {
namespace {

constexpr std::string_view kEntryGroup = "Desktop Entry";
constexpr std::string_view kDesktopSuffix = ".desktop";
constexpr std::uintmax_t kMaxEntrySize = 1 << 20;

// What the processes of a launch tell the launching one through their shared channel.
struct SpawnReport {
  enum Kind : int { kStarted = 1, kForkFailed, kExecFailed };
  int kind;
  int value;  // the program's process ID, or an errno value
};

std::nullopt_t failLaunch(Status* error, Status status) {
  if (error) *error = std::move(status);
  return std::nullopt;
}

std::nullopt_t failLaunch(Status* error, Status::Code code, std::string path, std::string reason) {
  return failLaunch(error, Status::fileError(code, std::move(path), std::move(reason)));
}

bool isExecutableFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

// A literal '%' in a program path must be doubled, or it would read as a field code.
std::string escapePercent(std::string_view text) {
  std::string out;
  for (const char c : text) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

// Writes text to path atomically, following a symlink there and keeping the mode of a
// file it replaces.
Status replaceFile(const std::string& path, const std::string& text) {
  const auto target = resolveSymlinks(path);
  if (!target) return Status::fileError(kStatusIOError, path, "cannot follow the symlink");
  std::optional<mode_t> mode;
  std::optional<std::pair<uid_t, gid_t>> owner;
  struct stat status {};
  if (::stat(target->c_str(), &status) == 0) {
    if (readSmallFile(*target, kMaxEntrySize) == text) return Status();
    mode = status.st_mode & 07777;
    owner = std::make_pair(status.st_uid, status.st_gid);
  }
  AtomicFile file;
  if (Status s = file.prepare(*target, text, mode, owner); !s.ok()) return s;
  return file.commit();
}

// Adds desktopFile to the types of a mimeinfo.cache that exists in folder. Readers
// that index a folder's entries through its cache would otherwise not see the new
// entry's types. A cache it cannot edit without loss is left alone.
void addToMimeCache(const std::string& folder, const std::string& desktopFile,
                    const std::vector<std::string>& types) {
  const std::string cache = folder + "/mimeinfo.cache";
  if (types.empty() || !std::filesystem::is_regular_file(cache)) return;
  const UniqueFd lock(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!lock) return;
  if (::flock(lock.get(), LOCK_EX) == 0) {
    if (const auto text = readSmallFile(cache, kMaxListBytes)) {
      auto list = MimeAppsList::parse(*text);
      if (list.editable()) {
        for (const auto& type : types) {
          if (!isValidMimeType(type)) continue;
          auto ids = list.values("MIME Cache", type);
          if (std::find(ids.begin(), ids.end(), desktopFile) != ids.end()) continue;
          std::string joined;
          for (const auto& id : ids) joined += id + ";";
          list.setValue("MIME Cache", type, joined + desktopFile + ";");
        }
        (void)replaceFile(cache, list.serialize());
      }
    }
  }
}

}  // namespace

std::optional<std::string> installBundle(const std::string& bundlePath,
                                         const std::string& applicationsDir, Status* error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path bundle = fs::absolute(bundlePath, ec).lexically_normal();
  if (ec || bundlePath.empty())
    return failLaunch(error, Status::error(kLSApplicationNotFoundErr, "no bundle path"));
  if (!bundle.has_filename()) bundle = bundle.parent_path();
  if (!fs::exists(bundle, ec)) {
    return failLaunch(error, kLSApplicationNotFoundErr, bundle.string(), "does not exist");
  }
  if (!fs::is_directory(bundle, ec)) {
    return failLaunch(error, kLSNotAnApplicationErr, bundle.string(), "not a bundle folder");
  }

  std::vector<fs::path> entries;
  for (const auto& item : fs::directory_iterator(bundle, ec)) {
    if (item.path().extension() == kDesktopSuffix && item.is_regular_file(ec)) {
      entries.push_back(item.path());
    }
  }
  if (entries.size() != 1) {
    return failLaunch(
        error, kLSNotAnApplicationErr, bundle.string(),
        "holds " + std::to_string(entries.size()) + " desktop entries instead of one");
  }
  const std::string fileName = entries.front().filename().string();
  if (!isValidDesktopFileId(fileName)) {
    return failLaunch(error, kLSNotAnApplicationErr, entries.front().string(),
                      "the file name is not a valid desktop file ID");
  }
  const std::string id = fileName.substr(0, fileName.size() - kDesktopSuffix.size());

  const auto text = readSmallFile(entries.front().string(), kMaxEntrySize);
  if (!text) {
    return failLaunch(error, kLSNotAnApplicationErr, entries.front().string(), "cannot be read");
  }
  auto entry = MimeAppsList::parse(*text);
  if (!entry.editable()) {
    return failLaunch(error, Status::fileError(kLSNotAnApplicationErr, entries.front().string(),
                                               entry.problems().front(), entry.firstProblemLine()));
  }
  if (entry.value(kEntryGroup, "Type") != "Application") {
    return failLaunch(error, kLSNotAnApplicationErr, entries.front().string(),
                      "not an application (Type is not Application)");
  }
  const auto exec = entry.value(kEntryGroup, "Exec");
  const auto argv = exec ? parseExec(*exec) : std::nullopt;
  if (!argv) {
    return failLaunch(error, kLSNotAnApplicationErr, entries.front().string(),
                      "no usable Exec key");
  }

  // The program: a path relative to the bundle, or an absolute one.
  const std::string& program = argv->front();
  const std::string programPath =
      program.starts_with('/') ? program : (bundle / program).lexically_normal().string();
  if (!isExecutableFile(programPath)) {
    return failLaunch(error, kLSApplicationNotFoundErr, programPath,
                      "the program of " + bundle.string() + " is missing or not executable");
  }
  // A "%" in the program's path is written "%%" in Exec, and readers that look for the
  // program before expanding field codes do not undo it, so they would not find it. Such
  // a bundle is run through a link to it in the data folder, whose path has no "%".
  std::string execPath = programPath;
  if (programPath.find('%') != std::string::npos) {
    const fs::path relative = fs::path(programPath).lexically_relative(bundle);
    const fs::path link = fs::path(applicationsDir).parent_path() / "vrax" / bundle.filename();
    if (relative.empty() || *relative.begin() == ".." ||
        link.string().find('%') != std::string::npos) {
      return failLaunch(error, kLSNotAnApplicationErr, programPath,
                        "a program whose path holds \"%\" cannot be named in Exec");
    }
    fs::create_directories(link.parent_path(), ec);
    const fs::path temporary = link.string() + "." + std::to_string(::getpid()) + ".tmp";
    fs::remove(temporary, ec);
    fs::create_directory_symlink(bundle, temporary, ec);
    if (!ec) fs::rename(temporary, link, ec);
    if (ec) {
      fs::remove(temporary, ec);
      return failLaunch(error, kLSUnknownErr, link.string(), "cannot link to " + bundle.string());
    }
    execPath = (link / relative).string();
  }
  std::string newExec = quoteExecArgument(escapePercent(execPath));
  for (std::size_t i = 1; i < argv->size(); ++i) {
    newExec += ' ';
    newExec += quoteExecArgument((*argv)[i]);
  }
  entry.setValue(kEntryGroup, "Exec", newExec);
  if (const auto tryExec = entry.value(kEntryGroup, "TryExec");
      tryExec && !tryExec->empty() && !tryExec->starts_with('/') &&
      isExecutableFile((bundle / *tryExec).string())) {
    entry.setValue(kEntryGroup, "TryExec", (bundle / *tryExec).lexically_normal().string());
  }

  if (::mkdir(applicationsDir.c_str(), 0700) != 0 && errno != EEXIST) {
    fs::create_directories(applicationsDir, ec);
  }
  if (!fs::is_directory(applicationsDir, ec)) {
    return failLaunch(error, kLSUnknownErr, applicationsDir, "cannot create the folder");
  }
  if (Status s = replaceFile(applicationsDir + "/" + fileName, entry.serialize()); !s.ok()) {
    return failLaunch(error, s.withCode(kLSUnknownErr));
  }
  addToMimeCache(applicationsDir, fileName, entry.values(kEntryGroup, "MimeType"));
  return id;
}

std::optional<RunningApplication> spawnDetached(const std::vector<std::string>& argv,
                                                Status* error) {
  if (argv.empty() || argv.front().empty())
    return failLaunch(error, Status::error(kLSUnknownErr, "nothing to start"));
  // Everything the child needs is prepared before fork: after it, only calls that are
  // safe in a forked process are made.
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const bool searchPath = argv.front().find('/') == std::string::npos;

  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    return failLaunch(error, kLSUnknownErr, argv.front(),
                      std::string("cannot be started: ") + std::strerror(errno));
  }
  UniqueFd reading(ends[0]);
  UniqueFd writing(ends[1]);
  const pid_t child = ::fork();
  if (child < 0) {
    return failLaunch(error, kLSUnknownErr, argv.front(),
                      std::string("cannot be started: ") + std::strerror(errno));
  }
  if (child == 0) {
    // The intermediate process: a new session, one more fork, then gone, so the
    // program is adopted by init (or the nearest subreaper) and is nobody's zombie.
    reading.reset();
    ::setsid();
    const pid_t program = ::fork();
    if (program == 0) {
      sigset_t none;
      sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      for (int sig = 1; sig < NSIG; ++sig) ::signal(sig, SIG_DFL);
      // Descriptors this process inherited stay with it: the program gets none but its
      // standard streams (the channel closes by itself at exec).
      (void)::close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC);
      const int null = ::open("/dev/null", O_RDWR);
      if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        if (null > STDERR_FILENO) ::close(null);
      }
      if (searchPath) {
        ::execvp(args[0], args.data());
      } else {
        ::execv(args[0], args.data());
      }
      const SpawnReport failure{SpawnReport::kExecFailed, errno};
      (void)!::write(writing.get(), &failure, sizeof failure);
      ::_exit(127);
    }
    const SpawnReport report = program > 0 ? SpawnReport{SpawnReport::kStarted, program}
                                           : SpawnReport{SpawnReport::kForkFailed, errno};
    (void)!::write(writing.get(), &report, sizeof report);
    ::_exit(0);
  }

  writing.reset();
  // Both processes write to the channel and either may come first, so each report says
  // what it is. A report is smaller than PIPE_BUF, so reports never interleave. The
  // channel reaches its end once the intermediate process is gone and the program has
  // replaced itself (exec closes the channel) or given up.
  std::optional<int> pid;
  std::optional<int> forkError;
  std::optional<int> execError;
  bool complete = true;
  for (;;) {
    SpawnReport report{};
    std::size_t got = 0;
    auto* bytes = reinterpret_cast<char*>(&report);
    while (got < sizeof report) {
      const ssize_t n = ::read(reading.get(), bytes + got, sizeof report - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    if (got == 0) break;
    if (got < sizeof report) {
      complete = false;
      break;
    }
    switch (report.kind) {
      case SpawnReport::kStarted:
        pid = report.value;
        break;
      case SpawnReport::kForkFailed:
        forkError = report.value;
        break;
      case SpawnReport::kExecFailed:
        execError = report.value;
        break;
      default:
        complete = false;
        break;
    }
  }
  reading.reset();
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }

  if (!pid || *pid <= 0 || !complete) {
    return failLaunch(
        error, kLSUnknownErr, argv.front(),
        std::string("cannot be started: ") + std::strerror(forkError ? *forkError : EIO));
  }
  if (execError) {
    const Status::Code code = *execError == ENOENT ? kLSApplicationNotFoundErr
                              : (*execError == EACCES || *execError == ENOEXEC)
                                  ? kLSNotAnApplicationErr
                                  : kLSUnknownErr;
    return failLaunch(error, code, argv.front(),
                      std::string("cannot be started: ") + std::strerror(*execError));
  }
  return RunningApplication{*pid};
}

}  // namespace platform
