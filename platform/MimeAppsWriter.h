// Changing the user's default application of a MIME type: the one writer of the user's
// mimeapps.list files. It validates before it touches anything, edits losslessly
// (MimeAppsList), writes atomically (AtomicFile), follows and keeps symlinks, keeps
// permissions, and serialises concurrent writers with an exclusive lock.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/MimeAppsList.h"
#include "platform/Platform.h"

namespace platform {

// Makes desktopId the default of mimeType for the user: edits configHome/mimeapps.list
// (creating it and configHome if needed) and, where a desktop-specific user list
// configHome/<desktop>-mimeapps.list (desktops: XDG_CURRENT_DESKTOP parts, lowercased)
// names another default for the type, that list's default too (such a list holds only
// defaults, so nothing else is added to it). Validates first; atomic (temp file in the real
// target's folder, fsync, rename; symlinks followed and kept, permissions kept); safe
// between concurrent processes (an exclusive lock on configHome, no lost updates).
// Every key that sameType accepts as naming mimeType (an alias, another letter case) is
// changed alike. Success, or a failure saying what was refused and why, with every file
// untouched.
// When given, verify runs once the change is written and while the lock is still held,
// so no concurrent writer can come in between: if it fails, every list is put back as it
// was (its previous bytes, or removed when the change created it) before the lock is
// released, and its failure is returned.
// A change waits at most lockWait for a writer that holds the lock, then is refused
// with that reason. Under the lock, temporary files that writers killed earlier left
// beside the lists (see AtomicFile) are removed: only files of that name, and only of
// processes that no longer run.
using VerifyChange = std::function<Status()>;
inline constexpr std::chrono::milliseconds kLockWait{10000};
Status setUserDefault(const std::string& configHome, const std::vector<std::string>& desktops,
                      std::string_view mimeType, std::string_view desktopId,
                      const MimeAppsList::SameType& sameType = nullptr,
                      const VerifyChange& verify = nullptr,
                      std::chrono::milliseconds lockWait = kLockWait);

// The user's lists a change may edit, in precedence order: configHome/<desktop>-mimeapps.list
// for each valid desktop name (lowercased), then configHome/mimeapps.list last.
std::vector<std::string> userLists(const std::string& configHome,
                                   const std::vector<std::string>& desktops);

// The file a path names once every symlink in its last component is followed
// (absolute, relative and chained links); the path itself when it is no symlink. The
// file found need not exist. None for a loop or an unreadable link.
std::optional<std::string> resolveSymlinks(const std::string& path);

// Replaces a file's contents atomically: the new contents go to a temporary file in the
// same folder, which is flushed to disk and then renamed over the file, so a reader
// (and the disk after a crash) holds the old file or the new one, never a part. Until
// commit() the file is untouched; an AtomicFile destroyed uncommitted removes its
// temporary file.
class AtomicFile final {
 public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  // Writes contents to a temporary file next to target, with mode (or, when none, the
  // permissions a new file gets under the umask) and, when given, the owner.
  Status prepare(const std::string& target, std::string_view contents, std::optional<mode_t> mode,
                 std::optional<std::pair<uid_t, gid_t>> owner);
  // Renames the temporary file over the target.
  Status commit();

 private:
  std::string target_;
  std::string temporary_;
};

}  // namespace platform
