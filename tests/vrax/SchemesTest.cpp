// URL-scheme handlers: the scheme check, queries as identifiers and as paths, changes
// (with the placeholder's registration) and the scheme list.
#include <gtest/gtest.h>

#include "VraxTestSupport.h"
#include "vrax/LSWrappers.h"

namespace vrax::testing {
namespace {

using platform::FakePlatform;
using Schemes = LSWrappers::Schemes;

struct SchemeCase {
  const char* text;
  bool valid;
};

class SchemeCheckTest : public ::testing::TestWithParam<SchemeCase> {};

TEST_P(SchemeCheckTest, WholeTextMustBeAScheme) {
  EXPECT_EQ(Schemes::isValidScheme(GetParam().text), GetParam().valid) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SchemeCheckTest,
    ::testing::Values(SchemeCase{"http", true}, SchemeCase{"HTTP", true}, SchemeCase{"h1", true},
                      SchemeCase{"x-scheme+v1.2", true}, SchemeCase{"web+mastodon", true},
                      SchemeCase{"h", false}, SchemeCase{"", false}, SchemeCase{"1http", false},
                      SchemeCase{"-http", false}, SchemeCase{"ht tp", false},
                      SchemeCase{"mailto:", false}, SchemeCase{"ht_tp", false},
                      SchemeCase{"http\n", false}, SchemeCase{"http\r\n", false},
                      SchemeCase{"\nhttp", false}, SchemeCase{"ht\ntp", false},
                      SchemeCase{"http\u2028", false}, SchemeCase{"h\xc3\xa9llo", false},
                      SchemeCase{"http/", false}));

TEST(SchemeCheckTest, EmbeddedNulIsInvalid) {
  EXPECT_FALSE(Schemes::isValidScheme(std::string_view("http\0x", 6)));
}

TEST_F(WrappersTest, SchemeDefaultAsIdentifierOrPath) {
  install("firefox-esr", "/usr/share/applications/firefox-esr.desktop");
  fake->schemeDefaults["http"] = "firefox-esr";
  fake->schemeDefaults["gone"] = "org.example.Removed";
  EXPECT_EQ(Schemes::copyDefaultHandler("http", false), "firefox-esr");
  EXPECT_EQ(Schemes::copyDefaultHandler("http", true),
            "/usr/share/applications/firefox-esr.desktop");
  EXPECT_EQ(Schemes::copyDefaultHandler("gone", false), "org.example.Removed");
  EXPECT_FALSE(Schemes::copyDefaultHandler("gone", true));
  EXPECT_FALSE(Schemes::copyDefaultHandler("ftp", false));
  // The scheme reaches the platform as written.
  EXPECT_FALSE(Schemes::copyDefaultHandler("HTTP", true));
  EXPECT_EQ(fake->calls.back(), "LSCopyDefaultHandlerForURLScheme(HTTP)");
}

TEST_F(WrappersTest, AllSchemeHandlersSkipThoseWithoutPathButNeverAnswerEmptyPaths) {
  install("a", "/apps/a.desktop");
  install("c", "/apps/c.desktop");
  fake->schemeHandlers["http"] = {"c", "removed", "a"};
  fake->schemeHandlers["none"] = {};
  fake->schemeHandlers["lost"] = {"removed"};
  EXPECT_EQ(Schemes::copyAllHandlers("http", false),
            (std::vector<std::string>{"c", "removed", "a"}));
  EXPECT_EQ(Schemes::copyAllHandlers("http", true),
            (std::vector<std::string>{"/apps/c.desktop", "/apps/a.desktop"}));
  EXPECT_EQ(Schemes::copyAllHandlers("none", false), std::vector<std::string>{});
  EXPECT_FALSE(Schemes::copyAllHandlers("none", true));
  EXPECT_FALSE(Schemes::copyAllHandlers("lost", true));
  EXPECT_FALSE(Schemes::copyAllHandlers("unknown", false));
}

TEST_F(WrappersTest, InvalidSchemeIsRefusedWithoutContactingTheRegistry) {
  install("firefox-esr", "/apps/f.desktop");
  fake->calls.clear();
  for (const char* scheme : {"h", "1abc", "http\n", "a b", ""}) {
    EXPECT_EQ(Schemes::setDefaultHandler(scheme, "firefox-esr").code(), -30774) << scheme;
  }
  EXPECT_TRUE(fake->calls.empty());
}

TEST_F(WrappersTest, SchemeChangeNeedsARegisteredApplication) {
  EXPECT_EQ(Schemes::setDefaultHandler("http", "org.example.Unknown").code(), -10814);
  EXPECT_FALSE(fake->called("LSSetDefaultHandlerForURLScheme"));
  EXPECT_TRUE(fake->schemeDefaults.empty());
}

TEST_F(WrappersTest, SchemeChangeReachesThePlatformAsWritten) {
  install("firefox-esr", "/apps/f.desktop");
  EXPECT_EQ(Schemes::setDefaultHandler("HTTP", "firefox-esr").code(), 0);
  EXPECT_EQ(fake->calls.back(), "LSSetDefaultHandlerForURLScheme(HTTP, firefox-esr)");
  EXPECT_EQ(fake->schemeDefaults["HTTP"], "firefox-esr");
  fake->setSchemeStatus = Status::error(-10822);
  EXPECT_EQ(Schemes::setDefaultHandler("mailto", "firefox-esr").code(), -10822);
  fake->setSchemeStatus = Status::error(5);
  EXPECT_EQ(Schemes::setDefaultHandler("mailto", "firefox-esr").code(), 5);
}

TEST_F(WrappersTest, PlaceholderIsLaunchedBeforeItBecomesAHandler) {
  fake->mainBundleValue = FakePlatform::makeUnreadableBundle("/opt/vrax/bin");
  fake->executableFiles.insert("/opt/vrax/bin/Quietling.app");
  fake->registerOnLaunch = kPlaceholder;
  EXPECT_EQ(Schemes::setDefaultHandler("mailto", kPlaceholder).code(), 0);
  ASSERT_EQ(fake->launches.size(), 1u);
  EXPECT_EQ(fake->calls.back(), "LSSetDefaultHandlerForURLScheme(mailto, " + kPlaceholder + ")");

  // Without a copy to launch, nothing changes.
  fake->registeredApplications.clear();
  fake->appBundlePaths.clear();
  fake->executableFiles.clear();
  EXPECT_EQ(Schemes::setDefaultHandler("news", kPlaceholder).code(), -10814);
  EXPECT_FALSE(fake->schemeDefaults.contains("news"));
}

TEST_F(WrappersTest, SchemeListPairsByPositionAndKeepsTheLaterDuplicate) {
  fake->schemeList = std::vector<std::string>{"mailto", "http", "mailto"};
  fake->schemeHandlerList =
      std::vector{FakePlatform::url("/apps/m1.desktop"), FakePlatform::url("/apps/web.desktop"),
                  FakePlatform::url("/apps/m2.desktop")};
  auto map = Schemes::copySchemesAndHandlers();
  ASSERT_TRUE(map);
  EXPECT_EQ(*map, (std::map<std::string, std::string>{{"http", "/apps/web.desktop"},
                                                      {"mailto", "/apps/m2.desktop"}}));
}

TEST_F(WrappersTest, SchemeListFailsWhenAnyPartIsMissing) {
  fake->schemeList = std::vector<std::string>{"http"};
  fake->schemeHandlerList = std::vector{FakePlatform::url("/apps/web.desktop")};
  fake->schemesAndHandlersStatus = Status::error(-10822);
  EXPECT_FALSE(Schemes::copySchemesAndHandlers());
  fake->schemesAndHandlersStatus = Status();
  fake->schemeHandlerList.reset();
  EXPECT_FALSE(Schemes::copySchemesAndHandlers());
  fake->schemeHandlerList = std::vector{FakePlatform::url("/apps/web.desktop")};
  fake->schemeList.reset();
  EXPECT_FALSE(Schemes::copySchemesAndHandlers());
  // Lists that do not pair up are not guessed at.
  fake->schemeList = std::vector<std::string>{"http", "ftp"};
  EXPECT_FALSE(Schemes::copySchemesAndHandlers());
  fake->schemeList = std::vector<std::string>{};
  fake->schemeHandlerList = std::vector<platform::URL>{};
  EXPECT_EQ(Schemes::copySchemesAndHandlers(), (std::map<std::string, std::string>{}));
}

}  // namespace
}  // namespace vrax::testing
