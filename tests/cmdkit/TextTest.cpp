#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmdkit/Text.h"

namespace cmdkit {
namespace {

TEST(CharactersTest, SplitsIntoUserPerceivedCharacters) {
  using Pieces = std::vector<std::string>;
  static const struct {
    const char* text;
    Pieces characters;
  } cases[] = {
      {"", {}},
      {"-ab", {"-", "a", "b"}},
      {"caf\xC3\xA9", {"c", "a", "f", "\xC3\xA9"}},    // precomposed e acute
      {"cafe\xCC\x81", {"c", "a", "f", "e\xCC\x81"}},  // e and a combining acute accent
      {"\xCC\x81x", {"\xCC\x81", "x"}},                // a combining accent with no base
      {"\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA", {"\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"}},  // a flag
      {"\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB",
       {"\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB"}},              // a joined emoji sequence
      {"\xE6\x97\xA5\xE6\x9C\xAC", {"\xE6\x97\xA5", "\xE6\x9C\xAC"}},  // two CJK characters
      {"\r\n", {"\r\n"}},                                              // CR LF is one cluster
      {"a\xFF"
       "b",
       {"a", "\xFF", "b"}},  // an invalid byte is a character of its own
      {"\xC3\xA9\xFF\xCC\x81",
       {"\xC3\xA9", "\xFF", "\xCC\x81"}},  // and breaks the cluster around it
      {"\xC3", {"\xC3"}},                  // a truncated sequence
      {"\xC3\xA9\xC3", {"\xC3\xA9", "\xC3"}},
  };
  for (const auto& c : cases) {
    Pieces pieces;
    for (const std::string_view piece : characters(c.text)) pieces.emplace_back(piece);
    EXPECT_EQ(pieces, c.characters) << c.text;
    EXPECT_EQ(characterCount(c.text), static_cast<long>(c.characters.size())) << c.text;
  }
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
