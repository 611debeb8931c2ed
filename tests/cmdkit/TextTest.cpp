#include <gtest/gtest.h>

#include "cmdkit/Text.h"

namespace cmdkit {
namespace {

TEST(CharacterCountTest, CountsUserPerceivedCharacters) {
  static const struct {
    const char* text;
    long count;
  } cases[] = {
      {"", 0},
      {"--help", 6},
      {"caf\xC3\xA9", 4},                       // precomposed e acute
      {"cafe\xCC\x81", 4},                      // e followed by a combining acute accent
      {"\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA", 1},  // a regional-indicator flag pair
      {"\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB", 1},  // a joined emoji sequence
      {"\xE6\x97\xA5\xE6\x9C\xAC", 2},                      // two CJK characters
      {"\r\n", 1},                                          // CR LF is one cluster
      {"a\xFF"
       "b",
       3},          // an invalid byte counts as one
      {"\xC3", 1},  // a truncated sequence counts as one
  };
  for (const auto& c : cases) EXPECT_EQ(characterCount(c.text), c.count) << c.text;
}

TEST(EqualIgnoringCaseTest, FoldsCaseAndCanonicalSpellings) {
  static const struct {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {"--url", "--URL", true},
      {"--url", "--uri", false},
      {"--url", "--url ", false},
      {"--\xC3\x89T\xC3\x89", "--\xC3\xA9t\xC3\xA9", true},  // ÉTÉ / été
      {"--\xC3\xA9", "--e\xCC\x81", true},                   // é precomposed / decomposed
      {"--stra\xC3\x9F"
       "e",
       "--STRASSE", true},                 // ß folds to ss
      {"--\xCE\xA3", "--\xCF\x83", true},  // Greek capital / small sigma
      {"--\xC3\xA9", "--e", false},
      {"--A\xFF", "--a\xFF", true},  // invalid UTF-8: ASCII folding
      {"--A\xFF", "--a\xFE", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(equalIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
}

TEST(SpacesTest, NoSpacesForNonPositiveCounts) {
  EXPECT_EQ(spaces(3), "   ");
  EXPECT_EQ(spaces(0), "");
  EXPECT_EQ(spaces(-5), "");
}

}  // namespace
}  // namespace cmdkit
