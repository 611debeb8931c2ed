#include "platform/FakePlatform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

template <typename Map, typename Key>
auto find(const Map& map, const Key& key) -> std::optional<typename Map::mapped_type> {
  if (auto it = map.find(key); it != map.end()) return it->second;
  return std::nullopt;
}

std::string hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%X", value);
  return buffer;
}

}  // namespace

Bundle FakePlatform::makeBundle(std::string_view path, std::optional<std::string> packageType,
                                std::optional<std::string> bundleIdentifier) {
  InfoDictionary info;
  if (packageType) info["CFBundlePackageType"] = *packageType;
  if (bundleIdentifier) info["CFBundleIdentifier"] = *bundleIdentifier;
  Bundle bundle = makeUnreadableBundle(path);
  bundle.infoDictionary = std::move(info);
  bundle.bundleIdentifier = std::move(bundleIdentifier);
  return bundle;
}

Bundle FakePlatform::makeUnreadableBundle(std::string_view path) {
  Bundle bundle;
  bundle.bundleURL = url(path);
  bundle.bundlePath = std::string(path);
  return bundle;
}

URL FakePlatform::url(std::string_view text) {
  if (text.starts_with('/')) return URL::fileURLWithPath(text);
  auto parsed = URL::parse(text);
  if (!parsed) {
    std::fprintf(stderr, "FakePlatform::url: \"%.*s\" does not parse\n",
                 static_cast<int>(text.size()), text.data());
    std::abort();
  }
  return *parsed;
}

bool FakePlatform::called(std::string_view name) const {
  return std::any_of(calls.begin(), calls.end(), [&](const std::string& call) {
    return call.size() > name.size() && call.starts_with(name) && call[name.size()] == '(';
  });
}

void FakePlatform::record(std::string_view name,
                          std::initializer_list<std::string_view> arguments) {
  std::string call(name);
  call += '(';
  bool first = true;
  for (std::string_view argument : arguments) {
    if (!first) call += ", ";
    call += argument;
    first = false;
  }
  call += ')';
  calls.push_back(std::move(call));
}

std::optional<std::string> FakePlatform::LSCopyDefaultHandlerForURLScheme(std::string_view scheme) {
  record("LSCopyDefaultHandlerForURLScheme", {scheme});
  return find(schemeDefaults, scheme);
}

std::optional<std::vector<std::string>> FakePlatform::LSCopyAllHandlersForURLScheme(
    std::string_view scheme) {
  record("LSCopyAllHandlersForURLScheme", {scheme});
  return find(schemeHandlers, scheme);
}

std::optional<std::string> FakePlatform::LSCopyDefaultRoleHandlerForContentType(
    std::string_view contentType, LSRolesMask roles) {
  record("LSCopyDefaultRoleHandlerForContentType", {contentType, hex(roles)});
  return find(typeDefaults, std::pair(std::string(contentType), roles));
}

std::optional<std::vector<std::string>> FakePlatform::LSCopyAllRoleHandlersForContentType(
    std::string_view contentType, LSRolesMask roles) {
  record("LSCopyAllRoleHandlersForContentType", {contentType, hex(roles)});
  return find(typeHandlers, std::pair(std::string(contentType), roles));
}

Status FakePlatform::LSSetDefaultHandlerForURLScheme(std::string_view scheme,
                                                     std::string_view bundleID) {
  record("LSSetDefaultHandlerForURLScheme", {scheme, bundleID});
  if (setSchemeStatus.ok()) schemeDefaults[std::string(scheme)] = bundleID;
  return setSchemeStatus;
}

Status FakePlatform::LSSetDefaultRoleHandlerForContentType(std::string_view contentType,
                                                           LSRolesMask roles,
                                                           std::string_view bundleID) {
  record("LSSetDefaultRoleHandlerForContentType", {contentType, hex(roles), bundleID});
  if (setTypeStatus.ok()) typeDefaults[{std::string(contentType), roles}] = bundleID;
  return setTypeStatus;
}

