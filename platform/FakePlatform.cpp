#include "platform/FakePlatform.h"

#include <algorithm>

#include "platform/DesktopExec.h"
#include "platform/Text.h"

namespace platform {

namespace {

constexpr std::string_view kSchemePrefix = "x-scheme-handler/";
constexpr std::string_view kSuffix = ".desktop";
constexpr LSRolesMask kRoleBits[] = {kLSRolesViewer, kLSRolesEditor, kLSRolesShell};

bool isTypeCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("!#$&^_.+-").find(c) != std::string_view::npos;
}

// "media/subtype", both parts made of the characters a MIME type may hold.
bool isMimeType(std::string_view text) {
  const std::size_t slash = text.find('/');
  if (slash == 0 || slash == std::string_view::npos || slash + 1 == text.size()) return false;
  const std::string_view media = text.substr(0, slash);
  const std::string_view subtype = text.substr(slash + 1);
  return std::all_of(media.begin(), media.end(), isTypeCharacter) &&
         std::all_of(subtype.begin(), subtype.end(), isTypeCharacter);
}

std::optional<std::string> schemeType(std::string_view scheme) {
  std::string type = std::string(kSchemePrefix) + lowercase(scheme);
  if (scheme.empty() || !isMimeType(type)) return std::nullopt;
  return type;
}

}  // namespace

// --- Setting up the state -------------------------------------------------------------

void FakePlatform::addFile(const std::string& path, bool executable) {
  files_[path] = File{executable ? File::Kind::program : File::Kind::plain, std::nullopt};
}

void FakePlatform::addFolder(const std::string& path) {
  files_[path] = File{File::Kind::folder, std::nullopt};
}

void FakePlatform::addEntry(const std::string& path, Entry entry) {
  files_[path] = File{File::Kind::entry, std::move(entry)};
}

void FakePlatform::addBundle(const std::string& folder, Entry entry) {
  files_[folder] = File{File::Kind::bundle, std::move(entry)};
}

void FakePlatform::install(const std::string& path, Entry entry) {
  addEntry(path, entry);
  // An entry installed again, or another with the same ID, is replaced: the newest wins.
  std::erase_if(installed_, [&](const Installed& other) {
    return other.path == path || (!entry.id.empty() && other.entry.id == entry.id);
  });
  installed_.push_back(Installed{path, std::move(entry)});
}

void FakePlatform::remove(const std::string& path) {
  const auto inside = [&](const std::string& other) {
    return other == path || other.starts_with(path + "/");
  };
  std::erase_if(files_, [&](const auto& file) { return inside(file.first); });
}

void FakePlatform::addType(MimeType type) { types_.push_back(std::move(type)); }

void FakePlatform::setDefault(const std::string& type, std::optional<std::string> bundleID,
                              LSRolesMask roles) {
  const std::string name = canonical(type).value_or(type);
  for (const LSRolesMask bit : kRoleBits) {
    if ((roles & bit) == 0) continue;
    if (bundleID) {
      defaults_[name][bit] = *bundleID;
    } else if (auto it = defaults_.find(name); it != defaults_.end()) {
      it->second.erase(bit);
    }
  }
}

std::optional<std::string> FakePlatform::defaultOf(const std::string& type,
                                                   LSRolesMask roles) const {
  const auto it = defaults_.find(canonical(type).value_or(type));
  if (it == defaults_.end()) return std::nullopt;
  for (const LSRolesMask bit : kRoleBits) {
    if ((roles & bit) == 0) continue;
    if (auto chosen = it->second.find(bit); chosen != it->second.end()) return chosen->second;
  }
  return std::nullopt;
}

void FakePlatform::setMainBundle(const std::string& folder, std::optional<std::string> identifier) {
  mainFolder_ = folder;
  mainIdentifier_ = std::move(identifier);
}

void FakePlatform::setDirectory(int directory, std::vector<std::string> folders) {
  directories_[directory] = std::move(folders);
}

void FakePlatform::load(const std::string& path) { loaded_.push_back(path); }

void FakePlatform::fail(Operation operation, Status status) {
  if (status.ok()) {
    failures_.erase(operation);
  } else {
    failures_[operation] = std::move(status);
  }
}

// --- The model ------------------------------------------------------------------------

std::optional<Status> FakePlatform::failure(Operation operation) const {
  if (auto it = failures_.find(operation); it != failures_.end()) return it->second;
  return std::nullopt;
}

std::optional<std::string> FakePlatform::canonical(std::string_view type) const {
  if (!isMimeType(type)) return std::nullopt;
  const std::string wanted = lowercase(type);
  for (const MimeType& known : types_) {
    if (lowercase(known.name) == wanted) return known.name;
    for (const std::string& alias : known.aliases) {
      if (lowercase(alias) == wanted) return known.name;
    }
  }
  return wanted;
}

