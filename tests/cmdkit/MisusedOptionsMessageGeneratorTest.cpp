#include <gtest/gtest.h>

#include "cmdkit/CLI.h"
#include "cmdkit/HelpCommand.h"
#include "cmdkit/LightweightCommand.h"
#include "cmdkit/MisusedOptionsMessageGenerator.h"
#include "cmdkit/OptionParser.h"
#include "cmdkit/OptionRegistry.h"
#include "cmdkit/UsageStatementGenerator.h"

namespace cmdkit {
namespace {

using Behavior = UnrecognizedOptionsPrintingBehavior;

class MisusedOptionsMessageGeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CLI::resetForTesting();
    CLI::setup("vrax");
    registry_ = std::make_shared<OptionRegistry>();
    registry_->addGroup("type", true, true);
    registry_->addGroup("mode", false, true);
    registry_->addFlags({"--internet", "--web"}, "Web", "type", nullptr);
    registry_->addFlags({"--mail"}, "Mail", "type", nullptr);
    registry_->addFlags({"--fast"}, "Fast", "mode", nullptr);
    registry_->addFlags({"--slow"}, "Slow", "mode", nullptr);
    misuse_.optionRegistry = registry_;
  }
  void TearDown() override { CLI::resetForTesting(); }

  std::optional<std::string> message(Behavior behavior) {
    command_.setUnrecognizedOptionsPrintingBehavior(behavior);
    return DefaultMisusedOptionsMessageGenerator().makeMisusedOptionsMessage(command_, misuse_);
  }

  std::shared_ptr<OptionRegistry> registry_;
  IncorrectOptionUsage misuse_;
  LightweightCommand command_{"getHandler"};
};

TEST_F(MisusedOptionsMessageGeneratorTest, ReportWithAllFourSections) {
  misuse_.requiredOptionsMissing = {{"type", "--internet|--web|--mail"}, {"a", "--b"}};
  misuse_.unrecognizedOptions = {"--bogus", "-x"};
  misuse_.conflictingOptions = {{"mode", {"--fast", "--SLOW"}}, {"type", {"--mail", "--web"}}};
  misuse_.keysNotGivenValue = {"--URL", "--role"};
  EXPECT_EQ(misuse_.misuseReport(),
            "Missing options:"
            "\n<a>:" +
                std::string(36, ' ') +
                "--b"
                "\n<type>:" +
                std::string(33, ' ') +
                "--internet, --web, --mail"
                "\nUnrecognized options:"
                "\n" +
                std::string(33, ' ') +
                "--bogus"
                "\n" +
                std::string(38, ' ') +
                "-x"
                "\nConflicting options:"
                "\n[mode]:" +
                std::string(33, ' ') +
                "--fast, --SLOW"
                "\n<type>:" +
                std::string(33, ' ') +
                "--mail, --web"
                "\nRequired values for options but given none:"
                "\n\t--URL"
                "\n\t--role"
                "\n");
}

TEST_F(MisusedOptionsMessageGeneratorTest, ReportHoldsOnlyTheSectionsThatApply) {
  EXPECT_EQ(misuse_.misuseReport(), "");
  misuse_.unrecognizedOptions = {"--bogus"};
  EXPECT_EQ(misuse_.misuseReport(), "Unrecognized options:\n" + std::string(33, ' ') + "--bogus\n");
}

TEST_F(MisusedOptionsMessageGeneratorTest, ReportFollowsAWiderColumn) {
  registry_->addFlags({"--" + std::string(48, 'x')}, "", "options", nullptr);  // W = 50
  misuse_.unrecognizedOptions = {"--bogus"};
  misuse_.requiredOptionsMissing = {{"type", "--mail"}};
  EXPECT_EQ(misuse_.misuseReport(), "Missing options:\n<type>:" + std::string(43, ' ') +
                                        "--mail\nUnrecognized options:\n" + std::string(43, ' ') +
                                        "--bogus\n");
}

TEST_F(MisusedOptionsMessageGeneratorTest, LabelsAndOptionsWiderThanTheColumn) {
  const std::string longGroup(40, 'g');
  const std::string longOption = "--" + std::string(45, 'o');
  registry_->addGroup(longGroup, false, true);
  misuse_.requiredOptionsMissing = {{longGroup, "--a|--b"}, {std::string(37, 'h'), "--c"}};
  misuse_.unrecognizedOptions = {longOption};
  misuse_.conflictingOptions = {{longGroup, {"--a", "--b"}}};
  EXPECT_EQ(misuse_.misuseReport(),
            "Missing options:"
            "\n<" +
                longGroup +
                ">: --a, --b"  // past the column: one space
                "\n<" +
                std::string(37, 'h') +
                ">:--c"  // exactly at the column: none
                "\nUnrecognized options:"
                "\n" +
                longOption +  // starts the line
                "\nConflicting options:"
                "\n[" +
                longGroup +
                "]: --a, --b"
                "\n");
}

TEST_F(MisusedOptionsMessageGeneratorTest, AlignsOnCharactersNotBytes) {
  misuse_.unrecognizedOptions = {"--cafe\xCC\x81"};  // 6 characters, 8 bytes
  EXPECT_EQ(misuse_.misuseReport(),
            "Unrecognized options:\n" + std::string(34, ' ') + "--cafe\xCC\x81\n");
}

TEST_F(MisusedOptionsMessageGeneratorTest, MessageByPrintingBehavior) {
  misuse_.requiredOptionsMissing = {{"type", "--internet|--web|--mail"}};
  const std::string report = misuse_.misuseReport();
  ASSERT_EQ(report.rfind("Missing options:", 0), 0u);
  const std::string usage =
      DefaultUsageStatementGenerator().makeUsageStatement(command_, registry_.get());
  EXPECT_EQ(message(Behavior::printNone), std::nullopt);
  EXPECT_EQ(message(Behavior::printOnlyUnrecognizedOptions), report);
  EXPECT_EQ(message(Behavior::printOnlyUsage), usage);
  EXPECT_EQ(message(Behavior::printAll), usage + "\n" + report);
}

TEST_F(MisusedOptionsMessageGeneratorTest, UsesTheConfiguredUsageStatementGenerator) {
  class Short : public UsageStatementGenerator {
   public:
    std::string makeUsageStatement(const Command& command, const OptionRegistry*) override {
      return command.name() + " usage\n";
    }
  };
  CLI::setUsageStatementGenerator(std::make_shared<Short>());
  EXPECT_EQ(message(Behavior::printOnlyUsage), "getHandler usage\n");
}

TEST_F(MisusedOptionsMessageGeneratorTest, NoMessageForCommandsWithoutOptions) {
  misuse_.unrecognizedOptions = {"--bogus"};
  EXPECT_EQ(
      DefaultMisusedOptionsMessageGenerator().makeMisusedOptionsMessage(VersionCommand(), misuse_),
      std::nullopt);
}

}  // namespace
}  // namespace cmdkit