std::optional<std::vector<URL>> FakePlatform::LSCopyApplicationURLsForBundleIdentifier(
    std::string_view bundleID) {
  record("LSCopyApplicationURLsForBundleIdentifier", {bundleID});
  return find(registeredApplications, bundleID);
}

Status FakePlatform::LSCopyAllApplicationURLs(std::optional<std::vector<URL>>& applications) {
  record("LSCopyAllApplicationURLs", {});
  if (allApplicationsStatus.ok()) applications = allApplications;
  return allApplicationsStatus;
}

Status FakePlatform::LSCopySchemesAndHandlerURLs(std::optional<std::vector<std::string>>& schemes,
                                                 std::optional<std::vector<URL>>& handlers) {
  record("LSCopySchemesAndHandlerURLs", {});
  if (schemesAndHandlersStatus.ok()) {
    schemes = schemeList;
    handlers = schemeHandlerList;
  }
  return schemesAndHandlersStatus;
}

std::optional<std::vector<std::string>> FakePlatform::UTCopyDeclaredTypeIdentifiers() {
  record("UTCopyDeclaredTypeIdentifiers", {});
  return declaredTypes;
}

bool FakePlatform::UTTypeConformsTo(std::string_view contentType, std::string_view parent) {
  record("UTTypeConformsTo", {contentType, parent});
  if (contentType == parent) return true;
  auto it = conformances.find(contentType);
  return it != conformances.end() && it->second.contains(parent);
}

std::optional<URL> FakePlatform::URLForApplicationWithBundleIdentifier(std::string_view bundleID) {
  record("URLForApplicationWithBundleIdentifier", {bundleID});
  return find(applicationURLs, bundleID);
}

std::optional<std::string> FakePlatform::absolutePathForAppBundleWithIdentifier(
    std::string_view bundleID) {
  record("absolutePathForAppBundleWithIdentifier", {bundleID});
  return find(appBundlePaths, bundleID);
}

std::optional<std::string> FakePlatform::fullPathForApplication(std::string_view name) {
  record("fullPathForApplication", {name});
  return find(applicationsByName, name);
}

std::string FakePlatform::iconForFile(std::string_view path) {
  record("iconForFile", {path});
  return find(icons, path).value_or("");
}

std::optional<RunningApplication> FakePlatform::launchApplicationAtURL(const URL& url,
                                                                       unsigned options,
                                                                       Status* error) {
  record("launchApplicationAtURL", {url.absoluteString(), hex(options)});
  launches.emplace_back(url, options);
  if (!launchResult) {
    if (error) *error = launchError;
    return std::nullopt;
  }
  if (registerOnLaunch) registeredApplications[*registerOnLaunch] = {url};
  return launchResult;
}

std::optional<Bundle> FakePlatform::bundleWithPath(std::string_view path) {
  record("bundleWithPath", {path});
  return find(bundles, path);
}

std::optional<Bundle> FakePlatform::bundleWithURL(const URL& url) {
  record("bundleWithURL", {url.absoluteString()});
  if (!url.isFileURL()) return std::nullopt;
  return find(bundles, url.path());
}

Bundle FakePlatform::mainBundle() {
  record("mainBundle", {});
  return mainBundleValue;
}

std::optional<Bundle> FakePlatform::bundleWithIdentifier(std::string_view bundleID) {
  record("bundleWithIdentifier", {bundleID});
  return find(loadedBundles, bundleID);
}

bool FakePlatform::fileExistsAtPath(std::string_view path) {
  record("fileExistsAtPath", {path});
  return existingFiles.contains(path) || executableFiles.contains(path);
}

bool FakePlatform::isExecutableFileAtPath(std::string_view path) {
  record("isExecutableFileAtPath", {path});
  return executableFiles.contains(path);
}

std::vector<URL> FakePlatform::URLsForDirectory(int directory, unsigned domainMask) {
  record("URLsForDirectory", {std::to_string(directory), hex(domainMask)});
  return find(directories, directory).value_or(std::vector<URL>{});
}

}  // namespace platform
