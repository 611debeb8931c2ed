#include <gtest/gtest.h>

#include "platform/Platform.h"

namespace platform {
namespace {

TEST(URLTest, ParsesAsStrictlyAsAURLParser) {
  static const struct {
    const char* text;
    bool parses;
    const char* scheme;
    const char* path;
  } cases[] = {
      {"file:///Applications/Quietling.app", true, "file", "/Applications/Quietling.app"},
      {"file:///a%20b/c%25d", true, "file", "/a b/c%d"},
      {"file://localhost/etc/hosts", true, "file", "/etc/hosts"},
      {"FILE:///x", true, "file", "/x"},
      {"https://example.org/p?q=1#f", true, "https", "/p"},
      {"https://example.org", true, "https", ""},
      {"mailto:someone@example.org", true, "mailto", "someone@example.org"},
      {"mailto:", true, "mailto", ""},
      {"file:", true, "file", ""},
      {"/usr/share/applications/x.desktop", true, "", "/usr/share/applications/x.desktop"},
      {"Quietling", true, "", "Quietling"},
      {"", false, "", ""},
      {"file:///a b", false, "", ""},
      {"Text Editor", false, "", ""},
      {" file:///x", false, "", ""},
      {"file:///x\n", false, "", ""},
      {"file:///x%2", false, "", ""},
      {"file:///x%zz", false, "", ""},
      {"file:///x%00y", false, "", ""},
      {"1http://x", false, "", ""},
      {"a:b:c/d", true, "a", "b:c/d"},
      {"ht<tp://x", false, "", ""},
      {"file:///caf\xc3\xa9", false, "", ""},
      {"x#a#b", false, "", ""},
  };
  for (const auto& c : cases) {
    const auto url = URL::parse(c.text);
    ASSERT_EQ(url.has_value(), c.parses) << c.text;
    if (!url) continue;
    EXPECT_EQ(url->scheme(), c.scheme) << c.text;
    EXPECT_EQ(url->path(), c.path) << c.text;
    EXPECT_EQ(url->isFileURL(), std::string(c.scheme) == "file") << c.text;
    EXPECT_EQ(url->absoluteString(), c.text);
  }
}

// A file URL names a file on this machine only with no host, an empty one or localhost.
TEST(URLTest, FileURLsOnlyForThisMachine) {
  static const struct {
    const char* text;
    bool local;
  } cases[] = {
      {"file:///x", true},
      {"file://localhost/x", true},
      {"file://LocalHost/x", true},
      {"file:/x", true},
      {"file://server/x", false},
      {"file://127.0.0.1/x", false},
      {"file://user@localhost/x", false},
      {"file://localhost:80/x", false},
      {"https://localhost/x", false},
  };
  for (const auto& c : cases) {
    const auto url = URL::parse(c.text);
    ASSERT_TRUE(url) << c.text;
    EXPECT_EQ(url->isFileURL(), c.local) << c.text;
  }
}

TEST(URLTest, FileURLsRoundTripThroughParsing) {
  for (const char* path : {"/a b/Quietling.app", "/x/100%/y#z?", "/\xc3\xa9t\xc3\xa9"}) {
    const URL url = URL::fileURLWithPath(path);
    EXPECT_TRUE(url.isFileURL());
    EXPECT_EQ(url.path(), path);
    const auto again = URL::parse(url.absoluteString());
    ASSERT_TRUE(again) << url.absoluteString();
    EXPECT_EQ(again->path(), path);
  }
  EXPECT_EQ(URL::fileURLWithPath("/a b").absoluteString(), "file:///a%20b");
}

TEST(URLTest, AppendsOnePathComponent) {
  const URL folder = URL::fileURLWithPath("/home/u/Applications");
  EXPECT_EQ(folder.appendingPathComponent("Quietling.app").path(),
            "/home/u/Applications/Quietling.app");
  EXPECT_EQ(URL::fileURLWithPath("/").appendingPathComponent("x y").absoluteString(),
            "file:///x%20y");
}

}  // namespace
}  // namespace platform
