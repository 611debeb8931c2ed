#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quietling/Application.h"

namespace quietling {
namespace {

AppleEvent urlEvent(std::string url) {
  AppleEvent event(kInternetEventClass, kAEGetURL);
  event.setParamDescriptor(AppleEventDescriptor(std::move(url)), keyDirectObject);
  return event;
}

// Records every life-cycle step and event in the order the application delivers them.
class RecordingDelegate final : public ApplicationDelegate {
 public:
  enum class TerminateIn { nothing, willFinish, firstEvent, didFinish };
  explicit RecordingDelegate(TerminateIn terminateIn) : terminateIn_(terminateIn) {}

  void applicationWillFinishLaunching(const Notification& notification) override {
    steps.push_back("willFinish");
    application_ = &notification.object;
    notification.object.eventManager().setEventHandler(
        [this](const AppleEvent& event, AppleEvent&) {
          steps.push_back("url:" +
                          *event.paramDescriptorForKeyword(keyDirectObject)->stringValue());
          if (terminateIn_ == TerminateIn::firstEvent) application_->terminate(this);
        },
        kInternetEventClass, kAEGetURL);
    if (terminateIn_ == TerminateIn::willFinish) notification.object.terminate(this);
  }
  void applicationDidFinishLaunching(const Notification& notification) override {
    steps.push_back("didFinish");
    if (terminateIn_ == TerminateIn::didFinish) notification.object.terminate(this);
  }
  void applicationWillTerminate(const Notification& notification) override {
    steps.push_back(notification.object.isTerminating() ? "willTerminate" : "willTerminate?");
  }

  std::vector<std::string> steps;

 private:
  TerminateIn terminateIn_;
  Application* application_ = nullptr;
};

using TerminateIn = RecordingDelegate::TerminateIn;

TEST(ApplicationTest, LifeCycleOrderAroundTheLaunchEvents) {
  struct Case {
    TerminateIn terminateIn;
    std::vector<std::string> steps;
  } cases[] = {
      {TerminateIn::didFinish, {"willFinish", "url:a:1", "url:b:2", "didFinish", "willTerminate"}},
      // Never asked to terminate: nothing else can arrive, so it ends the same way.
      {TerminateIn::nothing, {"willFinish", "url:a:1", "url:b:2", "didFinish", "willTerminate"}},
      // Asked to terminate early: what follows is skipped, termination still announced.
      {TerminateIn::firstEvent, {"willFinish", "url:a:1", "willTerminate"}},
      {TerminateIn::willFinish, {"willFinish", "willTerminate"}},
  };
  for (const Case& c : cases) {
    RecordingDelegate delegate(c.terminateIn);
    Application application(delegate);
    EXPECT_EQ(application.run({urlEvent("a:1"), urlEvent("b:2")}), 0);
    EXPECT_EQ(delegate.steps, c.steps);
  }
}

TEST(ApplicationTest, LaunchWithoutEventsStillRunsTheLifeCycle) {
  RecordingDelegate delegate(TerminateIn::didFinish);
  Application application(delegate);
  EXPECT_EQ(application.run({}), 0);
  EXPECT_EQ(delegate.steps, (std::vector<std::string>{"willFinish", "didFinish", "willTerminate"}));
}

TEST(ApplicationTest, EventWithoutHandlerIsDropped) {
  RecordingDelegate delegate(TerminateIn::didFinish);
  Application application(delegate);
  AppleEvent open(kCoreEventClass, kAEOpenDocuments);
  open.setParamDescriptor(AppleEventDescriptor("file:///x"), keyDirectObject);
  EXPECT_EQ(application.run({open, urlEvent("c:3")}), 0);
  EXPECT_EQ(delegate.steps,
            (std::vector<std::string>{"willFinish", "url:c:3", "didFinish", "willTerminate"}));
}

TEST(AppleEventManagerTest, RoutesByClassAndIdentifierAndLaterRegistrationWins) {
  AppleEventManager manager;
  std::vector<std::string> calls;
  manager.setEventHandler([&](const AppleEvent&, AppleEvent&) { calls.push_back("first"); },
                          kInternetEventClass, kAEGetURL);
  manager.setEventHandler([&](const AppleEvent&, AppleEvent&) { calls.push_back("second"); },
                          kInternetEventClass, kAEGetURL);
  EXPECT_TRUE(manager.dispatch(AppleEvent(kInternetEventClass, kAEGetURL)));
  // Same identifier under another class, and the reverse pair, reach nobody.
  EXPECT_FALSE(manager.dispatch(AppleEvent(kCoreEventClass, kAEGetURL)));
  EXPECT_FALSE(manager.dispatch(AppleEvent(kAEOpenDocuments, kCoreEventClass)));
  EXPECT_EQ(calls, std::vector<std::string>{"second"});
}

TEST(AppleEventTest, ParametersByKeyword) {
  AppleEvent event(kInternetEventClass, kAEGetURL);
  EXPECT_FALSE(event.paramDescriptorForKeyword(keyDirectObject).has_value());
  event.setParamDescriptor(AppleEventDescriptor(), keyDirectObject);
  ASSERT_TRUE(event.paramDescriptorForKeyword(keyDirectObject).has_value());
  EXPECT_FALSE(event.paramDescriptorForKeyword(keyDirectObject)->stringValue().has_value());
  event.setParamDescriptor(AppleEventDescriptor("x:y"), keyDirectObject);
  EXPECT_EQ(event.paramDescriptorForKeyword(keyDirectObject)->stringValue(), "x:y");
}

}  // namespace
}  // namespace quietling
