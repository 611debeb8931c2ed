#include <gtest/gtest.h>

#include "cmdkit/CLI.h"
#include "cmdkit/OptionParser.h"
#include "cmdkit/OptionRegistry.h"
#include "cmdkit/RawArguments.h"

namespace cmdkit {
namespace {

using Classification = RawArgument::Classification;
using Kind = OptionParserResult::Kind;
using Strings = std::vector<std::string>;

// A registry like the handler query's: a required, conflicting group "type" with flags
// and a key, a flag and a key in "options", and the help flags as exit-early options.
class OptionParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CLI::resetForTesting();
    registry_ = std::make_shared<OptionRegistry>();
    registry_->addGroup("type", true, true);
    registry_->addFlags({"--internet", "--web"}, "", "type", record("internet"));
    registry_->addFlags({"--mail"}, "", "type", record("mail"));
    registry_->addKeys({"--URL"}, "", "subtype", "type", recordValue("URL"));
    registry_->addFlags({"--all"}, "", "options", record("all"));
    registry_->addKeys({"--role"}, "", "role", "options", recordValue("role"));
    registry_->addFlags({"-h", "--help"}, "", "options", record("help"));
    registry_->setExitEarlyOptions({"-h", "--help"});
  }
  void TearDown() override { CLI::resetForTesting(); }

  FlagAction record(const std::string& what) {
    return [this, what] { actions_.push_back(what); };
  }
  KeyAction recordValue(const std::string& what) {
    return [this, what](const std::string& value) { actions_.push_back(what + "=" + value); };
  }

  OptionParserResult parse(const std::string& words) {
    arguments_ = std::make_shared<RawArguments>("p " + words);
    return DefaultOptionParser().parseOptions(*arguments_, registry_);
  }
  Strings unclassified() const {
    Strings values;
    for (const auto& argument : arguments_->unclassifiedArguments())
      values.push_back(argument->value());
    return values;
  }

  std::shared_ptr<OptionRegistry> registry_;
  std::shared_ptr<RawArguments> arguments_;
  Strings actions_;
};

TEST_F(OptionParserTest, RunsActionsInOrderAndClassifiesTheirTokens) {
  const OptionParserResult result = parse("x --role Viewer --internet y --all");
  EXPECT_EQ(result.kind(), Kind::success);
  EXPECT_EQ(actions_, (Strings{"role=Viewer", "internet", "all"}));
  EXPECT_EQ(unclassified(), (Strings{"x", "y"}));
  EXPECT_EQ(arguments_->arguments()[3]->classification(), Classification::option);
}

TEST_F(OptionParserTest, MissingRequiredGroup) {
  const OptionParserResult result = parse("word");
  ASSERT_EQ(result.kind(), Kind::incorrectOptionUsage);
  const IncorrectOptionUsage& misuse = *result.usage();
  EXPECT_EQ(misuse.requiredOptionsMissing,
            (std::map<std::string, std::string>{{"type", "--internet|--web|--mail|--URL"}}));
  EXPECT_TRUE(misuse.unrecognizedOptions.empty());
  EXPECT_EQ(misuse.optionRegistry, registry_);
}

TEST_F(OptionParserTest, ConflictingGroup) {
  const OptionParserResult result = parse("--internet --mail --WEB");
  ASSERT_EQ(result.kind(), Kind::incorrectOptionUsage);
  const IncorrectOptionUsage& misuse = *result.usage();
  EXPECT_EQ(misuse.conflictingOptions.at("type"), (Strings{"--internet", "--mail", "--WEB"}));
  // Group rules ignore case; actions do not.
  EXPECT_EQ(misuse.unrecognizedOptions, Strings{"--WEB"});
  EXPECT_TRUE(misuse.requiredOptionsMissing.empty());
  EXPECT_EQ(actions_, (Strings{"internet", "mail"}));
}

