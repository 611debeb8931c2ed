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
  installRemoved("org.example.Removed");
  fake->setDefault("x-scheme-handler/http", "firefox-esr");
  fake->setDefault("x-scheme-handler/gone", "org.example.Removed");
  EXPECT_EQ(Schemes::copyDefaultHandler("http", false), "firefox-esr");
  EXPECT_EQ(Schemes::copyDefaultHandler("http", true),
            "/usr/share/applications/firefox-esr.desktop");
  // Named by the registry, but not found where it was.
  EXPECT_EQ(Schemes::copyDefaultHandler("gone", false), "org.example.Removed");
  EXPECT_FALSE(Schemes::copyDefaultHandler("gone", true));
  EXPECT_FALSE(Schemes::copyDefaultHandler("ftp", false));
  EXPECT_FALSE(Schemes::copyDefaultHandler("ftp", true));
}

TEST_F(WrappersTest, AllSchemeHandlersSkipThoseWithoutPathButNeverAnswerEmptyPaths) {
  install("c", "/apps/c.desktop", "", {"x-scheme-handler/http"});
  installRemoved("removed", {"x-scheme-handler/http", "x-scheme-handler/lost"});
  install("a", "/apps/a.desktop", "", {"x-scheme-handler/http"});
  EXPECT_EQ(Schemes::copyAllHandlers("http", false),
            (std::vector<std::string>{"c", "removed", "a"}));
  EXPECT_EQ(Schemes::copyAllHandlers("http", true),
            (std::vector<std::string>{"/apps/c.desktop", "/apps/a.desktop"}));
  EXPECT_EQ(Schemes::copyAllHandlers("none", false), std::vector<std::string>{});
  EXPECT_FALSE(Schemes::copyAllHandlers("none", true));
  EXPECT_FALSE(Schemes::copyAllHandlers("lost", true));
  fake->fail(FakePlatform::Operation::copyAllHandlers);
  EXPECT_FALSE(Schemes::copyAllHandlers("http", false));
}

// The schemes the registry has a default for, from its own list.
std::map<std::string, std::string> schemeDefaults(FakePlatform& platform) {
  std::optional<std::vector<std::string>> schemes;
  std::optional<std::vector<platform::URL>> handlers;
  platform.LSCopySchemesAndHandlerURLs(schemes, handlers);
  std::map<std::string, std::string> defaults;
  for (std::size_t i = 0; i < schemes->size(); ++i) {
    defaults[schemes->at(i)] = handlers->at(i).path();
  }
  return defaults;
}

TEST_F(WrappersTest, InvalidSchemeIsRefusedAndChangesNothing) {
  install("firefox-esr", "/apps/f.desktop");
  for (const char* scheme : {"h", "1abc", "http\n", "a b", ""}) {
    EXPECT_EQ(Schemes::setDefaultHandler(scheme, "firefox-esr").code(), -30774) << scheme;
  }
  EXPECT_EQ(schemeDefaults(*fake), (std::map<std::string, std::string>{}));
}

TEST_F(WrappersTest, SchemeChangeNeedsARegisteredApplication) {
  EXPECT_EQ(Schemes::setDefaultHandler("http", "org.example.Unknown").code(), -10814);
  EXPECT_EQ(fake->defaultOf("x-scheme-handler/http"), std::nullopt);
}

TEST_F(WrappersTest, SchemeChangeIsMadeOrFailsWithThePlatformsStatus) {
  install("firefox-esr", "/apps/f.desktop");
  EXPECT_EQ(Schemes::setDefaultHandler("HTTP", "firefox-esr").code(), 0);
  EXPECT_EQ(fake->defaultOf("x-scheme-handler/http"), "firefox-esr");
  EXPECT_EQ(Schemes::copyDefaultHandler("http", true), "/apps/f.desktop");
  fake->fail(FakePlatform::Operation::setDefaultHandler, Status::error(-10822));
  EXPECT_EQ(Schemes::setDefaultHandler("mailto", "firefox-esr").code(), -10822);
  fake->fail(FakePlatform::Operation::setDefaultHandler, Status::error(5));
  EXPECT_EQ(Schemes::setDefaultHandler("mailto", "firefox-esr").code(), 5);
  EXPECT_EQ(fake->defaultOf("x-scheme-handler/mailto"), std::nullopt);
}

