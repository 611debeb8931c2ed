// The seams and application resolution: getBundleID, packageType, ensureRegistered,
// preferencePaneURL and copyAllApps.
#include "vrax/LSWrappers.h"

#include <utility>

#include "platform/DesktopExec.h"
#include "platform/Freedesktop.h"

namespace vrax {

using platform::Bundle;
using platform::URL;

namespace {

constexpr std::string_view kApplicationPackageType = "APPL";
constexpr std::string_view kFinderPackageType = "FNDR";
constexpr std::string_view kPlaceholderName = "None";

// The platform lives until the process ends and is never destroyed: tearing down the
// registry it read (thousands of entries) would only delay the exit.
std::shared_ptr<platform::Platform>& servicesSlot() {
  static auto* services = new std::shared_ptr<platform::Platform>();
  return *services;
}

// Writes the bundle's identifier into bundleID when the bundle is an application (or,
// with acceptFinder, a Finder package) that has one; else answers -10811.
Status acceptBundle(const Bundle& bundle, bool acceptFinder, std::optional<std::string>& bundleID) {
  Status status;
  auto type = LSWrappers::packageType(bundle, status);
  if (!type) return status;
  bool accepted = *type == kApplicationPackageType || (acceptFinder && *type == kFinderPackageType);
  if (!accepted || !bundle.bundleIdentifier)
    return LSWrappers::LSErrors(LSWrappers::LSErrors::notAnApp).status();
  bundleID = *bundle.bundleIdentifier;
  return Status();
}

// Whether the registered entry at path is the placeholder's own: its Exec runs the
// program inside a Quietling.app bundle. Another entry that merely carries the
// placeholder's identifier is not adopted.
bool isOwnPlaceholder(platform::Platform& system, const std::string& path) {
  const auto bundle = system.bundleWithPath(path);
  if (!bundle || !bundle->infoDictionary) return false;
  const auto exec = bundle->infoDictionary->find("Exec");
  if (exec == bundle->infoDictionary->end()) return false;
  const auto argv = platform::parseExec(exec->second);
  if (!argv || argv->empty()) return false;
  const std::string& program = argv->front();
  const std::size_t slash = program.find_last_of('/');
  if (slash == std::string::npos || !program.starts_with('/')) return false;
  const std::string folder = program.substr(0, slash);
  const std::string bundleSuffix = "/" + std::string(LSWrappers::placeholderBundleName);
  return folder.ends_with(bundleSuffix) && slash + 1 < program.size();
}

}  // namespace

platform::Platform& LSWrappers::services() {
  auto& services = servicesSlot();
  if (!services) services = std::make_shared<platform::Freedesktop>();
  return *services;
}

void LSWrappers::setServices(std::shared_ptr<platform::Platform> services) {
  servicesSlot() = std::move(services);
}

Status LSWrappers::getBundleID(std::string_view application, std::optional<std::string>& bundleID) {
  if (application == kPlaceholderName) {
    bundleID = std::string(placeholderBundleID);
    return LSErrors(LSErrors::noError).status();
  }
  auto& system = services();
  if (system.absolutePathForAppBundleWithIdentifier(application)) {
    bundleID = std::string(application);
    return LSErrors(LSErrors::noError).status();
  }
  if (auto path = system.fullPathForApplication(application)) {
    auto bundle = system.bundleWithPath(*path);
    if (!bundle) {
      return LSErrors(system.fileExistsAtPath(application) ? LSErrors::notAnApp
                                                           : LSErrors::appNotFound)
          .status();
    }
    return acceptBundle(*bundle, /*acceptFinder=*/true, bundleID);
  }
  if (auto bundle = system.bundleWithPath(application)) {
    return acceptBundle(*bundle, /*acceptFinder=*/false, bundleID);
  }
  if (system.fileExistsAtPath(application)) return LSErrors(LSErrors::notAnApp).status();
  auto url = URL::parse(application);
  if (!url) return LSErrors(LSErrors::notAnApp).status();
  if (url->path().empty())
    return LSErrors(url->isFileURL() ? LSErrors::defaultErr : LSErrors::invalidFileURL).status();
  if (!url->isFileURL()) return LSErrors(LSErrors::notAnApp).status();
  if (!system.fileExistsAtPath(url->path())) return LSErrors(LSErrors::appNotFound).status();
  auto bundle = system.bundleWithURL(*url);
  if (!bundle) return LSErrors(LSErrors::notAnApp).status();
  return acceptBundle(*bundle, /*acceptFinder=*/false, bundleID);
}

std::optional<std::string> LSWrappers::packageType(const Bundle& bundle, Status& status) {
  if (!bundle.infoDictionary) {
    status = LSErrors(LSErrors::defaultErr).status();
    return std::nullopt;
  }
  auto entry = bundle.infoDictionary->find("CFBundlePackageType");
  if (entry == bundle.infoDictionary->end()) {
    status = LSErrors(LSErrors::invalidBundle).status();
    return std::nullopt;
  }
  return entry->second;
}

Status LSWrappers::ensureRegistered(std::string_view bundleID) {
  auto& system = services();
  auto isKnown = [&] {
    if (system.LSCopyApplicationURLsForBundleIdentifier(bundleID)) return Status();
    return Status::error(LSErrors::appNotFound,
                         "no application " + std::string(bundleID) + " is installed");
  };
  if (bundleID != placeholderBundleID) return isKnown();
  if (const auto path = system.absolutePathForAppBundleWithIdentifier(bundleID);
      path && isOwnPlaceholder(system, *path)) {
    return isKnown();
  }
  const auto notFound = [](const std::string& where) {
    return Status::error(LSErrors::appNotFound,
                         std::string(placeholderBundleName) + " was not found in " + where);
  };

  // Not registered yet: look for the placeholder bundle, then launch it once, which
  // registers it. The registry is not asked again afterwards.
  std::vector<URL> folders;
  if (host().mainBundleHasIdentifier()) {
    auto pane = preferencePaneURL();
    if (!pane) {
      return Status::error(LSErrors::appNotFound, std::string(paneBundleName) + " was not found");
    }
    auto bundle = system.bundleWithURL(*pane);
    if (!bundle || !bundle->resourceURL) return notFound(pane->path());
    folders.push_back(*bundle->resourceURL);
  } else {
    folders.push_back(system.mainBundle().bundleURL);
  }
  for (auto& folder :
       system.URLsForDirectory(platform::kApplicationDirectory, platform::kAllDomainsMask)) {
    folders.push_back(std::move(folder));
  }

  std::optional<URL> placeholder;
  std::string searched;
  for (const auto& folder : folders) {
    URL candidate = folder.appendingPathComponent(placeholderBundleName);
    if (system.isExecutableFileAtPath(candidate.path())) {
      placeholder = std::move(candidate);
      break;
    }
    searched += (searched.empty() ? "" : ", ") + folder.path();
  }
  if (!placeholder) return notFound(searched);

  Status error = Status::fileError(LSErrors::appNotFound, placeholder->path(),
                                   "the placeholder could not be started");
  auto running =
      system.launchApplicationAtURL(*placeholder, platform::kLaunchWithoutAddingToRecents, &error);
  if (!running || running->processIdentifier == -1) return error;
  return Status();
}

std::optional<URL> LSWrappers::preferencePaneURL() {
  auto& system = services();
  if (auto pane = system.bundleWithIdentifier(paneBundleID)) return pane->bundleURL;
  for (const auto& folder :
       system.URLsForDirectory(platform::kPreferencePanesDirectory, platform::kAllDomainsMask)) {
    URL candidate = folder.appendingPathComponent(paneBundleName);
    if (system.isExecutableFileAtPath(candidate.path())) return candidate;
  }
  return std::nullopt;
}

std::optional<std::string> LSWrappers::applicationPath(std::string_view bundleID) {
  auto url = services().URLForApplicationWithBundleIdentifier(bundleID);
  if (!url) return std::nullopt;
  return url->path();
}

std::optional<std::vector<std::string>> LSWrappers::applicationPaths(
    const std::vector<std::string>& bundleIDs) {
  std::vector<std::string> paths;
  for (const auto& bundleID : bundleIDs) {
    if (auto path = applicationPath(bundleID)) paths.push_back(std::move(*path));
  }
  if (paths.empty()) return std::nullopt;
  return paths;
}

std::optional<std::vector<std::string>> LSWrappers::copyAllApps() {
  std::optional<std::vector<URL>> applications;
  if (!services().LSCopyAllApplicationURLs(applications).ok()) {
    return std::nullopt;
  }
  if (!applications) return std::nullopt;
  std::vector<std::string> paths;
  paths.reserve(applications->size());
  for (const auto& application : *applications) paths.push_back(application.path());
  return paths;
}

}  // namespace vrax
