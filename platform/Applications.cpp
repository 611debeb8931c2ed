#include "platform/Applications.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <tuple>

#include "platform/Handles.h"
#include "platform/MimeAppsList.h"
#include "platform/XdgDirs.h"

namespace platform {
namespace {

constexpr std::string_view kSuffix = ".desktop";
constexpr int kMaxDepth = 8;

bool isEntryName(std::string_view name) {
  return name.size() > kSuffix.size() && name.ends_with(kSuffix);
}

// Whether a is the file an ID goes to when both a and b (relative paths) have that ID:
// level by level, a file before a subfolder and a shorter subfolder name first.
bool nearerTop(std::string_view a, std::string_view b) {
  for (;;) {
    const std::size_t slashA = a.find('/');
    const std::size_t slashB = b.find('/');
    if (slashA != slashB) {
      if (slashA == std::string_view::npos) return true;
      if (slashB == std::string_view::npos) return false;
      return slashA < slashB;
    }
    if (slashA == std::string_view::npos) return false;
    a.remove_prefix(slashA + 1);
    b.remove_prefix(slashB + 1);
  }
}

// A folder's identity: the same folder under any name, reached through any link.
using FolderIdentity = std::pair<dev_t, ino_t>;

FolderIdentity identityOf(const struct stat& info) {
  return FolderIdentity{info.st_dev, info.st_ino};
}

// The file (relative to the open folder dir) with this ID, looked up by name: the file
// named so, or a file in a subfolder whose name and "-" begin the ID, nearest the top
// first (as nearerTop orders them). Only real subfolders are entered: a folder behind
// a link may be one that the listing reaches by another route first (it visits each
// folder once), so meeting one sets throughLink and the caller lists the folder instead.
std::optional<std::string> probe(int dir, std::string_view id, int depth,
                                 const std::set<FolderIdentity>& tops, bool& throughLink) {
  if (!isEntryName(id)) return std::nullopt;
  struct stat info {};
  const std::string name(id);
  if (::fstatat(dir, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) return name;
  if (depth >= kMaxDepth) return std::nullopt;
  for (std::size_t dash = id.find('-'); dash != std::string_view::npos;
       dash = id.find('-', dash + 1)) {
    const std::string folder(id.substr(0, dash));
    if (folder.empty() || folder == "." || folder == ".." || isEntryName(folder)) continue;
    if (::fstatat(dir, folder.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISLNK(info.st_mode)) {
      if (::fstatat(dir, folder.c_str(), &info, 0) == 0 && S_ISDIR(info.st_mode)) {
        throughLink = true;
        return std::nullopt;
      }
      continue;
    }
    if (!S_ISDIR(info.st_mode) || tops.count(identityOf(info)) > 0) continue;
    const UniqueFd sub(
        ::openat(dir, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW));
    if (!sub) continue;
    auto found = probe(sub.get(), id.substr(dash + 1), depth + 1, tops, throughLink);
    if (found) return folder + "/" + *found;
    if (throughLink) return std::nullopt;
  }
  return std::nullopt;
}

// One pass over the folders of every applications folder, in precedence order: every
// folder is read once, by its identity, whatever links lead to it and however often.
// Real subfolders come first, all of them, so a folder keeps the IDs of its own path
// (and agrees with probe); a folder reached only through links is read by the first
// link: of the earliest applications folder, the shallowest, then the first by path.
class FolderWalk {
 public:
  using Files = std::unordered_map<std::string, std::string>;
  // seen: the identities of the applications folders themselves.
  explicit FolderWalk(std::set<FolderIdentity> seen) : seen_(std::move(seen)) {}

  void walk(const std::string& top, std::size_t index, Files& files) {
    visit(top, "", "", 0, index, files);
  }
  // After every walk: the folders behind links.
  void followLinks(const std::function<Files&(std::size_t)>& filesOf) {
    while (!links_.empty()) {
      const auto next = links_.begin();
      const Pending link = next->second;
      const std::size_t index = std::get<0>(next->first);
      links_.erase(next);
      struct stat info {};
      if (::stat(link.path.c_str(), &info) != 0 || !seen_.insert(identityOf(info)).second) {
        continue;
      }
      visit(link.path, link.prefix, link.relative, link.depth, index, filesOf(index), true);
    }
  }

 private:
  struct Pending {
    std::string path;
    std::string prefix;
    std::string relative;
    int depth;
  };

  void visit(const std::string& path, const std::string& prefix, const std::string& relative,
             int depth, std::size_t index, Files& files, bool recorded = false) {
    std::vector<std::string> folders;
    if (!list(path, prefix, relative, depth, index, files, recorded, folders)) return;
    // The folder is closed before its subfolders are visited: a walk holds one folder
    // open at a time, however deep.
    std::sort(folders.begin(), folders.end());
    for (const auto& name : folders) {
      visit(path + "/" + name, prefix + name + "-", relative + name + "/", depth + 1, index, files);
    }
  }

  // Reads one folder: its entries into files, its subfolders into folders and the links
  // to folders into links_. False when the folder cannot be read or was read before.
  bool list(const std::string& path, const std::string& prefix, const std::string& relative,
            int depth, std::size_t index, Files& files, bool recorded,
            std::vector<std::string>& folders) {
    const UniqueDir handle(::opendir(path.c_str()));
    DIR* dir = handle.get();
    if (dir == nullptr) return false;
    struct stat self {};
    if (!recorded && depth > 0 &&
        (::fstat(::dirfd(dir), &self) != 0 || !seen_.insert(identityOf(self)).second)) {
      return false;
    }
    while (const dirent* item = ::readdir(dir)) {
      const std::string_view name = item->d_name;
      if (name == "." || name == "..") continue;
      if (isEntryName(name)) {
        // A name that is no valid ID (a line break, a tab, '=' ...) is no application.
        std::string id = prefix + std::string(name);
        if (!isValidDesktopFileId(id)) continue;
        std::string file = relative + std::string(name);
        const auto [known, added] = files.try_emplace(std::move(id), file);
        if (!added && nearerTop(file, known->second)) known->second = std::move(file);
        continue;
      }
      if (depth >= kMaxDepth) continue;
      if (item->d_type == DT_DIR) {
        folders.emplace_back(name);
        continue;
      }
      if (item->d_type != DT_LNK && item->d_type != DT_UNKNOWN) continue;
      struct stat info {};
      const std::string child = path + "/" + std::string(name);
      if (::lstat(child.c_str(), &info) != 0) continue;
      if (S_ISDIR(info.st_mode)) {
        folders.emplace_back(name);
      } else if (S_ISLNK(info.st_mode) && ::stat(child.c_str(), &info) == 0 &&
                 S_ISDIR(info.st_mode) && seen_.count(identityOf(info)) == 0) {
        links_.emplace(std::make_tuple(index, depth, relative + std::string(name)),
                       Pending{child, prefix + std::string(name) + "-",
                               relative + std::string(name) + "/", depth + 1});
      }
    }
    return true;
  }

  std::set<FolderIdentity> seen_;
  // Folders behind links, waiting until every real folder is read.
  std::map<std::tuple<std::size_t, int, std::string>, Pending> links_;
};

}  // namespace

Applications::Applications(std::vector<std::string> folders, std::optional<std::string> searchPath,
                           std::vector<std::string> languages)
    : searchPath_(std::move(searchPath)) {
  for (const std::string& language : languages)
    localizedNameKeys_.push_back("Name[" + language + "]");
  for (auto& folder : folders) {
    folders_.emplace_back();
    folders_.back().path = std::move(folder);
  }
}

void Applications::identifyFolders() {
  if (identified_) return;
  identified_ = true;
  tops_.clear();
  for (auto& folder : folders_) {
    struct stat info {};
    // A folder whose path holds a control character would put it into every path of
    // its entries, and so into the listings.
    folder.present = !hasControlCharacter(folder.path) && ::stat(folder.path.c_str(), &info) == 0 &&
                     S_ISDIR(info.st_mode) && tops_.insert(identityOf(info)).second;
  }
}

void Applications::listAll() {
  if (listed_) return;
  listed_ = true;
  identifyFolders();
  FolderWalk walk(tops_);
  for (std::size_t i = 0; i < folders_.size(); ++i) {
    folders_[i].files.emplace();
    if (folders_[i].present) walk.walk(folders_[i].path, i, *folders_[i].files);
  }
  walk.followLinks(
      [this](std::size_t index) -> FolderWalk::Files& { return *folders_[index].files; });
  for (auto& folder : folders_) folder.probed.clear();
  firstFolder_.clear();
  for (std::size_t i = 0; i < folders_.size(); ++i) {
    for (const auto& [id, file] : *folders_[i].files) firstFolder_.try_emplace(id, i);
  }
}

const std::unordered_map<std::string, std::string>& Applications::filesOf(std::size_t index) {
  // A folder that does not exist (or is an earlier one again) holds nothing, and asking
  // for it lists nothing: the other folders are listed only when needed.
  identifyFolders();
  if (!folders_[index].present) {
    static const std::unordered_map<std::string, std::string> kNone;
    return kNone;
  }
  listAll();
  return *folders_[index].files;
}

int Applications::openFolder(std::size_t index) {
  Folder& folder = folders_[index];
  if (folder.fd) return folder.fd.get();
  identifyFolders();
  if (!folder.present || folder.unopenable) return -1;
  // A system may have thousands of folders: only the last few opened stay open.
  if (openFolders_.size() >= kMaxOpenFolders) {
    folders_[openFolders_.front()].fd.reset();
    openFolders_.erase(openFolders_.begin());
  }
  folder.fd.reset(::open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.fd) {
    // Out of file descriptors is for now; a folder that cannot be read stays so.
    folder.unopenable = errno != EMFILE && errno != ENFILE;
    return -1;
  }
  openFolders_.push_back(index);
  return folder.fd.get();
}

const std::string* Applications::fileIn(std::size_t index, const std::string& id) {
  Folder& folder = folders_[index];
  if (!isValidDesktopFileId(id)) return nullptr;
  if (folder.files) {
    const auto found = folder.files->find(id);
    return found == folder.files->end() ? nullptr : &found->second;
  }
  const int fd = openFolder(index);
  if (fd < 0) return nullptr;
  auto found = folder.probed.find(id);
  if (found == folder.probed.end()) {
    bool throughLink = false;
    auto file = probe(fd, id, 0, tops_, throughLink);
    // Behind a link, only the listing knows which route reaches a folder first.
    if (throughLink) {
      const auto& files = filesOf(index);
      const auto listed = files.find(id);
      return listed == files.end() ? nullptr : &listed->second;
    }
    found = folder.probed.emplace(id, std::move(file)).first;
  }
  return found->second ? &*found->second : nullptr;
}

Applications::~Applications() { closeFolders(); }

void Applications::closeFolders() {
  for (auto& folder : folders_) {
    folder.fd.reset();
    folder.unopenable = false;
  }
  openFolders_.clear();
}

std::string Applications::pathOf(std::size_t index, const std::string& relative) const {
  return folders_[index].path + "/" + relative;
}

bool Applications::programExists(const std::string& program) {
  const auto found = programs_.find(program);
  if (found != programs_.end()) return found->second;
  const bool exists = findProgram(program, searchPath_).has_value();
  programs_.emplace(program, exists);
  return exists;
}

std::optional<std::size_t> Applications::firstFolderOf(const std::string& id, std::size_t limit) {
  limit = std::min(limit, folders_.size());
  if (!isValidDesktopFileId(id)) return std::nullopt;
  // Among many folders, one listing of them all answers every ID at once, where looking
  // an ID up folder by folder would cost each ID every folder.
  if (!listed_ && limit > kFoldersLookedUpOneByOne) listAll();
  if (listed_) {
    // Once listed, one look at the index: asking for every ID of a long list of folders
    // costs nothing per folder.
    const auto found = firstFolder_.find(id);
    if (found == firstFolder_.end() || found->second >= limit) return std::nullopt;
    return found->second;
  }
  for (std::size_t i = 0; i < limit; ++i) {
    if (fileIn(i, id) != nullptr) return i;
  }
  return std::nullopt;
}

bool Applications::maskedBefore(std::size_t index, const std::string& id) {
  return firstFolderOf(id, index).has_value();
}

std::optional<std::string> Applications::fileOf(const std::string& id) {
  const auto index = firstFolderOf(id, folders_.size());
  if (!index) return std::nullopt;
  return pathOf(*index, *fileIn(*index, id));
}

const Application* Applications::load(const std::string& id, std::size_t index,
                                      const std::string& relative) {
  // Keyed by ID within the folder: one file can be listed under two IDs (a symlinked
  // folder), and one ID of a folder always names the same file.
  auto& loaded = folders_[index].loaded;
  if (const auto found = loaded.find(id); found != loaded.end()) return found->second.get();
  // Only the keys that decide whether the entry is installed, what it answers, and how
  // it ranks among entries of the same name.
  static const std::vector<std::string_view> kKeys = {"Type",      "Hidden",     "TryExec",
                                                      "Exec",      "Name",       "MimeType",
                                                      "NoDisplay", "OnlyShowIn", "NotShowIn"};
  if (entryKeys_.empty()) {
    entryKeys_ = kKeys;
    entryKeys_.insert(entryKeys_.end(), localizedNameKeys_.begin(), localizedNameKeys_.end());
  }
  std::unique_ptr<Application> application;
  const int folder = openFolder(index);
  const auto entry = folder >= 0
                         ? DesktopEntry::load(relative, folder, &entryKeys_, &buffer_)
                         : DesktopEntry::load(pathOf(index, relative), -1, &entryKeys_, &buffer_);
  const auto tryExec = entry ? entry->value("TryExec") : std::nullopt;
  const auto program = entry ? entry->execProgram() : std::nullopt;
  const auto exec = entry ? entry->raw("Exec") : std::nullopt;
  const bool usable = entry && entry->raw("Type") == "Application" && !entry->boolean("Hidden") &&
                      (!tryExec || tryExec->empty() || programExists(*tryExec)) &&
                      (!exec || exec->empty() || (program && programExists(*program)));
  if (usable) {
    application = std::make_unique<Application>();
    application->id = id;
    application->path = pathOf(index, relative);
    application->name = entry->value("Name").value_or("");
    application->program = program.value_or("");
    application->mimeTypes = std::string(entry->raw("MimeType").value_or(""));
    for (const std::string& key : localizedNameKeys_) {
      if (auto name = entry->value(key)) {
        application->localizedName = std::move(*name);
        break;
      }
    }
    application->exec = entry->value("Exec").value_or("");
    application->noDisplay = entry->boolean("NoDisplay");
    application->onlyShowIn = entry->list("OnlyShowIn");
    application->notShowIn = entry->list("NotShowIn");
  }
  return loaded.emplace(id, std::move(application)).first->second.get();
}

const Application* Applications::find(const std::string& id) {
  if (!isValidDesktopFileId(id)) return nullptr;
  if (const auto found = byId_.find(id); found != byId_.end()) return found->second;
  const Application* application = nullptr;
  if (const auto index = firstFolderOf(id, folders_.size())) {
    application = load(id, *index, *fileIn(*index, id));
  }
  byId_.emplace(id, application);
  return application;
}

std::vector<const Application*> Applications::all() {
  std::vector<const Application*> result;
  for (std::size_t i = 0; i < folders_.size(); ++i) {
    // The folder's entries in ID order, without copying their names.
    std::vector<const std::pair<const std::string, std::string>*> files;
    files.reserve(filesOf(i).size());
    for (const auto& file : filesOf(i)) files.push_back(&file);
    std::sort(files.begin(), files.end(),
              [](const auto* a, const auto* b) { return a->first < b->first; });
    for (const auto* file : files) {
      if (maskedBefore(i, file->first)) continue;
      if (const Application* application = load(file->first, i, file->second)) {
        result.push_back(application);
      }
    }
  }
  return result;
}

std::optional<std::string> Applications::idOfFile(const std::string& path) const {
  if (!path.ends_with(kSuffix)) return std::nullopt;
  for (const auto& folder : folders_) {
    // The folder as the file's path names it: both real paths.
    char* real = ::realpath(folder.path.c_str(), nullptr);
    const std::string prefix = (real != nullptr ? std::string(real) : folder.path) + "/";
    std::free(real);
    if (path.size() <= prefix.size() || !path.starts_with(prefix)) continue;
    std::string id = path.substr(prefix.size());
    if (id.find("//") != std::string::npos || id.find("/../") != std::string::npos ||
        id.starts_with("../")) {
      continue;
    }
    for (char& c : id) {
      if (c == '/') c = '-';
    }
    return id;
  }
  return std::nullopt;
}

void Applications::reload() {
  closeFolders();
  for (auto& folder : folders_) {
    folder.files.reset();
    folder.probed.clear();
    folder.loaded.clear();
  }
  identified_ = false;
  listed_ = false;
  firstFolder_.clear();
  byId_.clear();
  programs_.clear();
}

}  // namespace platform
