#include <gtest/gtest.h>

#include "CaptureOutput.h"
#include "cmdkit/CLI.h"
#include "cmdkit/CommandArguments.h"
#include "cmdkit/HelpCommand.h"
#include "cmdkit/LightweightCommand.h"

namespace cmdkit {
namespace {

using testsupport::captureOutput;

class HelpCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { CLI::resetForTesting(); }
  void TearDown() override { CLI::resetForTesting(); }

  std::string listing(const std::vector<std::string>& names) {
    std::vector<std::shared_ptr<Command>> commands;
    for (const std::string& name : names) {
      auto command = std::make_shared<LightweightCommand>(name);
      command->setShortDescription("D");
      commands.push_back(command);
    }
    help_.setAvailableCommands(commands);
    return captureOutput([&] {
             help_.execute(CommandArguments());
             return 0;
           })
        .out;
  }

  DefaultHelpCommand help_;
};

TEST_F(HelpCommandTest, FixedProperties) {
  EXPECT_EQ(help_.name(), "help");
  EXPECT_EQ(help_.signature(), "[<opt>] ...");
  EXPECT_EQ(help_.shortDescription(), "Prints this help information");
  EXPECT_FALSE(help_.failOnUnrecognizedOptions());
  EXPECT_EQ(help_.unrecognizedOptionsPrintingBehavior(),
            UnrecognizedOptionsPrintingBehavior::printNone);
  EXPECT_FALSE(help_.helpOnHFlag());
  EXPECT_FALSE(help_.printHelpAfterError());
  EXPECT_TRUE(help_.printCLIDescription());
  EXPECT_TRUE(help_.availableCommands().empty());
}

TEST_F(HelpCommandTest, ListingWithAndWithoutDescription) {
  EXPECT_EQ(listing({"a"}), "Available commands: \n- a" + std::string(39, ' ') + "D\n");
  CLI::setup("p", std::nullopt, "Does things.");
  EXPECT_EQ(listing({"a"}),
            "Does things.\n\nAvailable commands: \n- a" + std::string(39, ' ') + "D\n");
  help_.setPrintCLIDescription(false);
  EXPECT_EQ(listing({"a"}), "Available commands: \n- a" + std::string(39, ' ') + "D\n");
}

TEST_F(HelpCommandTest, NameColumnIsFortyCharacters) {
  static const struct {
    std::string name;
    std::string line;
  } cases[] = {
      {std::string(40, 'n'), "- " + std::string(40, 'n') + "D\n"},
      {std::string(39, 'n'), "- " + std::string(39, 'n') + " D\n"},
      // Longer names are kept whole and followed by one space.
      {std::string(45, 'n'), "- " + std::string(45, 'n') + " D\n"},
      // "é" spelled e + combining accent counts as one character.
      {"cafe\xCC\x81", "- cafe\xCC\x81" + std::string(36, ' ') + "D\n"},
      {"", "- " + std::string(40, ' ') + "D\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(listing({c.name}), "Available commands: \n" + c.line) << c.name;
  }
}

TEST_F(HelpCommandTest, VersionCommandPrintsTheVersion) {
  VersionCommand version;
  EXPECT_EQ(version.name(), "version");
  EXPECT_EQ(version.signature(), "");
  EXPECT_EQ(version.shortDescription(), "Prints the current version of this app");
  const auto run = [&] {
    return captureOutput([&] {
             version.execute(CommandArguments());
             return 0;
           })
        .out;
  };
  EXPECT_EQ(run(), "Version: 1.0\n");
  CLI::setVersion("2.5");
  EXPECT_EQ(run(), "Version: 2.5\n");
}

}  // namespace
}  // namespace cmdkit
