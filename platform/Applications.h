// The installed applications: the desktop entries of the "applications" folders of the
// data directories, by desktop file ID.
//
// An entry's ID is its path below the folder with "/" turned into "-"
// ("kde4/konsole.desktop" is "kde4-konsole.desktop"). The folder earliest in
// precedence that holds a file with an ID decides for that ID: if that file is broken,
// not an application, Hidden, or names a program (TryExec or Exec) that cannot be found,
// the ID is not installed, whatever later folders hold.
//
// A folder holding two files with one ID ("a-b.desktop" and "a/b.desktop") gives it the
// file nearest the top: a file before a subfolder, a shorter subfolder name first.
//
// Each folder on disk is read once, whatever links lead to it: a folder named twice, or
// reached by a link as well as by its own path, counts where it is first met (real
// paths before links); see FolderWalk.
//
// A folder is listed only when every entry is asked for; a single ID is looked up by
// the names its file can have, so that one lookup does not read a large folder. Each
// entry is read at most once.
#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/DesktopEntry.h"
#include "platform/Handles.h"

namespace platform {

struct Application {
  std::string id;         // desktop file ID, with ".desktop"
  std::string path;       // the entry's file
  std::string name;       // untranslated Name
  std::string program;    // the program Exec starts, as written
  std::string mimeTypes;  // the MimeType= value as written (a list, still escaped)
  // What tells a user's application from a helper entry of it.
  std::string localizedName;            // Name in the current language; "" when untranslated
  std::string exec;                     // the Exec value, unescaped
  bool noDisplay = false;               // NoDisplay
  std::vector<std::string> onlyShowIn;  // OnlyShowIn
  std::vector<std::string> notShowIn;   // NotShowIn
};

class Applications final {
 public:
  // folders: the "applications" folders in precedence order; searchPath: $PATH;
  // languages: the locale keys of the current language, best first, by which
  // Application::localizedName is chosen.
  Applications(std::vector<std::string> folders, std::optional<std::string> searchPath,
               std::vector<std::string> languages = {});
  Applications(const Applications&) = delete;
  Applications& operator=(const Applications&) = delete;
  ~Applications();

  std::size_t folderCount() const { return folders_.size(); }
  const std::string& folder(std::size_t index) const { return folders_[index].path; }
  // ID -> file of one folder (listed on first use), the file relative to the folder.
  const std::unordered_map<std::string, std::string>& filesOf(std::size_t index);
  // The path of a file that filesOf(index) names.
  std::string pathOf(std::size_t index, const std::string& relative) const;
  // Whether a folder before index holds a file with this ID.
  bool maskedBefore(std::size_t index, const std::string& id);
  // The first folder (before limit) holding a file with this ID; none when none does.
  std::optional<std::size_t> firstFolderOf(const std::string& id, std::size_t limit);
  static constexpr std::size_t kFoldersLookedUpOneByOne = 16;
  // The file with this ID in one folder, relative to it; null when the folder holds none.
  const std::string* fileIn(std::size_t index, const std::string& id);

  // The installed application with this ID (".desktop" included); null when none.
  const Application* find(const std::string& id);
  // Every installed application: folders in precedence order, IDs in order within one.
  std::vector<const Application*> all();
  // The entry file of an ID as installed (first folder holding it), whether or not it
  // is a usable application.
  std::optional<std::string> fileOf(const std::string& id);
  // The desktop file ID of a file inside one of the folders; none for a file elsewhere.
  // path must have a real folder (no "..", "//" or symlinked folders); the folders are
  // compared by their real paths too.
  std::optional<std::string> idOfFile(const std::string& path) const;

  // The application in the file of an ID that filesOf(index) lists, read once; null when
  // it is not installable.
  const Application* load(const std::string& id, std::size_t index, const std::string& relative);

  // Forgets everything read, for after the folders changed.
  void reload();

 private:
  struct Folder {
    std::string path;
    std::optional<std::unordered_map<std::string, std::string>> files;
    // IDs looked up before the folder was listed, with their file (none: no such file).
    std::unordered_map<std::string, std::optional<std::string>> probed;
    // The entries read, by ID; null for an ID whose entry is not installable.
    std::unordered_map<std::string, std::unique_ptr<Application>> loaded;
    // The folder while it is among the last few used (see openFolder): its entries are
    // read relative to it.
    UniqueFd fd;
    bool unopenable = false;  // the folder exists but cannot be opened
    // Whether the folder exists and is not one that an earlier folder already is.
    bool present = false;
  };
  // Finds which folders exist and which are the same folder as an earlier one.
  void identifyFolders();
  // Lists every folder (each folder on disk read once, see FolderWalk).
  void listAll();
  void closeFolders();
  // The open folder; -1 when it cannot be opened. At most kMaxOpenFolders folders are
  // open at once: opening another closes the one opened first.
  int openFolder(std::size_t index);
  static constexpr std::size_t kMaxOpenFolders = 8;
  std::vector<std::size_t> openFolders_;  // the open folders, in the order opened
  // Where a program would be run from (see findProgram), asked once per name.
  bool programExists(const std::string& program);
  std::vector<Folder> folders_;
  std::optional<std::string> searchPath_;
  std::vector<std::string> localizedNameKeys_;  // "Name[de_DE]", "Name[de]", ...
  // The keys read of an entry: those of kKeys (see load) and localizedNameKeys_.
  std::vector<std::string_view> entryKeys_;
  std::string buffer_;  // every entry is read into it in turn
  std::unordered_map<std::string, bool> programs_;
  std::unordered_map<std::string, const Application*> byId_;
  // Once every folder is listed: the first folder holding each ID. The keys are those
  // of the folders' file maps.
  std::unordered_map<std::string_view, std::size_t> firstFolder_;
  bool identified_ = false;
  bool listed_ = false;
  // The identities (device, inode) of the present folders.
  std::set<std::pair<dev_t, ino_t>> tops_;
};

}  // namespace platform
