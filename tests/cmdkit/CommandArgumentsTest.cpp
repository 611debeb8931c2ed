#include <gtest/gtest.h>

#include "cmdkit/CLI.h"
#include "cmdkit/CommandArguments.h"
#include "cmdkit/CommandSignature.h"
#include "cmdkit/RawArguments.h"

namespace cmdkit {
namespace {

using Strings = std::vector<std::string>;

class CommandArgumentsTest : public ::testing::Test {
 protected:
  void SetUp() override { CLI::resetForTesting(); }
  void TearDown() override { CLI::resetForTesting(); }

  // Binds the words after "p" to `signature`.
  static CommandArguments bind(const std::string& words, const std::string& signature) {
    RawArguments arguments("p " + words);
    return CommandArguments(arguments, DefaultCommandSignature(signature));
  }
};

TEST_F(CommandArgumentsTest, BindsWordsToParameters) {
  static const struct {
    const char* signature;
    const char* words;
    KeyedArguments expected;
  } cases[] = {
      {"", "", {}},
      {"<a> ...", "x y z", {{"a", Strings{"x", "y", "z"}}}},
      {"<a> ...", "x", {{"a", Strings{"x"}}}},
      {"<a> [<b>]", "x", {{"a", "x"}}},
      {"<a> [<b>]", "x y", {{"a", "x"}, {"b", "y"}}},
      {"<a> [<b>] ...", "x y z", {{"a", "x"}, {"b", Strings{"y", "z"}}}},
      {"<a> [<b>] ...", "x", {{"a", "x"}}},
      {"[<opt>] ...", "", {}},
      {"[<opt>] ...", "a b c", {{"opt", Strings{"a", "b", "c"}}}},
      {"<a> <a>", "x y", {{"a", "y"}}},
      {"[<b>] <a>", "x y", {{"a", "x"}, {"b", "y"}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(bind(c.words, c.signature).keyedArguments(), c.expected)
        << c.signature << " / " << c.words;
  }
}

TEST_F(CommandArgumentsTest, ReportsWordCountsThatDoNotFit) {
  static const struct {
    const char* signature;
    const char* words;
    const char* message;
  } cases[] = {
      {"", "x y", "Expected no arguments, got 2."},
      {"...", "x", "Expected no arguments, got 1."},
      {"<a> <b>", "x", "Expected 2 arguments, but got 1."},
      {"<a>", "", "Expected 1 argument, but got 0."},
      {"[<a>]", "x y", "Expected 1 argument, but got 2."},
      {"<a> <b>", "x y z", "Expected 2 arguments, but got 3."},
  };
  for (const auto& c : cases) {
    try {
      bind(c.words, c.signature);
      ADD_FAILURE() << "no error for " << c.signature << " / " << c.words;
    } catch (const CommandArgumentParserError& e) {
      EXPECT_EQ(e.kind(), CommandArgumentParserError::Kind::incorrectUsage);
      EXPECT_EQ(e.message(), c.message);
    }
  }
}

TEST_F(CommandArgumentsTest, OnlyUnclassifiedWordsAreBound) {
  RawArguments arguments("p cmd --flag x");
  arguments.arguments()[1]->setClassification(RawArgument::Classification::commandName);
  arguments.arguments()[2]->setClassification(RawArgument::Classification::option);
  const CommandArguments bound(arguments, DefaultCommandSignature("<a>"));
  EXPECT_EQ(bound.requiredArgument("a"), "x");
}

TEST_F(CommandArgumentsTest, AccessorsAnswerByKind) {
  const CommandArguments bound = bind("x y z", "<a> [<b>] ...");
  EXPECT_EQ(bound["a"], ArgumentValue("x"));
  EXPECT_EQ(bound["missing"], std::nullopt);
  EXPECT_EQ(bound.requiredArgument("a"), "x");
  EXPECT_EQ(bound.optionalArgument("a"), "x");
  EXPECT_EQ(bound.optionalArgument("b"), std::nullopt);  // holds a list
  EXPECT_EQ(bound.optionalArgument("missing"), std::nullopt);
  EXPECT_EQ(bound.requiredCollectedArgument("b"), (Strings{"y", "z"}));
  EXPECT_EQ(bound.optionalCollectedArgument("b"), (Strings{"y", "z"}));
  EXPECT_EQ(bound.optionalCollectedArgument("a"), std::nullopt);  // holds a word
  EXPECT_EQ(bound.optionalCollectedArgument("missing"), std::nullopt);
  EXPECT_TRUE(CommandArguments().keyedArguments().empty());
}

TEST_F(CommandArgumentsTest, UsesTheConfiguredParser) {
  class Fixed : public CommandArgumentParser {
   public:
    KeyedArguments parse(const RawArguments&, const CommandSignature&) override {
      return {{"k", "v"}};
    }
  };
  CLI::setCommandArgumentParser(std::make_shared<Fixed>());
  EXPECT_EQ(bind("", "").requiredArgument("k"), "v");
}

using CommandArgumentsDeathTest = CommandArgumentsTest;

TEST_F(CommandArgumentsDeathTest, RequiredAccessorsOfTheWrongKindAreFatal) {
  const CommandArguments bound = bind("x y z", "<a> [<b>] ...");
  EXPECT_DEATH(bound.requiredArgument("b"), "");
  EXPECT_DEATH(bound.requiredArgument("missing"), "");
  EXPECT_DEATH(bound.requiredCollectedArgument("a"), "");
  EXPECT_DEATH(bound.requiredCollectedArgument("missing"), "");
}

}  // namespace
}  // namespace cmdkit
