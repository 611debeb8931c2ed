// The real Platform: the freedesktop.org standards (desktop entries, MIME-apps
// associations, the shared MIME-info database) read from the XDG directories of the
// environment.
//
// Lazy: constructing it reads no file. Each operation reads only what it needs (the
// MIME database files, the applications folders, the association lists) the first
// time it needs them, and keeps them for the life of the object; a change made through
// this object is seen by its later queries.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Applications.h"
#include "platform/Associations.h"
#include "platform/MimeDatabase.h"
#include "platform/Platform.h"
#include "platform/XdgDirs.h"

namespace platform {

class Freedesktop final : public Platform {
 public:
  // The directories and program path of this process's environment.
  Freedesktop();
  // Given directories; executable is the running program's path (for mainBundle and the
  // applications folder of its installation), none to take /proc/self/exe.
  explicit Freedesktop(XdgDirs dirs, std::optional<std::string> executable = std::nullopt);
  Freedesktop(const Freedesktop&) = delete;
  Freedesktop& operator=(const Freedesktop&) = delete;
  ~Freedesktop() override;

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
  MimeDatabase& database();
  Applications& applications();
  Associations& associations();
  // The folder of the running program.
  std::string executableFolder();
  // The installed application's entry for a bundle identifier; null when none.
  const Application* installed(std::string_view bundleID);
  Status setDefault(std::string_view mimeType, std::string_view bundleID);
  // The content type a text names (MimeDatabase::canonical: aliases resolved, letter
  // case ignored); none when the text is not a MIME type.
  std::optional<std::string> contentType(std::string_view text);
  // Everything read so far is stale after a change.
  void forget();

  XdgDirs dirs_;
  std::optional<std::string> executable_;
  std::unique_ptr<MimeDatabase> database_;
  std::unique_ptr<Applications> applications_;
  std::unique_ptr<Associations> associations_;
};

}  // namespace platform
