#include <gtest/gtest.h>

#include "cmdkit/CLI.h"
#include "cmdkit/CLIError.h"
#include "cmdkit/CommandArguments.h"
#include "cmdkit/LightweightCommand.h"
#include "cmdkit/OptionRegistry.h"

namespace cmdkit {
namespace {

class LightweightCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { CLI::resetForTesting(); }
  void TearDown() override { CLI::resetForTesting(); }
};

TEST_F(LightweightCommandTest, StartsWithDefaults) {
  LightweightCommand command("name");
  EXPECT_EQ(command.name(), "name");
  EXPECT_EQ(command.signature(), "");
  EXPECT_EQ(command.shortDescription(), "");
  EXPECT_TRUE(command.failOnUnrecognizedOptions());
  EXPECT_EQ(command.unrecognizedOptionsPrintingBehavior(),
            UnrecognizedOptionsPrintingBehavior::printAll);
  EXPECT_TRUE(command.helpOnHFlag());
  EXPECT_FALSE(command.executionBlock());
  OptionRegistry registry;
  command.setupOptions(registry);
  EXPECT_TRUE(registry.options().empty());
  EXPECT_NO_THROW(command.execute(CommandArguments()));
}

TEST_F(LightweightCommandTest, RunsItsBlocksAndPassesErrors) {
  LightweightCommand command("name");
  int ran = 0;
  command.setOptionsSetupBlock(
      [](OptionRegistry& registry) { registry.addFlags({"--x"}, "", "options", [] {}); });
  command.setExecutionBlock([&](const CommandArguments&) {
    ++ran;
    throw CLIError::error("failed");
  });
  OptionRegistry registry;
  command.setupOptions(registry);
  EXPECT_EQ(registry.options().size(), 1u);
  try {
    command.execute(CommandArguments());
    ADD_FAILURE() << "the block's error did not pass";
  } catch (const CLIError& e) {
    EXPECT_EQ(e.message(), "failed");
  }
  EXPECT_EQ(ran, 1);
}

TEST_F(LightweightCommandTest, ChainingReturnsTheSameObjectAndTheLastValueWins) {
  ChainableCommand command("name");
  int which = 0;
  ChainableCommand& result =
      command.withSignature("<a>")
          .withShortDescription("first")
          .withOptionsSetupBlock([](OptionRegistry&) {})
          .withUnrecognizedOptionsPrintingBehavior(UnrecognizedOptionsPrintingBehavior::printNone)
          .withFailOnUnrecognizedOptions(false)
          .withExecutionBlock([&](const CommandArguments&) { which = 1; })
          .withShortDescription("second")
          .withExecutionBlock([&](const CommandArguments&) { which = 2; });
  EXPECT_EQ(&result, &command);
  EXPECT_EQ(command.signature(), "<a>");
  EXPECT_EQ(command.shortDescription(), "second");
  EXPECT_EQ(command.unrecognizedOptionsPrintingBehavior(),
            UnrecognizedOptionsPrintingBehavior::printNone);
  EXPECT_FALSE(command.failOnUnrecognizedOptions());
  command.execute(CommandArguments());
  EXPECT_EQ(which, 2);
}

TEST_F(LightweightCommandTest, ChainingSetsThroughTheWriteAccessors) {
  class Upper : public ChainableCommand {
   public:
    using ChainableCommand::ChainableCommand;
    void setShortDescription(std::string text) override {
      ChainableCommand::setShortDescription("[" + text + "]");
    }
  };
  Upper command("name");
  command.withShortDescription("text");
  EXPECT_EQ(command.shortDescription(), "[text]");
}

TEST_F(LightweightCommandTest, UsageLine) {
  CLI::setup("vrax");
  static const struct {
    const char* name;
    const char* signature;
    const char* line;
  } cases[] = {
      {"getApps", "", "Usage: vrax getApps"},
      {"", "", "Usage: vrax"},
      {"greet", "<name> [<greeting>]", "Usage: vrax greet <name> [<greeting>]"},
      {"", "<a>", "Usage: vrax <a>"},
  };
  for (const auto& c : cases) {
    LightweightCommand command(c.name);
    command.setSignature(c.signature);
    EXPECT_EQ(command.usageLine(), c.line);
  }
}

TEST_F(LightweightCommandTest, OptionCommandDefaults) {
  class Plain : public OptionCommand {
   public:
    std::string name() const override { return "plain"; }
    std::string signature() const override { return ""; }
    std::string shortDescription() const override { return ""; }
    void execute(const CommandArguments&) override {}
    void setupOptions(OptionRegistry&) override {}
  };
  Plain command;
  EXPECT_TRUE(command.failOnUnrecognizedOptions());
  EXPECT_EQ(command.unrecognizedOptionsPrintingBehavior(),
            UnrecognizedOptionsPrintingBehavior::printAll);
  EXPECT_TRUE(command.helpOnHFlag());
}

}  // namespace
}  // namespace cmdkit
