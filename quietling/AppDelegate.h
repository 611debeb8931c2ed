// The placeholder's application delegate. Launched for a URL or a file, it writes one
// line saying what it was launched for and ends the application at once; launched for
// nothing, it writes nothing and ends the same way.
#pragma once

#include <memory>
#include <string>

#include "quietling/AppleEvent.h"
#include "quietling/Application.h"
#include "quietling/Logger.h"
#include "quietling/Workspace.h"

namespace quietling {

// A window the interface could connect; the placeholder never shows one.
class Window {};

class AppDelegate final : public ApplicationDelegate {
 public:
  inline static const std::string kURLLinePrefix =
      "Dummy application launched in response to URL: ";
  inline static const std::string kFileTypeLinePrefix =
      "Dummy application launched in response to file of type: ";
  inline static const std::string kLineSuffix = ", will now exit.";
  inline static const std::string kUnknownTypeLine =
      "Dummy application launched in response to file with unknown type, will now exit.";

  AppDelegate(Workspace& workspace, Logger& logger) : workspace_(workspace), logger_(logger) {}
  AppDelegate(const AppDelegate&) = delete;
  AppDelegate& operator=(const AppDelegate&) = delete;

  // The window outlet: a weak reference, empty unless the interface sets one.
  std::weak_ptr<Window> window() const { return window_; }
  void setWindow(std::weak_ptr<Window> window) { window_ = std::move(window); }

  // Registers the get-URL handler, then the open-documents handler, on the
  // application's event manager, so that the launch's own event reaches them.
  void applicationWillFinishLaunching(const Notification& notification) override;
  // Asks the application to terminate.
  void applicationDidFinishLaunching(const Notification& notification) override;
  void applicationWillTerminate(const Notification& notification) override;

  // Logs the URL line for the event's direct object; nothing when it has no text.
  void handleGetURLEvent(const AppleEvent& event, AppleEvent& replyEvent);
  // Logs the file-type line for the file that the direct object's "file:" URL names,
  // or the unknown-type line when the type cannot be found; nothing when the direct
  // object is missing or is not a "file:" URL.
  void handleOpenEvent(const AppleEvent& event, AppleEvent& replyEvent);

 private:
  std::weak_ptr<Window> window_;
  Workspace& workspace_;
  Logger& logger_;
};

}  // namespace quietling
