#include "platform/Applications.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/XdgDirs.h"

namespace platform {
namespace {

constexpr std::string_view kSuffix = ".desktop";
constexpr int kMaxDepth = 8;

void listFolder(const std::string& path, const std::string& prefix, int depth,
                std::map<std::string, std::string>& files) {
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return;
  while (const dirent* item = ::readdir(dir)) {
    const std::string_view name = item->d_name;
    if (name == "." || name == "..") continue;
    std::string file = path + "/" + std::string(name);
    if (name.size() > kSuffix.size() && name.ends_with(kSuffix)) {
      files[prefix + std::string(name)] = std::move(file);
      continue;
    }
    if (depth >= kMaxDepth) continue;
    bool isDir = item->d_type == DT_DIR;
    if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
      struct stat info {};
      isDir = ::stat(file.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    if (isDir) listFolder(file, prefix + std::string(name) + "-", depth + 1, files);
  }
  ::closedir(dir);
}

}  // namespace

Applications::Applications(std::vector<std::string> folders, std::optional<std::string> searchPath)
    : searchPath_(std::move(searchPath)) {
  for (auto& folder : folders) folders_.push_back(Folder{std::move(folder), std::nullopt});
}

const std::map<std::string, std::string>& Applications::filesOf(std::size_t index) {
  Folder& folder = folders_[index];
  if (!folder.files) {
    folder.files.emplace();
    listFolder(folder.path, "", 0, *folder.files);
  }
  return *folder.files;
}

bool Applications::maskedBefore(std::size_t index, const std::string& id) {
  for (std::size_t i = 0; i < index && i < folders_.size(); ++i) {
    if (filesOf(i).count(id) > 0) return true;
  }
  return false;
}

std::optional<std::string> Applications::fileOf(const std::string& id) {
  for (std::size_t i = 0; i < folders_.size(); ++i) {
    const auto& files = filesOf(i);
    if (const auto found = files.find(id); found != files.end()) return found->second;
  }
  return std::nullopt;
}

const Application* Applications::load(const std::string& id, const std::string& path) {
  const std::string key = id + '\n' + path;
  if (const auto found = byPath_.find(key); found != byPath_.end()) return found->second.get();
  std::unique_ptr<Application> application;
  const auto entry = DesktopEntry::load(path);
  const auto tryExec = entry ? entry->value("TryExec") : std::nullopt;
  const auto exec = entry ? entry->value("Exec") : std::nullopt;
  const auto program = entry ? entry->execProgram() : std::nullopt;
  const bool usable = entry && entry->value("Type") == "Application" && !entry->boolean("Hidden") &&
                      (!tryExec || tryExec->empty() || findProgram(*tryExec, searchPath_)) &&
                      (!exec || exec->empty() || (program && findProgram(*program, searchPath_)));
  if (usable) {
    application = std::make_unique<Application>();
    application->id = id;
    application->path = path;
    application->name = entry->value("Name").value_or("");
    application->program = program.value_or("");
    application->mimeTypes = entry->list("MimeType");
  }
  return byPath_.emplace(key, std::move(application)).first->second.get();
}

const Application* Applications::find(const std::string& id) {
  const auto file = fileOf(id);
  return file ? load(id, *file) : nullptr;
}

std::vector<const Application*> Applications::all() {
  std::vector<const Application*> result;
  for (std::size_t i = 0; i < folders_.size(); ++i) {
    for (const auto& [id, file] : filesOf(i)) {
      if (maskedBefore(i, id)) continue;
      if (const Application* application = load(id, file)) result.push_back(application);
    }
  }
  return result;
}

std::optional<std::string> Applications::idOfFile(const std::string& path) const {
  if (!path.ends_with(kSuffix)) return std::nullopt;
  for (const auto& folder : folders_) {
    const std::string prefix = folder.path + "/";
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
  for (auto& folder : folders_) folder.files.reset();
  byPath_.clear();
}

}  // namespace platform
