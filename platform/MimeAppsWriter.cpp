#include "platform/MimeAppsWriter.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <thread>

#include "platform/DesktopEntry.h"
#include "platform/Handles.h"
#include "platform/MimeAppsList.h"
#include "platform/MimeDatabase.h"
#include "platform/XdgDirs.h"

namespace platform {
namespace {

constexpr int kMaxSymlinks = 40;

// A failure of a system call on path: permission problems are told apart from others.
Status failErrno(const std::string& path, const std::string& what, int error) {
  const Status::Code code = (error == EACCES || error == EPERM || error == EROFS)
                                ? kStatusPermissionDenied
                                : kStatusIOError;
  return Status::fileError(code, path, what + ": " + std::strerror(error));
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Writable for this process and not made read-only by its mode: a file or folder whose
// owner made it read-only is refused even to a process that could override that.
bool writable(const std::string& path, const struct stat& status) {
  return (status.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

Status makeFolders(const std::string& path) {
  std::string prefix;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = path.find('/', start);
    prefix = path.substr(0, slash);
    start = slash == std::string::npos ? path.size() + 1 : slash + 1;
    if (prefix.empty()) continue;
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
      return failErrno(prefix, "cannot create the folder", errno);
    }
  }
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
    return Status::fileError(kStatusIOError, path, "not a folder");
  }
  return Status();
}

Status readFile(const std::string& path, std::string& contents) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) return failErrno(path, "cannot be read", errno);
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return failErrno(path, "cannot be read", errno);
    }
    contents.append(buffer, static_cast<std::size_t>(n));
  }
  return Status();
}

bool writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// One list to rewrite: where its contents go and what they become.
struct PlannedEdit {
  std::string target;  // the real file, symlinks followed
  std::string contents;
  std::optional<mode_t> mode;
  std::optional<std::pair<uid_t, gid_t>> owner;
};

// Reads the list at path (following symlinks), applies the change, and checks that the
// result can be written. The main list is made when it does not exist; a missing
// desktop-specific list is skipped.
Status planEdit(const std::string& path, bool isMainList, std::string_view mimeType,
                std::string_view desktopId, const MimeAppsList::SameType& sameType,
                std::optional<PlannedEdit>& plan) {
  const auto target = resolveSymlinks(path);
  if (!target) return Status::fileError(kStatusIOError, path, "cannot follow the symlink");

  PlannedEdit edit{*target, {}, std::nullopt, std::nullopt};
  std::string before;
  struct stat status {};
  if (::stat(target->c_str(), &status) == 0) {
    if (!S_ISREG(status.st_mode)) return Status::fileError(kStatusIOError, *target, "not a file");
    if (static_cast<std::uintmax_t>(status.st_size) > kMaxListBytes) {
      return Status::fileError(kStatusNotEditable, *target,
                               "larger than " + std::to_string(kMaxListBytes >> 20) +
                                   " MB, the most any reader of it reads");
    }
    if (Status s = readFile(*target, before); !s.ok()) return s;
    edit.mode = status.st_mode & 07777;
    edit.owner = std::make_pair(status.st_uid, status.st_gid);
  } else if (errno != ENOENT) {
    return failErrno(*target, "cannot be examined", errno);
  } else if (!isMainList) {
    return Status();
  }

  auto list = MimeAppsList::parse(before);
  const auto refuseUnlessEditable = [&]() -> Status {
    if (list.editable()) return Status();
    return Status::fileError(kStatusNotEditable, *target,
                             "cannot be edited without loss: " + list.problems().front(),
                             list.firstProblemLine());
  };
  if (isMainList) {
    if (Status s = refuseUnlessEditable(); !s.ok()) return s;
    list.setDefault(mimeType, desktopId, sameType);
  } else {
    // A desktop-specific list takes precedence where it names a default for the type;
    // there its default changes too. Such a list may hold only defaults (readers
    // ignore associations in it), so nothing else is added to it.
    if (!list.hasDefault(mimeType, sameType)) return Status();
    list.setDefaultApplication(mimeType, desktopId, sameType);
    if (list.serialize() == before) return Status();
    if (Status s = refuseUnlessEditable(); !s.ok()) return s;
  }
  edit.contents = list.serialize();
  if (edit.contents == before) return Status();
  // A list grown past the limit would be passed over whole by every reader.
  if (edit.contents.size() > kMaxListBytes) {
    return Status::fileError(kStatusNotEditable, *target,
                             "the change would make it larger than " +
                                 std::to_string(kMaxListBytes >> 20) +
                                 " MB, the most any reader of it reads");
  }

  if (edit.mode && !writable(*target, status)) {
    return Status::fileError(kStatusPermissionDenied, *target, "not writable");
  }
  const std::string folder = folderOf(*target);
  struct stat folderStatus {};
  if (::stat(folder.c_str(), &folderStatus) != 0) {
    return failErrno(folder, "cannot be examined", errno);
  }
  if (!writable(folder, folderStatus)) {
    return Status::fileError(kStatusPermissionDenied, folder, "the folder is not writable");
  }
  plan = std::move(edit);
  return Status();
}

}  // namespace