TEST_F(WrappersTest, PlaceholderIsLaunchedBeforeItBecomesAHandler) {
  fake->setMainBundle("/opt/vrax/bin");
  placeholderIn("/opt/vrax/bin");
  EXPECT_EQ(Schemes::setDefaultHandler("mailto", kPlaceholder).code(), 0);
  EXPECT_EQ(fake->launches().size(), 1u);
  EXPECT_EQ(fake->defaultOf("x-scheme-handler/mailto"), kPlaceholder);

  // Without a copy to launch, nothing changes.
  replacePlatform(std::make_shared<FakePlatform>());
  EXPECT_EQ(Schemes::setDefaultHandler("news", kPlaceholder).code(), -10814);
  EXPECT_EQ(fake->defaultOf("x-scheme-handler/news"), std::nullopt);
  EXPECT_TRUE(fake->launches().empty());
}

TEST_F(WrappersTest, SchemeListPairsEachSchemeWithItsHandler) {
  install("web", "/apps/web.desktop", "", {"x-scheme-handler/http", "x-scheme-handler/mailto"});
  install("mail", "/apps/m.desktop", "", {"x-scheme-handler/mailto"});
  fake->setDefault("x-scheme-handler/mailto", "mail");
  auto map = Schemes::copySchemesAndHandlers();
  ASSERT_TRUE(map);
  EXPECT_EQ(*map, (std::map<std::string, std::string>{{"http", "/apps/web.desktop"},
                                                      {"mailto", "/apps/m.desktop"}}));
  fake->fail(FakePlatform::Operation::copySchemesAndHandlerURLs, Status::error(-10822));
  EXPECT_FALSE(Schemes::copySchemesAndHandlers());
}

// A platform whose scheme list answers the lists it is given, whatever they hold: lists
// that do not pair up, or a scheme twice, are outcomes the registry never gives.
class ScriptedSchemeList final : public FakePlatform {
 public:
  std::optional<std::vector<std::string>> schemes;
  std::optional<std::vector<platform::URL>> handlers;

  Status LSCopySchemesAndHandlerURLs(
      std::optional<std::vector<std::string>>& schemesOut,
      std::optional<std::vector<platform::URL>>& handlersOut) override {
    schemesOut = schemes;
    handlersOut = handlers;
    return Status::success();
  }
};

TEST_F(WrappersTest, SchemeListKeepsTheLaterDuplicateAndRefusesListsThatDoNotPair) {
  auto scripted = std::make_shared<ScriptedSchemeList>();
  replacePlatform(scripted);
  const auto url = [](const char* path) { return platform::URL::fileURLWithPath(path); };
  scripted->schemes = std::vector<std::string>{"mailto", "http", "mailto"};
  scripted->handlers =
      std::vector{url("/apps/m1.desktop"), url("/apps/web.desktop"), url("/apps/m2.desktop")};
  EXPECT_EQ(Schemes::copySchemesAndHandlers(),
            (std::map<std::string, std::string>{{"http", "/apps/web.desktop"},
                                                {"mailto", "/apps/m2.desktop"}}));
  scripted->handlers.reset();
  EXPECT_FALSE(Schemes::copySchemesAndHandlers());
  scripted->handlers = std::vector{url("/apps/web.desktop")};
  scripted->schemes.reset();
  EXPECT_FALSE(Schemes::copySchemesAndHandlers());
  scripted->schemes = std::vector<std::string>{"http", "ftp"};
  EXPECT_FALSE(Schemes::copySchemesAndHandlers());
  scripted->schemes = std::vector<std::string>{};
  scripted->handlers = std::vector<platform::URL>{};
  EXPECT_EQ(Schemes::copySchemesAndHandlers(), (std::map<std::string, std::string>{}));
}

}  // namespace
}  // namespace vrax::testing