std::vector<std::string> FakePlatform::lineage(const std::string& type) const {
  std::vector<std::string> found{type};
  for (std::size_t next = 0; next < found.size(); ++next) {
    for (const MimeType& known : types_) {
      if (known.name != found[next]) continue;
      for (const std::string& parent : known.parents) {
        const std::string name = canonical(parent).value_or(parent);
        if (std::find(found.begin(), found.end(), name) == found.end()) found.push_back(name);
      }
    }
  }
  return found;
}

const FakePlatform::Installed* FakePlatform::installed(std::string_view bundleID) const {
  const auto find = [&](std::string_view id) -> const Installed* {
    for (const Installed& application : installed_) {
      if (application.entry.id == id) return &application;
    }
    return nullptr;
  };
  if (bundleID.empty()) return nullptr;
  if (const Installed* application = find(bundleID)) return application;
  if (bundleID.size() > kSuffix.size() && bundleID.ends_with(kSuffix)) {
    return find(bundleID.substr(0, bundleID.size() - kSuffix.size()));
  }
  return nullptr;
}

std::vector<std::string> FakePlatform::declaring(const std::string& type) const {
  std::vector<std::string> ids;
  if (auto it = added_.find(type); it != added_.end()) {
    for (const std::string& id : it->second) {
      if (const Installed* application = installed(id)) ids.push_back(application->entry.id);
    }
  }
  for (const auto& [path, entry] : installed_) {
    for (const std::string& declared : entry.types) {
      if (canonical(declared).value_or(declared) == type) {
        ids.push_back(entry.id);
        break;
      }
    }
  }
  return ids;
}

std::optional<std::string> FakePlatform::defaultFor(const std::string& type,
                                                    LSRolesMask roles) const {
  // The type's own choice, then the applications that declare it; then its parents'.
  for (const std::string& candidate : lineage(type)) {
    const auto chosen = defaultOf(candidate, roles);
    if (const Installed* application = chosen ? installed(*chosen) : nullptr) {
      return application->entry.id;
    }
    const std::vector<std::string> ids = declaring(candidate);
    if (!ids.empty()) return ids.front();
  }
  return std::nullopt;
}

std::vector<std::string> FakePlatform::allFor(const std::string& type, LSRolesMask roles) const {
  std::vector<std::string> ids;
  for (const std::string& candidate : lineage(type)) {
    for (std::string& id : declaring(candidate)) {
      if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(std::move(id));
    }
  }
  // The default comes first when it is one of them.
  if (const auto chosen = defaultFor(type, roles)) {
    if (auto it = std::find(ids.begin(), ids.end(), *chosen); it != ids.end()) {
      std::rotate(ids.begin(), it, it + 1);
    }
  }
  return ids;
}

Status FakePlatform::setDefaultChecked(std::optional<std::string> type, LSRolesMask roles,
                                       std::string_view bundleID) {
  if (auto status = failure(Operation::setDefaultHandler)) return *status;
  if (!type) return Status::error(kStatusInvalidArgument, "not a valid MIME type or URL scheme");
  if (bundleID.empty() || bundleID.find('/') != std::string_view::npos) {
    return Status::error(kStatusInvalidArgument,
                         "\"" + std::string(bundleID) + "\" is not a valid desktop file ID");
  }
  // The change is read back: a default naming no installed application has no effect.
  const Installed* application = installed(bundleID);
  if (application == nullptr) {
    return Status::error(kLSApplicationNotFoundErr,
                         "no application " + std::string(bundleID) + " is installed");
  }
  setDefault(*type, application->entry.id, roles);
  // As the user's list gains it, the choice becomes an association of the type too.
  std::vector<std::string>& added = added_[*type];
  if (std::find(added.begin(), added.end(), application->entry.id) == added.end()) {
    added.push_back(application->entry.id);
  }
  return Status::success();
}

// --- Platform -------------------------------------------------------------------------

std::optional<std::string> FakePlatform::LSCopyDefaultHandlerForURLScheme(std::string_view scheme) {
  const auto type = schemeType(scheme);
  if (!type || failure(Operation::copyDefaultHandler)) return std::nullopt;
  return defaultFor(*type, kLSRolesAll);
}

std::optional<std::vector<std::string>> FakePlatform::LSCopyAllHandlersForURLScheme(
    std::string_view scheme) {
  const auto type = schemeType(scheme);
  if (!type || failure(Operation::copyAllHandlers)) return std::nullopt;
  return allFor(*type, kLSRolesAll);
}

std::optional<std::string> FakePlatform::LSCopyDefaultRoleHandlerForContentType(
    std::string_view contentType, LSRolesMask roles) {
  const auto type = canonical(contentType);
  if (!type || failure(Operation::copyDefaultHandler)) return std::nullopt;
  return defaultFor(*type, roles);
}

