// The tool's access to the registry of default applications. LSWrappers and its nested
// types answer and change which application handles a URL scheme (Schemes) or a content
// type (UTType), turn what the user typed into a bundle identifier (getBundleID), make
// sure the placeholder application is registered before it becomes a handler
// (ensureRegistered), and turn a status code into the one text the user sees (LSErrors,
// displayAlert).
//
// Everything here is stateless: every call asks the platform afresh, through one
// process-wide seam (services()) that defaults to the freedesktop.org implementation and
// that tests replace with a double. Queries answer none for every failure and print
// nothing; changes answer a status code; only LSErrors turns a status into text, and
// only displayAlert reports it, through a second seam (host()) that says whether the code
// runs inside a host application and, if so, shows the report as an alert.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "vrax/Identifiers.h"

namespace vrax {

using platform::LSRolesMask;
using platform::Status;

class LSWrappers {
 public:
  class Schemes;
  class UTType;
  class LSErrors;
  class Host;
  class DefaultHost;
  struct Alert;
  class ErrorText;

  LSWrappers() = delete;

  // The placeholder application, which "None" stands for, and the sibling preference
  // pane that may host this code.
  static constexpr std::string_view placeholderBundleID = kPlaceholderBundleID;
  static constexpr std::string_view paneBundleID = kPaneBundleID;
  static constexpr std::string_view placeholderBundleName = "Quietling.app";
  static constexpr std::string_view paneBundleName = "Veltrane.prefpane";

  // The platform every operation asks. Created on first use (so commands that never ask
  // never load the registry); setServices replaces it, null restores the default.
  static platform::Platform& services();
  static void setServices(std::shared_ptr<platform::Platform> services);

  // The host displayAlert reports through; setHost replaces it, null restores the default.
  static Host& host();
  static void setHost(std::shared_ptr<Host> host);

  // Turns an application text (bundle identifier, name, path, file URL or "None") into a
  // bundle identifier. Answers success and writes the identifier into bundleID, or answers
  // a failure and leaves bundleID untouched.
  static Status getBundleID(std::string_view application, std::optional<std::string>& bundleID);
  // Success when the registry knows the application, registering the placeholder first
  // (by locating and launching it) when it is the one asked for and not yet known, or
  // known only through an entry that is not its own (whose program does not run inside
  // a Quietling.app bundle); else
  // a failure saying why (the bundle not found, or the reason it could not be started).
  static Status ensureRegistered(std::string_view bundleID);
  // The paths of every registered application, in the platform's order; none on failure.
  static std::optional<std::vector<std::string>> copyAllApps();
  // The bundle's package type; none with a status when it has no information or no type.
  static std::optional<std::string> packageType(const platform::Bundle& bundle, Status& status);
  // The location of the preference pane bundle, or none.
  static std::optional<platform::URL> preferencePaneURL();

  // Reports the outcome of a handler change. Not hosted: prints the success line for 0,
  // throws ErrorText with the message for a failure. Hosted: queues an alert on the
  // host's main queue and returns. Throws ErrorText when a failure lacks application or
  // target, whatever the mode, and std::system_error when the line cannot be printed.
  static void displayAlert(Status::Code status, const std::optional<std::string>& application,
                           const std::optional<std::string>& target);

 private:
  // The path of the application with this identifier; none when it cannot be located.
  static std::optional<std::string> applicationPath(std::string_view bundleID);
  // The paths of those applications that can be located, in order; none when none can.
  static std::optional<std::vector<std::string>> applicationPaths(
      const std::vector<std::string>& bundleIDs);
};

class LSWrappers::Schemes {
 public:
  Schemes() = delete;

  // The default handler of the scheme, as a bundle identifier or (asPath) the path of
  // the application; none when there is none or it cannot be located.
  static std::optional<std::string> copyDefaultHandler(std::string_view scheme, bool asPath);
  // Every handler of the scheme, in the platform's order. With asPath, handlers that
  // cannot be located are skipped and an empty result is none.
  static std::optional<std::vector<std::string>> copyAllHandlers(std::string_view scheme,
                                                                 bool asPath);
  // Makes bundleID the scheme's default handler: -30774 for an invalid scheme, -10814
  // when the application is not registered (and cannot be; the status says why), else
  // the platform's status.
  static Status setDefaultHandler(std::string_view scheme, std::string_view bundleID);
  // Every known scheme with the path of its default handler; none on failure.
  static std::optional<std::map<std::string, std::string>> copySchemesAndHandlers();