std::vector<std::string> userLists(const std::string& configHome,
                                   const std::vector<std::string>& desktops) {
  std::vector<std::string> lists;
  for (const auto& desktop : desktops) {
    const std::string name = lowercase(desktop);
    if (!isValidDesktopName(name)) continue;
    const std::string path = configHome + "/" + name + "-mimeapps.list";
    if (std::find(lists.begin(), lists.end(), path) == lists.end()) lists.push_back(path);
  }
  lists.push_back(configHome + "/mimeapps.list");
  return lists;
}

std::optional<std::string> resolveSymlinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops <= kMaxSymlinks; ++hops) {
    struct stat status {};
    if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
    std::string link(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 255) + 1, '\0');
    const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
    if (n < 0 || static_cast<std::size_t>(n) >= link.size()) return std::nullopt;
    link.resize(static_cast<std::size_t>(n));
    current = link.starts_with('/') ? link : folderOf(current) + "/" + link;
  }
  return std::nullopt;
}

AtomicFile::~AtomicFile() {
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

Status AtomicFile::prepare(const std::string& target, std::string_view contents,
                           std::optional<mode_t> mode,
                           std::optional<std::pair<uid_t, gid_t>> owner) {
  target_ = target;
  const std::string folder = folderOf(target);
  UniqueFd fd;
  for (unsigned attempt = 0; fd.get() < 0; ++attempt) {
    const std::string name = folder + "/." + baseOf(target) + "." + std::to_string(::getpid()) +
                             "-" + std::to_string(attempt) + ".tmp";
    fd.reset(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                    mode ? *mode : 0666));
    if (fd.get() >= 0) {
      temporary_ = name;
    } else if (errno != EEXIST || attempt > 100) {
      return failErrno(folder, "cannot create a file in the folder", errno);
    }
  }
  // The mode given at creation passes through the umask; an existing file's mode is
  // restored exactly.
  if (mode && ::fchmod(fd.get(), *mode) != 0) {
    return failErrno(temporary_, "cannot set the permissions", errno);
  }
  if (owner && (owner->first != ::geteuid() || owner->second != ::getegid())) {
    // Giving the file back to its owner takes privilege; without it the file becomes
    // the writer's, as any rewrite by that user would make it.
    (void)!::fchown(fd.get(), owner->first, owner->second);
  }
  if (!writeAll(fd.get(), contents) || ::fsync(fd.get()) != 0) {
    return failErrno(temporary_, "cannot be written", errno);
  }
  if (!fd.close()) return failErrno(temporary_, "cannot be written", errno);
  return Status();
}

Status AtomicFile::commit() {
  if (temporary_.empty()) return Status::fileError(kStatusIOError, target_, "nothing prepared");
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    return failErrno(target_, "cannot be replaced", errno);
  }
  // The folder is not flushed: the contents are on disk before the rename, so after a
  // crash the file is the old one or the new one, whole, never empty or a part. Only a
  // change made just before a power loss may be lost, as with any desktop program.
  temporary_.clear();
  return Status();
}

namespace {

// Takes the exclusive lock, waiting at most wait for another holder to let it go.
Status lockWithin(int fd, const std::string& folder, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return Status();
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return failErrno(folder, "cannot be locked", errno);
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      return Status::fileError(kStatusIOError, folder, "another process holds the lock");
    }
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
}

