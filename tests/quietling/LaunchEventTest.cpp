#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "quietling/GLibPtr.h"
#include "quietling/LaunchEvent.h"

namespace quietling {
namespace {

struct Case {
  const char* argument;
  LaunchEventKind kind;
  const char* directObject;  // nullptr: the file URL of the current folder + argument
};

// What the desktop's openers pass ("%u": a URL, a file URL or a path) and what the
// application is told.
const Case kCases[] = {
    {"mailto:someone@example.org", LaunchEventKind::getURL, "mailto:someone@example.org"},
    {"mailto:a%20b@example.org", LaunchEventKind::getURL, "mailto:a%20b@example.org"},
    {"HTTPS://example.org/a?b#c", LaunchEventKind::getURL, "HTTPS://example.org/a?b#c"},
    {"x-my+scheme.v2-beta:%s%n%d", LaunchEventKind::getURL, "x-my+scheme.v2-beta:%s%n%d"},
    {"news:", LaunchEventKind::getURL, "news:"},
    {"file:///tmp/a%20b.txt", LaunchEventKind::openDocuments, "file:///tmp/a%20b.txt"},
    {"FILE:///tmp/x", LaunchEventKind::openDocuments, "FILE:///tmp/x"},
    {"/tmp/a b%25#?.txt", LaunchEventKind::openDocuments, "file:///tmp/a%20b%2525%23%3F.txt"},
    {"/tmp/mailto:x", LaunchEventKind::openDocuments, "file:///tmp/mailto:x"},
    {"notes/today.txt", LaunchEventKind::openDocuments, nullptr},
    {"1st:thing", LaunchEventKind::openDocuments, nullptr},
    {"a b:c", LaunchEventKind::openDocuments, nullptr},
    {":colon", LaunchEventKind::openDocuments, nullptr},
};

TEST(LaunchEventTest, ArgumentBecomesTheEventThatDeliversIt) {
  const std::string cwd = std::filesystem::current_path().string();
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.argument);
    EXPECT_EQ(classifyLaunchArgument(c.argument), c.kind);
    const std::optional<AppleEvent> event = launchEventForArgument(c.argument);
    ASSERT_TRUE(event.has_value());
    if (c.kind == LaunchEventKind::getURL) {
      EXPECT_EQ(event->eventClass(), kInternetEventClass);
      EXPECT_EQ(event->eventID(), kAEGetURL);
    } else {
      EXPECT_EQ(event->eventClass(), kCoreEventClass);
      EXPECT_EQ(event->eventID(), kAEOpenDocuments);
    }
    const std::optional<AppleEventDescriptor> object =
        event->paramDescriptorForKeyword(keyDirectObject);
    ASSERT_TRUE(object.has_value());
    ASSERT_TRUE(object->stringValue().has_value());
    if (c.directObject != nullptr) {
      EXPECT_EQ(*object->stringValue(), c.directObject);
    } else {
      // A relative path is taken from the current folder.
      const GCharPtr path(g_filename_from_uri(object->stringValue()->c_str(), nullptr, nullptr));
      ASSERT_NE(path, nullptr);
      EXPECT_EQ(std::string(path.get()), cwd + "/" + c.argument);
    }
  }
}

TEST(LaunchEventTest, EmptyArgumentIsNoEvent) {
  EXPECT_FALSE(launchEventForArgument("").has_value());
  EXPECT_TRUE(launchEventsForArguments({}).empty());
}

TEST(LaunchEventTest, EachArgumentGivesOneEventInOrder) {
  const std::vector<AppleEvent> events =
      launchEventsForArguments({"mailto:a@b.org", "", "/tmp/f.txt"});
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].eventID(), kAEGetURL);
  EXPECT_EQ(events[1].eventID(), kAEOpenDocuments);
  EXPECT_EQ(events[1].paramDescriptorForKeyword(keyDirectObject)->stringValue(),
            "file:///tmp/f.txt");
}

}  // namespace
}  // namespace quietling
