// A test double of the platform: every answer is a public field that a test sets before
// calling the code under test, and every call is recorded (name and arguments, in order)
// so that a test can check what was asked and what was not. It touches no files and
// starts no programs. Changes made through the two LSSet... operations are kept in the
// answer tables, so later queries observe them, as with the real registry.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace platform {

class FakePlatform final : public Platform {
 public:
  // A bundle as bundleWithPath would answer it: a desktop entry at path whose
  // information holds the package type (none: no "CFBundlePackageType" entry) and the
  // identifier (none: no "CFBundleIdentifier" entry, and no bundleIdentifier).
  static Bundle makeBundle(std::string_view path, std::optional<std::string> packageType,
                           std::optional<std::string> bundleIdentifier);
  // A bundle without an information dictionary (not a readable desktop entry).
  static Bundle makeUnreadableBundle(std::string_view path);
  // The file URL of an absolute path; the URL of any other text, which must parse.
  static URL url(std::string_view text);

  // --- Answers -------------------------------------------------------------------------

  // Scheme handlers: scheme -> default bundle ID / every handler's bundle ID.
  std::map<std::string, std::string, std::less<>> schemeDefaults;
  std::map<std::string, std::vector<std::string>, std::less<>> schemeHandlers;
  // Content-type handlers, keyed by the type and the exact role mask asked for, so a
  // query with other roles finds nothing.
  std::map<std::pair<std::string, LSRolesMask>, std::string> typeDefaults;
  std::map<std::pair<std::string, LSRolesMask>, std::vector<std::string>> typeHandlers;
  // Status answered by the LSSet... operations; on success the change is recorded above.
  Status setSchemeStatus;
  Status setTypeStatus;

  // Bundle ID -> locations (LSCopyApplicationURLsForBundleIdentifier).
  std::map<std::string, std::vector<URL>, std::less<>> registeredApplications;
  Status allApplicationsStatus;
  std::optional<std::vector<URL>> allApplications = std::vector<URL>{};
  Status schemesAndHandlersStatus;
  std::optional<std::vector<std::string>> schemeList = std::vector<std::string>{};
  std::optional<std::vector<URL>> schemeHandlerList = std::vector<URL>{};
  std::optional<std::vector<std::string>> declaredTypes = std::vector<std::string>{};
  // Type -> the types it conforms to besides itself (not followed transitively).
  std::map<std::string, std::set<std::string, std::less<>>, std::less<>> conformances;

  // Workspace: bundle ID -> URL; bundle ID -> path; name -> path (exact); path -> icon.
  std::map<std::string, URL, std::less<>> applicationURLs;
  std::map<std::string, std::string, std::less<>> appBundlePaths;
  std::map<std::string, std::string, std::less<>> applicationsByName;
  std::map<std::string, std::string, std::less<>> icons;
  // launchApplicationAtURL: none makes it fail with launchError. When registerOnLaunch
  // is set, a successful launch registers that ID at the launched URL.
  std::optional<RunningApplication> launchResult = RunningApplication{4242};
  Status launchError =
      Status::error(kLSApplicationNotFoundErr, "The application could not be launched.");
  std::optional<std::string> registerOnLaunch;
  std::vector<std::pair<URL, unsigned>> launches;

  // Bundles: path -> bundle (bundleWithPath; bundleWithURL uses the URL's path).
  std::map<std::string, Bundle, std::less<>> bundles;
  Bundle mainBundleValue;
  std::map<std::string, Bundle, std::less<>> loadedBundles;

  // Files.
  std::set<std::string, std::less<>> existingFiles;
  std::set<std::string, std::less<>> executableFiles;
  // URLsForDirectory: directory -> folders.
  std::map<int, std::vector<URL>> directories;

  // Every call, as "Name(arg, arg)", in order.
  std::vector<std::string> calls;
  // Whether a call with this name was made.
  bool called(std::string_view name) const;

  // --- Platform ------------------------------------------------------------------------

  std::optional<std::string> LSCopyDefaultHandlerForURLScheme(std::string_view scheme) override;
  std::optional<std::vector<std::string>> LSCopyAllHandlersForURLScheme(
      std::string_view scheme) override;
  std::optional<std::string> LSCopyDefaultRoleHandlerForContentType(std::string_view contentType,
                                                                    LSRolesMask roles) override;
  std::optional<std::vector<std::string>> LSCopyAllRoleHandlersForContentType(
      std::string_view contentType, LSRolesMask roles) override;
  Status LSSetDefaultHandlerForURLScheme(std::string_view scheme,
                                         std::string_view bundleID) override;
  Status LSSetDefaultRoleHandlerForContentType(std::string_view contentType, LSRolesMask roles,
                                               std::string_view bundleID) override;
  std::optional<std::vector<URL>> LSCopyApplicationURLsForBundleIdentifier(
      std::string_view bundleID) override;
  Status LSCopyAllApplicationURLs(std::optional<std::vector<URL>>& applications) override;
  Status LSCopySchemesAndHandlerURLs(std::optional<std::vector<std::string>>& schemes,
                                     std::optional<std::vector<URL>>& handlers) override;
  std::optional<std::vector<std::string>> UTCopyDeclaredTypeIdentifiers() override;
  bool UTTypeConformsTo(std::string_view contentType, std::string_view parent) override;
  std::optional<URL> URLForApplicationWithBundleIdentifier(std::string_view bundleID) override;
  std::optional<std::string> absolutePathForAppBundleWithIdentifier(
      std::string_view bundleID) override;
  std::optional<std::string> fullPathForApplication(std::string_view name) override;
  std::string iconForFile(std::string_view path) override;
  std::optional<RunningApplication> launchApplicationAtURL(const URL& url, unsigned options,
                                                           Status* error) override;
  std::optional<Bundle> bundleWithPath(std::string_view path) override;
  std::optional<Bundle> bundleWithURL(const URL& url) override;
  Bundle mainBundle() override;
  std::optional<Bundle> bundleWithIdentifier(std::string_view bundleID) override;
  bool fileExistsAtPath(std::string_view path) override;
  bool isExecutableFileAtPath(std::string_view path) override;
  std::vector<URL> URLsForDirectory(int directory, unsigned domainMask) override;

 private:
  void record(std::string_view name, std::initializer_list<std::string_view> arguments);
};

}  // namespace platform