// The process ID in the name of a temporary file that AtomicFile made for the file
// named base (".BASE.PID-N.tmp"); none for any other name.
std::optional<pid_t> temporaryOwner(std::string_view name, std::string_view base) {
  const std::string head = "." + std::string(base) + ".";
  if (!name.starts_with(head) || !name.ends_with(".tmp")) return std::nullopt;
  std::string_view rest = name.substr(head.size(), name.size() - head.size() - 4);
  const std::size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9 || dash + 1 == rest.size()) {
    return std::nullopt;
  }
  const auto digits = [](std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!digits(rest.substr(0, dash)) || !digits(rest.substr(dash + 1))) return std::nullopt;
  return static_cast<pid_t>(std::stol(std::string(rest.substr(0, dash))));
}

// Removes what writers killed mid-change left beside the list at path: its temporary
// files whose process no longer runs.
void removeLeftovers(const std::string& path) {
  const auto target = resolveSymlinks(path);
  if (!target) return;
  const std::string folder = folderOf(*target);
  const std::string base = baseOf(*target);
  const UniqueDir dir(::opendir(folder.c_str()));
  if (!dir) return;
  while (const dirent* item = ::readdir(dir.get())) {
    const auto owner = temporaryOwner(item->d_name, base);
    if (!owner || *owner <= 0 || *owner == ::getpid()) continue;
    if (::kill(*owner, 0) == 0 || errno != ESRCH) continue;  // it runs, or may
    ::unlinkat(::dirfd(dir.get()), item->d_name, 0);
  }
}

}  // namespace

Status setUserDefault(const std::string& configHome, const std::vector<std::string>& desktops,
                      std::string_view mimeType, std::string_view desktopId,
                      const MimeAppsList::SameType& sameType, const VerifyChange& verify,
                      std::chrono::milliseconds lockWait) {
  if (!isValidMimeType(mimeType)) {
    return Status::error(kStatusInvalidArgument,
                         std::string("\"").append(mimeType) + "\" is not a valid MIME type");
  }
  if (!isValidDesktopFileId(desktopId)) {
    return Status::error(kStatusInvalidArgument,
                         std::string("\"").append(desktopId) + "\" is not a valid desktop file ID");
  }
  if (configHome.empty() || configHome.front() != '/') {
    return Status::fileError(kStatusInvalidArgument, configHome,
                             "the configuration folder is not an absolute path");
  }
  if (Status s = makeFolders(configHome); !s.ok()) return s;

  // Every writer takes this lock for its whole read-change-write cycle, so no change
  // made by a concurrent writer is lost.
  UniqueFd lock(::open(configHome.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (lock.get() < 0) return failErrno(configHome, "cannot be opened", errno);
  if (Status s = lockWithin(lock.get(), configHome, lockWait); !s.ok()) return s;

  std::vector<std::string> lists = userLists(configHome, desktops);
  for (const auto& list : lists) removeLeftovers(list);
  // What the lists hold now, to put back when the change does not verify.
  std::vector<std::pair<std::string, std::optional<std::string>>> before;
  if (verify) {
    for (const auto& list : lists) {
      const std::string target = resolveSymlinks(list).value_or(list);
      before.emplace_back(target, readSmallFile(target, kMaxListBytes));
    }
  }
  const std::string mainList = lists.back();
  lists.pop_back();

  std::vector<PlannedEdit> plans;
  for (std::size_t i = 0; i <= lists.size(); ++i) {
    const bool isMain = i == lists.size();
    std::optional<PlannedEdit> plan;
    if (Status s =
            planEdit(isMain ? mainList : lists[i], isMain, mimeType, desktopId, sameType, plan);
        !s.ok()) {
      return s;
    }
    if (plan) plans.push_back(std::move(*plan));
  }

  std::vector<std::unique_ptr<AtomicFile>> files;
  for (const auto& plan : plans) {
    files.push_back(std::make_unique<AtomicFile>());
    if (Status s = files.back()->prepare(plan.target, plan.contents, plan.mode, plan.owner);
        !s.ok()) {
      return s;
    }
  }
  for (auto& file : files) {
    if (Status s = file->commit(); !s.ok()) return s;
  }
  if (!verify) return Status();
  Status verified = verify();
  if (verified.ok()) return verified;
  for (const auto& [path, bytes] : before) {
    if (bytes) {
      struct stat info {};
      std::optional<mode_t> mode;
      if (::stat(path.c_str(), &info) == 0) mode = info.st_mode & 07777;
      AtomicFile file;
      if (file.prepare(path, *bytes, mode, std::nullopt).ok()) (void)file.commit();
    } else {
      ::unlink(path.c_str());
    }
  }
  return verified;
}

}  // namespace platform