TEST_F(OptionParserTest, CaseInsensitiveGroupRulesOutsideAscii) {
  registry_->addGroup("accents", true, false);
  registry_->addFlags({"--\xC3\xA9t\xC3\xA9"}, "", "accents", nullptr);  // --été
  // --ÉTÉ
  ASSERT_EQ(parse("--mail --\xC3\x89T\xC3\x89").kind(), Kind::incorrectOptionUsage);
  const auto misuse = *parse("--mail --\xC3\x89T\xC3\x89").usage();
  EXPECT_TRUE(misuse.requiredOptionsMissing.empty());
  EXPECT_EQ(misuse.unrecognizedOptions, Strings{"--\xC3\x89T\xC3\x89"});
  EXPECT_EQ(parse("--mail --e\xCC\x81t\xC3\xA9").kind(), Kind::incorrectOptionUsage);
  EXPECT_TRUE(parse("--mail --e\xCC\x81t\xC3\xA9").usage()->requiredOptionsMissing.empty());
}

TEST_F(OptionParserTest, KeysWithoutUsableValues) {
  static const struct {
    const char* words;
    Strings keysNotGivenValue;
    Strings unrecognized;
  } cases[] = {
      {"--URL", {"--URL"}, {}},
      {"--URL -x", {"--URL"}, {"-x"}},
      {"--mail --role --all", {"--role"}, {}},
  };
  for (const auto& c : cases) {
    const OptionParserResult result = parse(c.words);
    ASSERT_EQ(result.kind(), Kind::incorrectOptionUsage) << c.words;
    EXPECT_EQ(result.usage()->keysNotGivenValue, c.keysNotGivenValue) << c.words;
    EXPECT_EQ(result.usage()->unrecognizedOptions, c.unrecognized) << c.words;
    // A key without a value still satisfies its group.
    EXPECT_TRUE(result.usage()->requiredOptionsMissing.empty()) << c.words;
  }
}

TEST_F(OptionParserTest, KeyTakesOnlyAnUnclassifiedNextToken) {
  arguments_ = std::make_shared<RawArguments>("p --mail --role cmd");
  arguments_->arguments()[3]->setClassification(Classification::commandName);
  const OptionParserResult result = DefaultOptionParser().parseOptions(*arguments_, registry_);
  ASSERT_EQ(result.kind(), Kind::incorrectOptionUsage);
  EXPECT_EQ(result.usage()->keysNotGivenValue, Strings{"--role"});
}

TEST_F(OptionParserTest, KeyGivenTwiceRunsTwice) {
  EXPECT_EQ(parse("--mail --role a --role b").kind(), Kind::success);
  EXPECT_EQ(actions_, (Strings{"mail", "role=a", "role=b"}));
}

TEST_F(OptionParserTest, UnrecognizedOptionsAreRepeatedAndNeverPositional) {
  const OptionParserResult result = parse("--mail -- --x --x=1 --x");
  ASSERT_EQ(result.kind(), Kind::incorrectOptionUsage);
  EXPECT_EQ(result.usage()->unrecognizedOptions, (Strings{"--", "--x", "--x=1", "--x"}));
  EXPECT_EQ(unclassified(), Strings{});
}

TEST_F(OptionParserTest, ExitEarlyWinsOverMisuseAfterRunningActions) {
  EXPECT_EQ(parse("--all --bogus -h --role r").kind(), Kind::exitEarly);
  EXPECT_EQ(actions_, (Strings{"all", "help", "role=r"}));
}

TEST_F(OptionParserTest, RequiredGroupWithoutOptionsIsAlwaysMissing) {
  registry_->addGroup("hollow", true, true);
  const OptionParserResult result = parse("--mail");
  ASSERT_EQ(result.kind(), Kind::incorrectOptionUsage);
  EXPECT_EQ(result.usage()->requiredOptionsMissing.at("hollow"), "");
  EXPECT_TRUE(result.usage()->conflictingOptions.empty());
}

}  // namespace
}  // namespace cmdkit
