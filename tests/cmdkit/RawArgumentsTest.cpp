#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmdkit/CLI.h"
#include "cmdkit/RawArguments.h"

namespace cmdkit {
namespace {

using Classification = RawArgument::Classification;
using Strings = std::vector<std::string>;

Strings valuesOf(const RawArguments::ArgumentList& arguments) {
  Strings values;
  for (const auto& argument : arguments) values.push_back(argument->value());
  return values;
}

class RawArgumentsTest : public ::testing::Test {
 protected:
  void SetUp() override { CLI::resetForTesting(); }
  void TearDown() override { CLI::resetForTesting(); }
};

TEST_F(RawArgumentsTest, TokenizesCommandLines) {
  static const struct {
    const char* line;
    Strings tokens;
  } cases[] = {
      {"", {}},
      {"   \t\r\n ", {}},
      {"vrax setHandler --app \"My Browser\"", {"vrax", "setHandler", "--app", "My Browser"}},
      {"a\"b c\"d", {"a", "b c", "d"}},
      {"x \"\" y", {"x", "", "y"}},
      {"a  b", {"a", "b"}},
      {"a\tb\nc\rd", {"a", "b", "c", "d"}},
      {"a \"unpaired b", {"a", "unpaired", "b"}},
      {"\"one\"\"two\"", {"one", "two"}},
      {"\"a\nb\"", {"a\nb"}},
      {"\"", {}},
      {"caf\xC3\xA9 \xC2\xA0x", {"caf\xC3\xA9", "\xC2\xA0x"}},  // no-break space is not white space
  };
  for (const auto& c : cases) EXPECT_EQ(RawArguments::tokenize(c.line), c.tokens) << c.line;
}

TEST_F(RawArgumentsTest, SplitsCombinedShortFlags) {
  static const struct {
    Strings in;
    Strings out;
  } cases[] = {
      {{"p", "-abc", "--long", "x"}, {"p", "-a", "-b", "-c", "--long", "x"}},
      {{"p", "-h"}, {"p", "-h"}},
      {{"p", "-12"}, {"p", "-1", "-2"}},
      {{"p", "-", "--"}, {"p", "--"}},
      {{"p", ""}, {"p", ""}},
      {{"-ab", "x"}, {"-a", "-b", "x"}},  // the program name is expanded too
      // One flag per user-perceived character, whatever its encoding length.
      {{"p", "-\xC3\xA9"}, {"p", "-\xC3\xA9"}},           // precomposed e acute
      {{"p", "-e\xCC\x81x"}, {"p", "-e\xCC\x81", "-x"}},  // e and a combining accent
      {{"p", "-\xCC\x81"}, {"p", "-\xCC\x81"}},           // an accent alone
      {{"p",
        "-a\xE6\x97\xA5"
        "b"},
       {"p", "-a", "-\xE6\x97\xA5", "-b"}},  // a CJK character
      {{"p", "-\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"}, {"p", "-\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"}},
      // Bytes that are not UTF-8 are one flag each; the valid text around them is not.
      {{"p", "-\xFF\xFE"}, {"p", "-\xFF", "-\xFE"}},
      {{"p", "-\xC3\xA9\xFF"}, {"p", "-\xC3\xA9", "-\xFF"}},
      {{"p", "-\xC3"}, {"p", "-\xC3"}},
  };
  DefaultRawArgumentParser parser;
  for (const auto& c : cases) EXPECT_EQ(valuesOf(parser.parse(c.in)), c.out);
}

TEST_F(RawArgumentsTest, TokensAreIndexedLinkedAndClassified) {
  RawArguments arguments("vrax -abc --long x");
  const auto& tokens = arguments.arguments();
  EXPECT_EQ(valuesOf(tokens), (Strings{"vrax", "-a", "-b", "-c", "--long", "x"}));
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    EXPECT_EQ(tokens[i]->index(), static_cast<long>(i));
    EXPECT_EQ(tokens[i]->next(), i + 1 < tokens.size() ? tokens[i + 1] : nullptr);
    EXPECT_EQ(tokens[i]->classification(),
              i == 0 ? Classification::appName : Classification::unclassified);
  }
  EXPECT_EQ(arguments.originalString(), "vrax -abc --long x");
  EXPECT_EQ(valuesOf(arguments.unclassifiedArguments()),
            (Strings{"-a", "-b", "-c", "--long", "x"}));
  tokens[2]->setClassification(Classification::option);
  EXPECT_EQ(valuesOf(arguments.unclassifiedArguments()), (Strings{"-a", "-c", "--long", "x"}));
}

TEST_F(RawArgumentsTest, EmptyInputGivesNoTokens) {
  EXPECT_TRUE(RawArguments("").arguments().empty());
  EXPECT_TRUE(RawArguments::fromProcessArguments({})->arguments().empty());
}

TEST_F(RawArgumentsTest, ProcessArgumentsAreNotSplitAgain) {
  const auto arguments = RawArguments::fromProcessArguments({"vrax", "--app", "My Browser"});
  EXPECT_EQ(valuesOf(arguments->arguments()), (Strings{"vrax", "--app", "My Browser"}));
  EXPECT_EQ(arguments->originalString(), "vrax --app My Browser");
}

TEST_F(RawArgumentsTest, TakesTheArgumentVectorAsMainReceivesIt) {
  const char* const argv[] = {"/opt/my tools/vrax", "setHandler", "-ab", "My Browser", nullptr};
  RawArguments arguments(4, argv);
  EXPECT_EQ(valuesOf(arguments.arguments()),
            (Strings{"/opt/my tools/vrax", "setHandler", "-a", "-b", "My Browser"}));
  EXPECT_EQ(arguments.originalString(), "/opt/my tools/vrax setHandler -ab My Browser");
  EXPECT_EQ(arguments.arguments().front()->classification(), Classification::appName);

  // argc bounds the vector; so does a null string before it, and a missing vector.
  EXPECT_EQ(RawArguments::processArguments(2, argv), (Strings{"/opt/my tools/vrax", "setHandler"}));
  const char* const shortVector[] = {"vrax", nullptr, "never read"};
  EXPECT_EQ(RawArguments::processArguments(3, shortVector), (Strings{"vrax"}));
  EXPECT_TRUE(RawArguments::processArguments(0, argv).empty());
  EXPECT_TRUE(RawArguments(1, nullptr).arguments().empty());
}

TEST_F(RawArgumentsTest, UsesTheConfiguredRawArgumentParser) {
  // A parser that keeps every string whole.
  class Verbatim : public RawArgumentParser {
   public:
    RawArguments::ArgumentList parse(const Strings& strings) override {
      RawArguments::ArgumentList tokens;
      for (const auto& s : strings) tokens.push_back(std::make_shared<RawArgument>(s, 0));
      return tokens;
    }
  };
  CLI::setRawArgumentParser(std::make_shared<Verbatim>());
  EXPECT_EQ(valuesOf(RawArguments("p -abc").arguments()), (Strings{"p", "-abc"}));
}

TEST_F(RawArgumentsTest, ReleasesVeryLongCommandLines) {
  // A million linked tokens must be released without deep recursion.
  Strings strings(1'000'000, "w");
  auto arguments = RawArguments::fromProcessArguments(strings);
  EXPECT_EQ(arguments->arguments().size(), strings.size());
  arguments.reset();
}

}  // namespace
}  // namespace cmdkit