std::optional<std::vector<std::string>> FakePlatform::LSCopyAllRoleHandlersForContentType(
    std::string_view contentType, LSRolesMask roles) {
  const auto type = canonical(contentType);
  if (!type || failure(Operation::copyAllHandlers)) return std::nullopt;
  return allFor(*type, roles);
}

Status FakePlatform::LSSetDefaultHandlerForURLScheme(std::string_view scheme,
                                                     std::string_view bundleID) {
  return setDefaultChecked(schemeType(scheme), kLSRolesAll, bundleID);
}

Status FakePlatform::LSSetDefaultRoleHandlerForContentType(std::string_view contentType,
                                                           LSRolesMask roles,
                                                           std::string_view bundleID) {
  return setDefaultChecked(canonical(contentType), roles, bundleID);
}

std::optional<std::vector<URL>> FakePlatform::LSCopyApplicationURLsForBundleIdentifier(
    std::string_view bundleID) {
  if (failure(Operation::copyApplicationURLs)) return std::nullopt;
  const Installed* application = installed(bundleID);
  if (application == nullptr) return std::nullopt;
  return std::vector<URL>{URL::fileURLWithPath(application->path)};
}

Status FakePlatform::LSCopyAllApplicationURLs(std::optional<std::vector<URL>>& applications) {
  if (auto status = failure(Operation::copyAllApplicationURLs)) return *status;
  std::vector<URL> urls;
  for (const Installed& application : installed_) {
    urls.push_back(URL::fileURLWithPath(application.path));
  }
  applications = std::move(urls);
  return Status::success();
}

Status FakePlatform::LSCopySchemesAndHandlerURLs(std::optional<std::vector<std::string>>& schemes,
                                                 std::optional<std::vector<URL>>& handlers) {
  if (auto status = failure(Operation::copySchemesAndHandlerURLs)) return *status;
  std::vector<std::string> types;
  for (const Installed& application : installed_) {
    for (const std::string& type : application.entry.types) {
      if (type.starts_with(kSchemePrefix)) types.push_back(lowercase(type));
    }
  }
  for (const auto& [type, chosen] : defaults_) {
    if (type.starts_with(kSchemePrefix)) types.push_back(type);
  }
  std::sort(types.begin(), types.end());
  types.erase(std::unique(types.begin(), types.end()), types.end());
  std::vector<std::string> names;
  std::vector<URL> urls;
  for (const std::string& type : types) {
    const auto id = defaultFor(type, kLSRolesAll);
    if (!id || type.size() == kSchemePrefix.size()) continue;
    names.push_back(type.substr(kSchemePrefix.size()));
    urls.push_back(URL::fileURLWithPath(installed(*id)->path));
  }
  schemes = std::move(names);
  handlers = std::move(urls);
  return Status::success();
}

std::optional<std::vector<std::string>> FakePlatform::UTCopyDeclaredTypeIdentifiers() {
  if (failure(Operation::copyDeclaredTypes)) return std::nullopt;
  std::vector<std::string> names;
  for (const MimeType& type : types_) names.push_back(type.name);
  return names;
}

bool FakePlatform::UTTypeConformsTo(std::string_view contentType, std::string_view parent) {
  if (failure(Operation::typeConformsTo)) return false;
  if (contentType == parent) return true;
  const auto type = canonical(contentType);
  if (!type) return false;
  const std::string wanted = canonical(parent).value_or(std::string(parent));
  const std::vector<std::string> types = lineage(*type);
  return std::find(types.begin(), types.end(), wanted) != types.end();
}

std::optional<URL> FakePlatform::URLForApplicationWithBundleIdentifier(std::string_view bundleID) {
  auto path = absolutePathForAppBundleWithIdentifier(bundleID);
  if (!path) return std::nullopt;
  return URL::fileURLWithPath(*path);
}

std::optional<std::string> FakePlatform::absolutePathForAppBundleWithIdentifier(
    std::string_view bundleID) {
  if (failure(Operation::locateApplication)) return std::nullopt;
  // A location is answered only while the entry's file is there.
  const Installed* application = installed(bundleID);
  if (application == nullptr || !files_.contains(application->path)) return std::nullopt;
  return application->path;
}

std::optional<std::string> FakePlatform::fullPathForApplication(std::string_view name) {
  if (name.empty()) return std::nullopt;
  const std::string wanted = lowercase(name);
  for (const auto& [path, entry] : installed_) {
    const auto argv = parseExec(entry.exec);
    const std::string program = argv ? argv->front().substr(argv->front().rfind('/') + 1) : "";
    if (lowercase(entry.name) == wanted || (!program.empty() && lowercase(program) == wanted)) {
      return path;
    }
  }
  return std::nullopt;
}

