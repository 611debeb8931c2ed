#include "quietling/Application.h"

namespace quietling {

void Application::terminate(const void* /*sender*/) { terminating_ = true; }

int Application::run(const std::vector<AppleEvent>& launchEvents) {
  if (running_) return 0;
  running_ = true;
  const Notification notification{*this};
  delegate_.applicationWillFinishLaunching(notification);
  for (const AppleEvent& event : launchEvents) {
    if (terminating_) break;
    eventManager_.dispatch(event);
  }
  if (!terminating_) delegate_.applicationDidFinishLaunching(notification);
  terminating_ = true;
  delegate_.applicationWillTerminate(notification);
  running_ = false;
  return 0;
}

}  // namespace quietling
