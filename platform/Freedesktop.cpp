#include "platform/Freedesktop.h"

#include <dirent.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/ApplicationNames.h"
#include "platform/BundleInstaller.h"
#include "platform/DesktopEntry.h"
#include "platform/DesktopExec.h"
#include "platform/Handles.h"
#include "platform/InstallLayout.h"
#include "platform/MimeAppsList.h"
#include "platform/MimeAppsWriter.h"

namespace platform {
namespace {

constexpr std::string_view kSuffix = ".desktop";
constexpr std::string_view kSchemePrefix = "x-scheme-handler/";
constexpr std::string_view kRootTypes[] = {"public.item", "public.content"};

std::string withoutSuffix(std::string_view id) {
  if (id.size() > kSuffix.size() && id.ends_with(kSuffix)) id.remove_suffix(kSuffix.size());
  return std::string(id);
}

// The desktop file IDs a bundle identifier can name, most likely first: the identifier
// with ".desktop" added (an ID may itself end in ".desktop": "org.example.desktop.desktop"
// is known as "org.example.desktop"), then, for an identifier given with its suffix, the
// identifier itself. None when it cannot name one.
std::vector<std::string> desktopIds(std::string_view bundleID) {
  if (bundleID.empty() || bundleID.find('/') != std::string_view::npos ||
      bundleID.find('\0') != std::string_view::npos) {
    return {};
  }
  std::vector<std::string> ids{std::string(bundleID) + std::string(kSuffix)};
  if (bundleID.size() > kSuffix.size() && bundleID.ends_with(kSuffix)) {
    ids.emplace_back(bundleID);
  }
  return ids;
}

// The pseudo type of a scheme; none when the scheme cannot be part of a MIME type.
// Schemes are case-insensitive, and a URL is opened by its lowercased scheme.
std::optional<std::string> schemeType(std::string_view scheme) {
  std::string type = std::string(kSchemePrefix) + lowercase(scheme);
  if (scheme.empty() || !isValidMimeType(type)) return std::nullopt;
  return type;
}

std::string parentFolder(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string baseName(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string absolutePath(std::string_view path) {
  std::string result(path);
  while (result.size() > 1 && result.back() == '/') result.pop_back();
  if (!result.empty() && result.front() == '/') return result;
  char cwd[PATH_MAX];
  if (::getcwd(cwd, sizeof cwd) == nullptr) return result;
  return std::string(cwd) + "/" + result;
}

// The path with its folder resolved to the real one (no ".", "..", "//" or symlinked
// folders), the last component kept as named: an entry that is a symlink keeps the
// name, and so the ID, it has in its folder.
std::string realFolderPath(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return path;
  const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  char* real = ::realpath(folder.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string result(real);
  std::free(real);
  const std::string name = path.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return path;
  return (result == "/" ? "" : result) + "/" + name;
}

InfoDictionary infoDictionaryOf(const DesktopEntry& entry, const std::string& id) {
  InfoDictionary info;
  for (const auto& [key, value] : entry.entries()) info[key] = value;
  info["CFBundleIdentifier"] = withoutSuffix(id);
  if (const auto type = entry.value("Type")) {
    info["CFBundlePackageType"] = *type == "Application" ? "APPL" : *type;
  }
  return info;
}

// The one desktop entry file directly inside a folder; none when there is none or more.
std::optional<std::string> soleEntryIn(const std::string& folder) {
  std::optional<std::string> found;
  const UniqueDir dir(::opendir(folder.c_str()));
  if (!dir) return std::nullopt;
  bool several = false;
  while (const dirent* item = ::readdir(dir.get())) {
    const std::string_view name = item->d_name;
    if (name.size() <= kSuffix.size() || !name.ends_with(kSuffix)) continue;
    if (found) several = true;
    found = folder + "/" + std::string(name);
  }
  if (several) return std::nullopt;
  return found;
}

// Exec's argv with the field codes a launch without files drops ("%u", "%F", ...) and
// "%%" turned into "%".
std::vector<std::string> commandLine(const std::vector<std::string>& argv) {
  std::vector<std::string> result;
  for (const auto& argument : argv) {
    if (argument.size() == 2 && argument[0] == '%' && argument[1] != '%') continue;
    std::string expanded;
    for (std::size_t i = 0; i < argument.size(); ++i) {
      if (argument[i] == '%' && i + 1 < argument.size()) {
        if (argument[i + 1] == '%') expanded += '%';
        ++i;
      } else {
        expanded += argument[i];
      }
    }
    result.push_back(std::move(expanded));
  }
  return result;
}

}  // namespace

Freedesktop::Freedesktop() : Freedesktop(XdgDirs::fromEnvironment()) {}

Freedesktop::Freedesktop(XdgDirs dirs, std::optional<std::string> executable)
    : dirs_(std::move(dirs)), executable_(std::move(executable)) {}

Freedesktop::~Freedesktop() = default;

MimeDatabase& Freedesktop::database() {
  if (!database_) {
    std::vector<std::string> folders;
    for (const auto& dir : dirs_.allDataDirs()) folders.push_back(dir + "/mime");
    database_ = std::make_unique<MimeDatabase>(std::move(folders));
  }
  return *database_;
}

Applications& Freedesktop::applications() {
  if (!applications_) {
    std::vector<std::string> folders;
    for (const auto& dir : dirs_.allDataDirs()) folders.push_back(dir + "/applications");
    applications_ = std::make_unique<Applications>(std::move(folders), dirs_.path, dirs_.languages);
  }
  return *applications_;
}

Associations& Freedesktop::associations() {
  if (!associations_) {
    associations_ = std::make_unique<Associations>(dirs_, database(), applications());
  }
  return *associations_;
}

void Freedesktop::forget() {
  associations_.reset();
  if (applications_) applications_->reload();
}

const Application* Freedesktop::installed(std::string_view bundleID) {
  for (const auto& id : desktopIds(bundleID)) {
    if (const Application* application = applications().find(id)) return application;
  }
  return nullptr;
}

std::optional<std::string> Freedesktop::LSCopyDefaultHandlerForURLScheme(std::string_view scheme) {
  const auto type = schemeType(scheme);
  if (!type) return std::nullopt;
  const auto id = associations().defaultFor(*type);
  if (!id) return std::nullopt;
  return withoutSuffix(*id);
}

std::optional<std::vector<std::string>> Freedesktop::LSCopyAllHandlersForURLScheme(
    std::string_view scheme) {
  const auto type = schemeType(scheme);
  if (!type) return std::nullopt;
  std::vector<std::string> ids;
  for (const auto& id : associations().allFor(*type)) ids.push_back(withoutSuffix(id));
  return ids;
}

std::optional<std::string> Freedesktop::contentType(std::string_view text) {
  if (!isValidMimeType(text)) return std::nullopt;
  // Compared as the lists' keys are: aliases and letter case name the same type.
  return database().canonical(text);
}

std::optional<std::string> Freedesktop::LSCopyDefaultRoleHandlerForContentType(
    std::string_view text, LSRolesMask) {
  const auto contentType = this->contentType(text);
  if (!contentType) return std::nullopt;
  const auto id = associations().defaultFor(*contentType);
  if (!id) return std::nullopt;
  return withoutSuffix(*id);
}

std::optional<std::vector<std::string>> Freedesktop::LSCopyAllRoleHandlersForContentType(
    std::string_view text, LSRolesMask) {
  const auto contentType = this->contentType(text);
  if (!contentType) return std::nullopt;
  std::vector<std::string> ids;
  for (const auto& id : associations().allFor(*contentType)) ids.push_back(withoutSuffix(id));
  return ids;
}

Status Freedesktop::setDefault(std::string_view mimeType, std::string_view bundleID) {
  // The installed application's ID; else the ID as given, to be refused or read back.
  const auto ids = desktopIds(bundleID);
  const Application* application = installed(bundleID);
  const std::optional<std::string> id = application != nullptr ? std::optional(application->id)
                                        : ids.empty()          ? std::nullopt
                                                               : std::optional(ids.back());
  if (!id || !isValidDesktopFileId(*id)) {
    return Status::error(kStatusInvalidArgument,
                         "\"" + std::string(bundleID) + "\" is not a valid desktop file ID");
  }
  const std::string type(mimeType);
  // Read back through a fresh reader of every list and cache, as any other program
  // would now see them, while the writer still holds its lock; a change that did not
  // take effect is undone there. The type database and the entries are shared: a change
  // touches neither.
  const std::string mainList = dirs_.configHome + "/mimeapps.list";
  const auto readBack = [&]() -> Status {
    Associations fresh(dirs_, database(), applications());
    const auto effective = fresh.defaultFor(type);
    if (effective == *id) return Status();
    return Status::fileError(
        kLSUnknownErr, resolveSymlinks(mainList).value_or(mainList),
        "read back a different default for " + type + ": " +
            (effective ? *effective : std::string("none")) + " instead of " + *id +
            (installed(*id) == nullptr ? " (no installed application has that ID)" : ""));
  };
  Status status = setUserDefault(
      dirs_.configHome, dirs_.desktops, mimeType, *id,
      [&](std::string_view key) {
        return isValidMimeType(key) && database().canonical(key) == type;
      },
      readBack);
  forget();
  return status;
}

Status Freedesktop::LSSetDefaultHandlerForURLScheme(std::string_view scheme,
                                                    std::string_view bundleID) {
  const auto type = schemeType(scheme);
  if (!type) {
    return Status::error(kStatusInvalidArgument,
                         "\"" + std::string(scheme) + "\" is not a valid URL scheme");
  }
  return setDefault(*type, bundleID);
}

Status Freedesktop::LSSetDefaultRoleHandlerForContentType(std::string_view text, LSRolesMask,
                                                          std::string_view bundleID) {
  const auto contentType = this->contentType(text);
  if (!contentType) {
    return Status::error(kStatusInvalidArgument,
                         "\"" + std::string(text) + "\" is not a valid MIME type");
  }
  return setDefault(*contentType, bundleID);
}

std::optional<std::vector<URL>> Freedesktop::LSCopyApplicationURLsForBundleIdentifier(
    std::string_view bundleID) {
  const Application* application = installed(bundleID);
  if (application == nullptr) return std::nullopt;
  return std::vector<URL>{URL::fileURLWithPath(application->path)};
}

Status Freedesktop::LSCopyAllApplicationURLs(std::optional<std::vector<URL>>& result) {
  std::vector<URL> urls;
  for (const Application* application : applications().all()) {
    urls.push_back(URL::fileURLWithPath(application->path));
  }
  result = std::move(urls);
  return Status();
}

Status Freedesktop::LSCopySchemesAndHandlerURLs(std::optional<std::vector<std::string>>& schemes,
                                                std::optional<std::vector<URL>>& handlers) {
  std::vector<std::string> types;
  for (auto& type : associations().associatedTypes()) {
    if (type.starts_with(kSchemePrefix) && type.size() > kSchemePrefix.size()) {
      types.push_back(std::move(type));
    }
  }
  std::sort(types.begin(), types.end());
  std::vector<std::string> names;
  std::vector<URL> urls;
  for (const auto& type : types) {
    const auto id = associations().defaultFor(type);
    if (!id) continue;
    const Application* application = applications().find(*id);
    if (application == nullptr) continue;
    names.push_back(type.substr(kSchemePrefix.size()));
    urls.push_back(URL::fileURLWithPath(application->path));
  }
  schemes = std::move(names);
  handlers = std::move(urls);
  return Status();
}

std::optional<std::vector<std::string>> Freedesktop::UTCopyDeclaredTypeIdentifiers() {
  return database().types();
}

bool Freedesktop::UTTypeConformsTo(std::string_view text, std::string_view parent) {
  if (text == parent) return true;
  // A question of the database alone: its types, in any letter case.
  const auto known = [&](std::string_view type) -> std::optional<std::string> {
    if (!isValidMimeType(type)) return std::nullopt;
    if (database().isKnown(type)) return database().unalias(type);
    return database().canonicalIgnoringCase(type);
  };
  const auto contentType = known(text);
  if (!contentType) return false;
  if (std::find(std::begin(kRootTypes), std::end(kRootTypes), parent) != std::end(kRootTypes)) {
    return true;
  }
  const auto parentType = known(parent);
  return database().conformsTo(*contentType, parentType ? *parentType : std::string(parent));
}

std::optional<URL> Freedesktop::URLForApplicationWithBundleIdentifier(std::string_view bundleID) {
  const Application* application = installed(bundleID);
  if (application == nullptr) return std::nullopt;
  return URL::fileURLWithPath(application->path);
}

std::optional<std::string> Freedesktop::absolutePathForAppBundleWithIdentifier(
    std::string_view bundleID) {
  const Application* application = installed(bundleID);
  if (application == nullptr) return std::nullopt;
  return application->path;
}

std::optional<std::string> Freedesktop::fullPathForApplication(std::string_view name) {
  const Application* application =
      applicationNamed(name, applications().all(), NamingContext{dirs_.desktops, dirs_.languages});
  if (application == nullptr) return std::nullopt;
  return application->path;
}

std::string Freedesktop::iconForFile(std::string_view path) {
  const auto bundle = bundleWithPath(path);
  if (!bundle || !bundle->infoDictionary) return "";
  const auto icon = bundle->infoDictionary->find("Icon");
  if (icon == bundle->infoDictionary->end()) return "";
  std::string file = icon->second;
  if (!file.empty() && file.front() != '/' && bundle->resourceURL) {
    file = bundle->resourceURL->path() + "/" + file;
  }
  struct stat info {};
  if (file.empty() || file.front() != '/' || ::stat(file.c_str(), &info) != 0 ||
      !S_ISREG(info.st_mode)) {
    return "";
  }
  return file;
}

std::optional<RunningApplication> Freedesktop::launchApplicationAtURL(const URL& url, unsigned,
                                                                      Status* error) {
  const auto fail = [&](Status status) -> std::optional<RunningApplication> {
    if (error != nullptr) *error = std::move(status);
    return std::nullopt;
  };
  if (!url.isFileURL() || url.path().empty()) {
    return fail(Status::fileError(kLSApplicationNotFoundErr, url.absoluteString(),
                                  "not the location of an application"));
  }
  const std::string applicationsFolder = dirs_.dataHome + "/applications";
  const auto id = installBundle(url.path(), applicationsFolder, error);
  if (!id) return std::nullopt;
  forget();
  const std::string entryPath = applicationsFolder + "/" + *id + std::string(kSuffix);
  const auto entry = DesktopEntry::load(entryPath);
  const auto exec = entry ? entry->value("Exec") : std::nullopt;
  const auto argv = exec ? parseExec(*exec) : std::nullopt;
  if (!argv || argv->empty()) {
    return fail(Status::fileError(kLSNotAnApplicationErr, entryPath,
                                  "the installed entry has no program to run"));
  }
  return spawnDetached(commandLine(*argv), error);
}

std::optional<Bundle> Freedesktop::bundleWithPath(std::string_view text) {
  if (text.empty() || text.find('\0') != std::string_view::npos) return std::nullopt;
  const std::string path = realFolderPath(absolutePath(text));
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  Bundle bundle;
  bundle.bundlePath = path;
  bundle.bundleURL = URL::fileURLWithPath(path);
  std::optional<std::string> entryFile;
  if (S_ISDIR(info.st_mode)) {
    if (path.ends_with(".app")) bundle.resourceURL = bundle.bundleURL;
    entryFile = soleEntryIn(path);
  } else if (S_ISREG(info.st_mode)) {
    entryFile = path;
  } else {
    return std::nullopt;
  }
  const auto entry = entryFile ? DesktopEntry::load(*entryFile) : std::nullopt;
  if (!entry) {
    // A file that is no desktop entry is no bundle; a folder is one without information.
    if (!S_ISDIR(info.st_mode)) return std::nullopt;
    return bundle;
  }
  const std::string id = applications().idOfFile(*entryFile).value_or(baseName(*entryFile));
  bundle.infoDictionary = infoDictionaryOf(*entry, id);
  bundle.bundleIdentifier = withoutSuffix(id);
  return bundle;
}

std::optional<Bundle> Freedesktop::bundleWithURL(const URL& url) {
  if (!url.isFileURL() || url.path().empty()) return std::nullopt;
  return bundleWithPath(url.path());
}

std::string Freedesktop::executableFolder() {
  if (!executable_) {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) {
      executable_ = std::string(buffer, static_cast<std::size_t>(n));
    } else if (const auto* started = reinterpret_cast<const char*>(::getauxval(AT_EXECFN));
               started != nullptr && ::realpath(started, buffer) != nullptr) {
      // Without /proc: the path the program was started by, as the kernel passed it.
      executable_ = std::string(buffer);
    } else {
      executable_ = std::string("/");
    }
  }
  return parentFolder(*executable_);
}

Bundle Freedesktop::mainBundle() {
  Bundle bundle;
  bundle.bundlePath = executableFolder();
  bundle.bundleURL = URL::fileURLWithPath(bundle.bundlePath);
  return bundle;
}

std::optional<Bundle> Freedesktop::bundleWithIdentifier(std::string_view) { return std::nullopt; }

bool Freedesktop::fileExistsAtPath(std::string_view path) {
  if (path.empty() || path.find('\0') != std::string_view::npos) return false;
  struct stat info {};
  return ::stat(std::string(path).c_str(), &info) == 0;
}

bool Freedesktop::isExecutableFileAtPath(std::string_view path) {
  if (path.empty() || path.find('\0') != std::string_view::npos) return false;
  return ::access(std::string(path).c_str(), X_OK) == 0;
}

std::vector<URL> Freedesktop::URLsForDirectory(int directory, unsigned domainMask) {
  if (directory != kApplicationDirectory || domainMask == 0) return {};
  const std::string prefix = parentFolder(executableFolder());
  return {URL::fileURLWithPath(dirs_.home + "/Applications"),
          URL::fileURLWithPath((prefix == "/" ? "" : prefix) + "/" + kInstalledBundleFolder)};
}

}  // namespace platform