  // Whether the whole text is a scheme: an ASCII letter followed by one or more ASCII
  // letters, digits, ".", "+" or "-". Nothing may follow, not even a line break.
  static bool isValidScheme(std::string_view scheme);
};

class LSWrappers::UTType {
 public:
  UTType() = delete;

  // The text a type without a usable handler maps to in copyAllUTIs.
  static constexpr std::string_view kNoApplication = "No application set.";

  // As Schemes::copyDefaultHandler, for a content type and a set of roles.
  static std::optional<std::string> copyDefaultHandler(std::string_view contentType,
                                                       LSRolesMask roles, bool asPath);
  // As Schemes::copyAllHandlers, for a content type and a set of roles.
  static std::optional<std::vector<std::string>> copyAllHandlers(std::string_view contentType,
                                                                 LSRolesMask roles, bool asPath);
  // Every declared type that is an item or content, with the path of its viewer-or-editor
  // default handler or kNoApplication. Never fails.
  static std::map<std::string, std::string> copyAllUTIs();
};

// The ten outcomes of a handler change, each with its status code, and the texts that
// report them. A value converts to and from its Case, so it can be compared and switched
// on like an enumeration.
class LSWrappers::LSErrors {
 public:
  enum Case : Status::Code {
    invalidBundle = -67857,
    invalidScheme = -30774,
    incompatibleSys = -10825,
    serverErr = -10822,
    appNotFound = -10814,
    notAnApp = -10811,
    defaultErr = -10810,
    deletedApp = -10660,
    invalidFileURL = 262,
    noError = 0,
  };

  constexpr LSErrors(Case value) : value_(value) {}
  constexpr operator Case() const { return value_; }

  // The case of a status; a status outside the table is defaultErr.
  static LSErrors fromStatus(Status::Code status);
  // The case's own status code.
  Status::Code code() const;
  // The case as a status: success for noError, else a failure with the case's code.
  Status status() const;
  // The report: "Veltrane SUCCESS: ..." for noError, else "Veltrane ERROR <code>: " and
  // the case's text naming the application or the target. A missing application or
  // target reads as the empty text.
  std::string message(const std::optional<std::string>& application,
                      const std::optional<std::string>& target) const;

 private:
  Case value_;
};

// A failure text that displayAlert throws; setHandler prints it.
class LSWrappers::ErrorText : public std::runtime_error {
 public:
  explicit ErrorText(const std::string& text) : std::runtime_error(text) {}
  std::string text() const { return what(); }
};

// An alert as a host shows it: one modal window with an icon, buttons, a title (message
// text) and an informative text.
struct LSWrappers::Alert {
  enum class Style { warning = 0, informational = 1, critical = 2 };

  static constexpr std::string_view kDefaultMessageText = "Alert";

  std::string icon;  // path of an image file; "" for none
  std::vector<std::string> buttons;
  std::string messageText{kDefaultMessageText};
  std::string informativeText;
  Style alertStyle = Style::warning;
};

// What displayAlert needs from the process it runs in.
class LSWrappers::Host {
 public:
  virtual ~Host() = default;
  // Whether the main bundle has a bundle identifier, i.e. the code runs hosted.
  virtual bool mainBundleHasIdentifier() = 0;
  // Shows the alert modally until it is dismissed; the answer is not needed.
  virtual void runModal(const Alert& alert) = 0;
  // Runs the block later on the main queue and returns at once.
  virtual void dispatchAsyncOnMainQueue(std::function<void()> block) = 0;
};

// The host of the command-line tool: hosted only when the platform's main bundle has an
// identifier (the tool's never has); alerts are written to standard error; the main
// queue runs its blocks, in order, when drainMainQueue is called.
class LSWrappers::DefaultHost final : public LSWrappers::Host {
 public:
  DefaultHost() = default;
  DefaultHost(const DefaultHost&) = delete;
  DefaultHost& operator=(const DefaultHost&) = delete;

  bool mainBundleHasIdentifier() override;
  void runModal(const Alert& alert) override;
  void dispatchAsyncOnMainQueue(std::function<void()> block) override;
  // Runs every queued block, including blocks queued while draining; answers how many.
  std::size_t drainMainQueue();

 private:
  std::vector<std::function<void()>> mainQueue_;
};

}  // namespace vrax
