// The application runner: the life cycle of a desktop application without a window
// system. Application::run takes the delegate through the same order every launch:
// will finish launching (the delegate registers its event handlers), the launch's
// events delivered to those handlers, did finish launching, then termination. The
// delegate ends the application with terminate(); an application that is never asked
// to terminate ends once its launch is done, since no further event can reach it.
#pragma once

#include <vector>

#include "quietling/AppleEvent.h"

namespace quietling {

class Application;

// What a life-cycle callback is told: the application it concerns.
struct Notification {
  Application& object;
};

class ApplicationDelegate {
 public:
  virtual ~ApplicationDelegate() = default;
  virtual void applicationWillFinishLaunching(const Notification& notification) = 0;
  virtual void applicationDidFinishLaunching(const Notification& notification) = 0;
  virtual void applicationWillTerminate(const Notification& notification) = 0;
};

class Application final {
 public:
  explicit Application(ApplicationDelegate& delegate) : delegate_(delegate) {}
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  AppleEventManager& eventManager() { return eventManager_; }

  // Asks the application to end: the step under way finishes, nothing after it runs
  // but applicationWillTerminate. Asking again changes nothing.
  void terminate(const void* sender);
  bool isTerminating() const { return terminating_; }

  // Runs the whole life cycle once and answers the process's exit status (0).
  int run(const std::vector<AppleEvent>& launchEvents);

 private:
  ApplicationDelegate& delegate_;
  AppleEventManager eventManager_;
  bool terminating_ = false;
  bool running_ = false;
};

}  // namespace quietling
