// getApps, getSchemes and getUTIs: the pair order (NFC, code points), the four-tab format
// with its final empty line, and nothing on standard output when the data is missing.
#include <gtest/gtest.h>

#include "VraxTestSupport.h"
#include "vrax/ListingCommands.h"

namespace vrax::testing {
namespace {

using platform::FakePlatform;

std::vector<std::string> keys(const std::vector<Pair>& pairs) {
  std::vector<std::string> result;
  result.reserve(pairs.size());
  for (const auto& pair : pairs) result.push_back(pair.first);
  return result;
}

TEST(PairOrderTest, KeysSortByCodePointsAfterNormalisation) {
  // "e" + combining acute is "é" (U+00E9) in NFC, which sorts after "f"; unnormalised
  // bytes would put it before. Upper case sorts before lower case; a key before every
  // longer key that begins with it.
  std::map<std::string, std::string> map{{"f", "1"},        {"e\xcc\x81x", "2"},  {"http", "3"},
                                         {"https", "4"},    {"Zed", "5"},         {"apple", "6"},
                                         {"\xc3\xa9", "7"}, {"\xe4\xb8\xad", "8"}};
  EXPECT_EQ(keys(sortedPairs(map)),
            (std::vector<std::string>{"Zed", "apple", "f", "http", "https", "\xc3\xa9",
                                      "e\xcc\x81x", "\xe4\xb8\xad"}));
}

TEST(PairOrderTest, KeysWithOneNormalFormAndInvalidUtf8KeepAFixedOrder) {
  std::map<std::string, std::string> map{
      {"\xc3\xa9", "composed"}, {"e\xcc\x81", "decomposed"}, {"a\xff", "bad"}, {"a", "plain"}};
  auto pairs = sortedPairs(map);
  EXPECT_EQ(keys(pairs), (std::vector<std::string>{"a", "a\xff", "e\xcc\x81", "\xc3\xa9"}));
  EXPECT_EQ(pairs[2].second, "decomposed");
}

TEST(PairFormatTest, FourTabsAndALineFeedPerPair) {
  EXPECT_FALSE(formatPairs(std::nullopt));
  EXPECT_EQ(formatPairs(std::vector<Pair>{}), "");
  EXPECT_EQ(formatPairs(std::vector<Pair>{{"http", "/a b.desktop"}, {"mailto", ""}}),
            "http\t\t\t\t/a b.desktop\nmailto\t\t\t\t\n");
}

TEST_F(WrappersTest, GetAppsPrintsPathsInThePlatformsOrder) {
  EXPECT_EQ(run({"vrax", "getApps"}).out, "\n");
  install("z", "/b/z.desktop");
  install("y", "/a/y.desktop");
  RunResult result = run({"vrax", "getApps"});
  EXPECT_EQ(result.out, "/b/z.desktop\n/a/y.desktop\n");
  EXPECT_EQ(result.status, 0);
}

TEST_F(WrappersTest, GetSchemesPrintsSortedPairsAndAFinalEmptyLine) {
  install("tb", "/apps/tb.desktop", "", {"x-scheme-handler/mailto"});
  install("ff", "/apps/ff.desktop", "", {"x-scheme-handler/http", "x-scheme-handler/mailto"});
  install("xy", "/apps/x y.desktop", "", {"x-scheme-handler/Web+X"});
  fake->setDefault("x-scheme-handler/mailto", "tb");
  RunResult result = run({"vrax", "getSchemes"});
  EXPECT_EQ(result.out,
            "http\t\t\t\t/apps/ff.desktop\n"
            "mailto\t\t\t\t/apps/tb.desktop\n"
            "web+x\t\t\t\t/apps/x y.desktop\n"
            "\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
}

TEST_F(WrappersTest, GetUTIsPrintsEveryTypeWithItsHandler) {
  EXPECT_EQ(run({"vrax", "getUTIs"}).out, "\n");
  install("org.gnome.TextEditor", "/apps/te.desktop");
  for (const char* type : {"text/plain", "image/png", "Zzz/upper"}) {
    fake->addType({type, {"public.item"}, {}});
  }
  fake->setDefault("text/plain", "org.gnome.TextEditor");
  RunResult result = run({"vrax", "getUTIs"});
  EXPECT_EQ(result.out,
            "Zzz/upper\t\t\t\tNo application set.\n"
            "image/png\t\t\t\tNo application set.\n"
            "text/plain\t\t\t\t/apps/te.desktop\n"
            "\n");
  EXPECT_EQ(result.status, 0);
}

TEST_F(WrappersTest, ListingFailuresPrintOnlyTheirMessage) {
  fake->fail(FakePlatform::Operation::copyAllApplicationURLs, Status::error(-10822));
  fake->fail(FakePlatform::Operation::copySchemesAndHandlerURLs, Status::error(-10822));
  struct {
    const char* command;
    const char* err;
  } cases[] = {
      {"getApps", "Veltrane ERROR: Couldn't generate the list of installed applications.\n"},
      {"getSchemes", "Veltrane ERROR: Couldn't generate list of URI Schemes.\n"},
  };
  for (const auto& c : cases) {
    RunResult result = run({"vrax", c.command});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.status, 1);
  }
}

}  // namespace
}  // namespace vrax::testing
