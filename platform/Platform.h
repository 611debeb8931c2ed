// The operations the tool needs from the desktop platform: reading and changing the
// default application of URL schemes and content types, listing applications, types
// and schemes, locating application bundles and launching them.
//
// Platform is an interface with one real implementation (Freedesktop.h, built on the
// freedesktop.org standards) and one test double (FakePlatform.h). The operations keep
// the names under which the tool's logic knows them; everything above this layer asks
// only this interface and never touches desktop files or mimeapps.list itself.
//
// Conventions: a bundle identifier is a desktop file ID without its ".desktop" suffix
// (an ID given with the suffix names the same application); a content type is a MIME
// type; a URL scheme S is the pseudo type "x-scheme-handler/S". Every operation that
// can fail reports a Status (Status.h): success, or a code with its reason.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Status.h"

namespace platform {

using LSRolesMask = std::uint32_t;

inline constexpr LSRolesMask kLSRolesViewer = 0x00000002;
inline constexpr LSRolesMask kLSRolesEditor = 0x00000004;
inline constexpr LSRolesMask kLSRolesShell = 0x00000008;
inline constexpr LSRolesMask kLSRolesAll = 0xFFFFFFFF;

// URLsForDirectory: the directories the tool asks for, and "all domains".
inline constexpr int kApplicationDirectory = 1;
inline constexpr int kPreferencePanesDirectory = 22;
inline constexpr unsigned kAllDomainsMask = 0xFFFF;

// launchApplicationAtURL option: do not add the application to the recent items.
inline constexpr unsigned kLaunchWithoutAddingToRecents = 0x100;

// A parsed URL. parse() is as strict as a real URL parser: the empty text, a text
// with white space or control characters, or a malformed scheme does not parse.
// A text without a scheme parses as a relative reference (its path is the text).
class URL {
 public:
  static std::optional<URL> parse(std::string_view text);
  // A file URL for an absolute file-system path ("/a b" becomes "file:///a%20b").
  static URL fileURLWithPath(std::string_view path);

  const std::string& absoluteString() const { return text_; }
  const std::string& scheme() const { return scheme_; }  // lower case; "" when relative
  // The percent-decoded path; "" when the URL has none ("mailto:" has "", "file:" too).
  const std::string& path() const { return path_; }
  // The authority after "//", lower case; "" when there is none.
  const std::string& host() const { return host_; }
  // A file on this machine: scheme "file" with no host, an empty one or "localhost".
  bool isFileURL() const { return scheme_ == "file" && (host_.empty() || host_ == "localhost"); }
  // This URL with one more path component ("/Applications" + "X.app").
  URL appendingPathComponent(std::string_view component) const;

  friend bool operator==(const URL&, const URL&) = default;

 private:
  std::string text_;
  std::string scheme_;
  std::string host_;
  std::string path_;
};

// The information of a bundle: the keys of a desktop entry's [Desktop Entry] group
// (untranslated values, unescaped), plus "CFBundleIdentifier" (the entry's desktop file
// ID without ".desktop") and "CFBundlePackageType" ("APPL" for Type=Application,
// otherwise the Type value as written; absent when the entry has no Type key).
using InfoDictionary = std::map<std::string, std::string>;

// A bundle opened at a path: a desktop entry file, or a folder "Name.app" holding one
// desktop entry and the program it runs.
struct Bundle {
  std::optional<InfoDictionary> infoDictionary;  // none: not a readable desktop entry
  std::optional<std::string> bundleIdentifier;
  URL bundleURL;
  std::string bundlePath;
  std::optional<URL> resourceURL;  // the folder of a "Name.app" bundle; none otherwise
};

struct RunningApplication {
  std::int32_t processIdentifier = -1;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Handler queries. Every failure (unknown scheme or type, nothing installed,
  // unreadable files) answers none; nothing is printed.
  virtual std::optional<std::string> LSCopyDefaultHandlerForURLScheme(std::string_view scheme) = 0;
  virtual std::optional<std::vector<std::string>> LSCopyAllHandlersForURLScheme(
      std::string_view scheme) = 0;
  virtual std::optional<std::string> LSCopyDefaultRoleHandlerForContentType(
      std::string_view contentType, LSRolesMask roles) = 0;
  virtual std::optional<std::vector<std::string>> LSCopyAllRoleHandlersForContentType(
      std::string_view contentType, LSRolesMask roles) = 0;

  // Handler changes: make bundleID the default of the scheme or type. Success only when
  // the change took effect; on failure nothing is changed and the status says why.
  virtual Status LSSetDefaultHandlerForURLScheme(std::string_view scheme,
                                                 std::string_view bundleID) = 0;
  virtual Status LSSetDefaultRoleHandlerForContentType(std::string_view contentType,
                                                       LSRolesMask roles,
                                                       std::string_view bundleID) = 0;

  // The locations of the installed application with this identifier; none when it is
  // not installed.
  virtual std::optional<std::vector<URL>> LSCopyApplicationURLsForBundleIdentifier(
      std::string_view bundleID) = 0;
  // Every installed application; success and the list, or a failure.
  virtual Status LSCopyAllApplicationURLs(std::optional<std::vector<URL>>& applications) = 0;
  // Every scheme that an installed application handles, paired by position with the
  // location of its default handler.
  virtual Status LSCopySchemesAndHandlerURLs(std::optional<std::vector<std::string>>& schemes,
                                             std::optional<std::vector<URL>>& handlers) = 0;
  // Every type of the shared MIME-info database (canonical names).
  virtual std::optional<std::vector<std::string>> UTCopyDeclaredTypeIdentifiers() = 0;
  // Whether contentType is parent or a subclass of it (reflexive, transitive, through
  // aliases). Every known type conforms to "public.item" and "public.content".
  virtual bool UTTypeConformsTo(std::string_view contentType, std::string_view parent) = 0;

  // Workspace.
  virtual std::optional<URL> URLForApplicationWithBundleIdentifier(std::string_view bundleID) = 0;
  virtual std::optional<std::string> absolutePathForAppBundleWithIdentifier(
      std::string_view bundleID) = 0;
  // The installed application whose untranslated Name, or whose program's file name in
  // Exec, equals the text, ignoring letter case.
  virtual std::optional<std::string> fullPathForApplication(std::string_view name) = 0;
  // An icon for an alert: the path of an image file, or "" when there is none.
  virtual std::string iconForFile(std::string_view path) = 0;
  // Registers the bundle at the URL (installs its desktop entry) and starts its program
  // once, detached. Sets error (when given) and answers none when that fails.
  virtual std::optional<RunningApplication> launchApplicationAtURL(const URL& url, unsigned options,
                                                                   Status* error) = 0;

  // Bundles.
  virtual std::optional<Bundle> bundleWithPath(std::string_view path) = 0;
  virtual std::optional<Bundle> bundleWithURL(const URL& url) = 0;
  // The running program's bundle: the folder of the executable, with no identifier.
  virtual Bundle mainBundle() = 0;
  // A bundle loaded into this process with that identifier; the tool loads none.
  virtual std::optional<Bundle> bundleWithIdentifier(std::string_view bundleID) = 0;

  // Files.
  virtual bool fileExistsAtPath(std::string_view path) = 0;
  virtual bool isExecutableFileAtPath(std::string_view path) = 0;
  virtual std::vector<URL> URLsForDirectory(int directory, unsigned domainMask) = 0;
};

}  // namespace platform