std::string FakePlatform::iconForFile(std::string_view path) {
  const auto it = files_.find(path);
  if (it == files_.end() || !it->second.entry) return "";
  const std::string& icon = it->second.entry->icon;
  return files_.contains(icon) ? icon : "";
}

std::optional<RunningApplication> FakePlatform::launchApplicationAtURL(const URL& url,
                                                                       unsigned options,
                                                                       Status* error) {
  const auto fail = [&](Status status) {
    if (error != nullptr) *error = std::move(status);
    return std::nullopt;
  };
  if (auto status = failure(Operation::launchApplication)) return fail(*status);
  const auto it = url.isFileURL() ? files_.find(url.path()) : files_.end();
  if (it == files_.end() || it->second.kind != File::Kind::bundle || it->second.entry->id.empty()) {
    return fail(Status::fileError(kLSApplicationNotFoundErr, url.absoluteString(),
                                  "not the location of an application"));
  }
  // Launching registers the bundle's entry, as installing its desktop entry does: a
  // program named relative to the bundle is written as its absolute path.
  Entry entry = *it->second.entry;
  if (auto argv = parseExec(entry.exec); argv && !argv->front().starts_with('/')) {
    argv->front() = url.path() + "/" + argv->front();
    entry.exec.clear();
    for (const std::string& argument : *argv) {
      if (!entry.exec.empty()) entry.exec += ' ';
      entry.exec += quoteExecArgument(argument);
    }
  }
  install(url.path() + "/" + entry.id + std::string(kSuffix), entry);
  const auto pid = static_cast<std::int32_t>(1000 + launches_.size());
  launches_.push_back(Launch{url.path(), options, pid});
  return RunningApplication{pid};
}

std::optional<Bundle> FakePlatform::bundleWithPath(std::string_view path) {
  const auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  const File& file = it->second;
  if (file.kind == File::Kind::plain || file.kind == File::Kind::program) return std::nullopt;
  Bundle bundle;
  bundle.bundlePath = std::string(path);
  bundle.bundleURL = URL::fileURLWithPath(path);
  if (file.kind == File::Kind::bundle) bundle.resourceURL = bundle.bundleURL;
  if (file.entry) {
    InfoDictionary info;
    if (file.entry->packageType) info["CFBundlePackageType"] = *file.entry->packageType;
    if (!file.entry->id.empty()) {
      info["CFBundleIdentifier"] = file.entry->id;
      bundle.bundleIdentifier = file.entry->id;
    }
    // The entry's own keys, as the real platform reads them.
    if (file.entry->packageType) {
      info["Type"] = *file.entry->packageType == "APPL" ? "Application" : *file.entry->packageType;
    }
    if (!file.entry->name.empty()) info["Name"] = file.entry->name;
    if (!file.entry->exec.empty()) info["Exec"] = file.entry->exec;
    if (!file.entry->icon.empty()) info["Icon"] = file.entry->icon;
    if (!file.entry->types.empty()) {
      std::string& types = info["MimeType"];
      for (const std::string& type : file.entry->types) types += type + ";";
    }
    bundle.infoDictionary = std::move(info);
  }
  return bundle;
}

std::optional<Bundle> FakePlatform::bundleWithURL(const URL& url) {
  if (!url.isFileURL() || url.path().empty()) return std::nullopt;
  return bundleWithPath(url.path());
}

Bundle FakePlatform::mainBundle() {
  Bundle bundle;
  bundle.bundlePath = mainFolder_;
  bundle.bundleURL = URL::fileURLWithPath(mainFolder_);
  bundle.bundleIdentifier = mainIdentifier_;
  return bundle;
}

std::optional<Bundle> FakePlatform::bundleWithIdentifier(std::string_view bundleID) {
  for (const std::string& path : loaded_) {
    auto bundle = bundleWithPath(path);
    if (bundle && bundle->bundleIdentifier == bundleID) return bundle;
  }
  return std::nullopt;
}

bool FakePlatform::fileExistsAtPath(std::string_view path) {
  if (path.empty()) return false;
  if (files_.contains(path)) return true;
  // A folder exists when something is inside it.
  const std::string folder = std::string(path) + "/";
  const auto it = files_.lower_bound(folder);
  return it != files_.end() && it->first.starts_with(folder);
}

bool FakePlatform::isExecutableFileAtPath(std::string_view path) {
  const auto it = files_.find(path);
  if (it != files_.end())
    return it->second.kind != File::Kind::plain && it->second.kind != File::Kind::entry;
  return fileExistsAtPath(path);  // a folder holding something
}

std::vector<URL> FakePlatform::URLsForDirectory(int directory, unsigned domainMask) {
  std::vector<URL> urls;
  const auto it = directories_.find(directory);
  if (domainMask == 0 || it == directories_.end()) return urls;
  for (const std::string& folder : it->second) urls.push_back(URL::fileURLWithPath(folder));
  return urls;
}

}  // namespace platform
