#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "quietling/AppDelegate.h"
#include "quietling/Application.h"
#include "quietling/LaunchEvent.h"

namespace quietling {
namespace {

class RecordingLogger final : public Logger {
 public:
  void log(std::string_view message) override { messages.emplace_back(message); }
  std::vector<std::string> messages;
};

class FakeWorkspace final : public Workspace {
 public:
  std::optional<std::string> typeOfFile(const std::string& path) override {
    askedPaths.push_back(path);
    const auto found = types.find(path);
    if (found == types.end()) return std::nullopt;
    return found->second;
  }
  std::map<std::string, std::string> types;
  std::vector<std::string> askedPaths;
};

AppleEvent eventWith(FourCharCode eventClass, FourCharCode eventID,
                     std::optional<AppleEventDescriptor> directObject) {
  AppleEvent event(eventClass, eventID);
  if (directObject) event.setParamDescriptor(*directObject, keyDirectObject);
  return event;
}

class AppDelegateTest : public ::testing::Test {
 protected:
  // Runs the application for the arguments an opener passes, as the program does.
  std::vector<std::string> launch(const std::vector<std::string>& arguments) {
    Application application(delegate);
    EXPECT_EQ(application.run(launchEventsForArguments(arguments)), 0);
    EXPECT_TRUE(application.isTerminating());
    return logger.messages;
  }

  RecordingLogger logger;
  FakeWorkspace workspace;
  AppDelegate delegate{workspace, logger};
};

TEST_F(AppDelegateTest, UrlLineHoldsTheUrlVerbatim) {
  for (const std::string url : {"mailto:someone@example.org", "mailto:a%20b@example.org",
                                "x-test:%s%n%d%%", "news:", "http://h/a b\tc"}) {
    logger.messages.clear();
    EXPECT_EQ(launch({url}),
              std::vector<std::string>{"Dummy application launched in response to URL: " + url +
                                       ", will now exit."});
  }
  EXPECT_TRUE(workspace.askedPaths.empty());
}

TEST_F(AppDelegateTest, FileLineNamesTheTypeOfTheFileAtTheUrlsPath) {
  // The path survives the trip through the file URL byte for byte.
  const std::string path = "/tmp/dir with space/100%25 #1?\xff.txt";
  workspace.types[path] = "text/x-100%s";
  EXPECT_EQ(
      launch({path}),
      std::vector<std::string>{
          "Dummy application launched in response to file of type: text/x-100%s, will now exit."});
  EXPECT_EQ(workspace.askedPaths, std::vector<std::string>{path});

  logger.messages.clear();
  workspace.types["/tmp/a b.txt"] = "text/plain";
  EXPECT_EQ(
      launch({"file:///tmp/a%20b.txt"}),
      std::vector<std::string>{
          "Dummy application launched in response to file of type: text/plain, will now exit."});
}

TEST_F(AppDelegateTest, FileWithoutTypeGivesUnknownTypeLine) {
  // Whatever path the URL has, even none, is asked for; no type means the unknown line.
  static const struct {
    const char* argument;
    std::string askedPath;
  } cases[] = {
      {"/no/such/file", "/no/such/file"},
      {"file:", ""},
      {"file:x", "x"},
      {"file://", ""},
      {"file://host", ""},
      {"FILE://host/tmp/x", "/tmp/x"},
      {"file:///tmp/a%00b", std::string("/tmp/a\0b", 8)},
  };
  for (const auto& c : cases) {
    logger.messages.clear();
    workspace.askedPaths.clear();
    EXPECT_EQ(launch({c.argument}),
              std::vector<std::string>{"Dummy application launched in response to file with "
                                       "unknown type, will now exit."})
        << c.argument;
    EXPECT_EQ(workspace.askedPaths, std::vector<std::string>{c.askedPath}) << c.argument;
  }
}

TEST_F(AppDelegateTest, OpenEventTypesThePathOfAnyURL) {
  workspace.types["/x"] = "text/plain";
  AppleEvent reply(kCoreEventClass, kAEOpenDocuments);
  delegate.handleOpenEvent(
      eventWith(kCoreEventClass, kAEOpenDocuments, AppleEventDescriptor("http://example.org/x")),
      reply);
  EXPECT_EQ(logger.messages,
            std::vector<std::string>{
                "Dummy application launched in response to file of type: text/plain, will now "
                "exit."});
}

TEST_F(AppDelegateTest, LaunchForNothingLogsNothing) { EXPECT_TRUE(launch({}).empty()); }

TEST_F(AppDelegateTest, EventsWithoutUsableDirectObjectLogNothing) {
  const AppleEvent events[] = {
      eventWith(kInternetEventClass, kAEGetURL, std::nullopt),
      eventWith(kInternetEventClass, kAEGetURL, AppleEventDescriptor()),
      eventWith(kCoreEventClass, kAEOpenDocuments, std::nullopt),
      eventWith(kCoreEventClass, kAEOpenDocuments, AppleEventDescriptor()),
      eventWith(kCoreEventClass, kAEOpenDocuments, AppleEventDescriptor("file:///bad%zzescape")),
      eventWith(kCoreEventClass, kAEOpenDocuments, AppleEventDescriptor("not a url")),
  };
  AppleEvent reply(kCoreEventClass, kAEOpenDocuments);
  for (const AppleEvent& event : events) {
    if (event.eventID() == kAEGetURL) {
      delegate.handleGetURLEvent(event, reply);
    } else {
      delegate.handleOpenEvent(event, reply);
    }
  }
  EXPECT_TRUE(logger.messages.empty());
  EXPECT_TRUE(workspace.askedPaths.empty());
}

TEST_F(AppDelegateTest, LifeCycleRegistersHandlersThenTerminates) {
  Application application(delegate);
  const Notification notification{application};
  // Before launching finishes nothing handles events.
  EXPECT_FALSE(application.eventManager().dispatch(
      eventWith(kInternetEventClass, kAEGetURL, AppleEventDescriptor("a:b"))));
  delegate.applicationWillFinishLaunching(notification);
  EXPECT_TRUE(application.eventManager().dispatch(
      eventWith(kInternetEventClass, kAEGetURL, AppleEventDescriptor("a:b"))));
  EXPECT_TRUE(application.eventManager().dispatch(
      eventWith(kCoreEventClass, kAEOpenDocuments, AppleEventDescriptor("file:///x"))));
  EXPECT_EQ(logger.messages.size(), 2u);
  EXPECT_FALSE(application.isTerminating());
  delegate.applicationDidFinishLaunching(notification);
  EXPECT_TRUE(application.isTerminating());
}

TEST_F(AppDelegateTest, WindowOutletIsWeak) {
  EXPECT_TRUE(delegate.window().expired());
  auto window = std::make_shared<Window>();
  delegate.setWindow(window);
  EXPECT_EQ(delegate.window().lock(), window);
  window.reset();
  EXPECT_TRUE(delegate.window().expired());
}

}  // namespace
}  // namespace quietling
