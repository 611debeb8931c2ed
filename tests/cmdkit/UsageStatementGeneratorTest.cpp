#include <gtest/gtest.h>

#include "cmdkit/CLI.h"
#include "cmdkit/LightweightCommand.h"
#include "cmdkit/OptionRegistry.h"
#include "cmdkit/UsageStatementGenerator.h"

namespace cmdkit {
namespace {

class UsageStatementGeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CLI::resetForTesting();
    CLI::setup("vrax");
  }
  void TearDown() override { CLI::resetForTesting(); }

  std::string statement(const OptionRegistry* registry) {
    return DefaultUsageStatementGenerator().makeUsageStatement(command_, registry);
  }

  LightweightCommand command_{"getHandler"};
};

TEST_F(UsageStatementGeneratorTest, WithoutOptions) {
  EXPECT_EQ(statement(nullptr), "Usage: vrax getHandler     (no options)\n");
  OptionRegistry registry;
  EXPECT_EQ(statement(&registry), "Usage: vrax getHandler     (no options)\n");
}

TEST_F(UsageStatementGeneratorTest, OrdersGroupsAndOptionsAndAlignsDescriptions) {
  OptionRegistry registry;
  registry.addGroup("zeta", false, false);  // declared first, listed after required ones
  registry.addGroup("type", true, true);
  registry.addGroup("Role", true, false);
  registry.addGroup("unused", false, true);
  registry.addFlags({"--web", "--internet"}, "Web", "type", nullptr);
  registry.addKeys({"--URL"}, "Return the default application for <subtype>", "subtype", "type",
                   nullptr);
  registry.addFlags({"--all"}, "All", "type", nullptr);
  registry.addFlags({"--z"}, "Z", "zeta", nullptr);
  registry.addFlags({"--viewer"}, "Viewer", "Role", nullptr);
  registry.addFlags({"-h", "--help"}, "Show help information for this command", "options", nullptr);
  const std::string pad = std::string(40, ' ');
  EXPECT_EQ(statement(&registry),
            "Usage: vrax getHandler <Role> <type> [unused] [zeta] [options]\n"
            "\n<Role>"
            "\n--viewer" +
                pad.substr(8) +
                "Viewer"
                "\n"
                "\n<type>"
                "\n--URL <subtype>" +
                pad.substr(15) +
                "Return the default application for <subtype>"
                "\n--all" +
                pad.substr(5) +
                "All"
                "\n--web, --internet" +
                pad.substr(17) +
                "Web"
                "\n"
                "\n[unused]"
                "\n"
                "\n[zeta]"
                "\n--z" +
                pad.substr(3) +
                "Z"
                "\n"
                "\n[options]"
                "\n-h, --help" +
                pad.substr(10) +
                "Show help information for this command"
                "\n");
}

TEST_F(UsageStatementGeneratorTest, LongNamesColumnMovesEveryDescription) {
  OptionRegistry registry;
  const std::string longName = "--" + std::string(43, 'x');  // 45 characters
  registry.addFlags({longName}, "Long", "options", nullptr);
  registry.addFlags({"-a"}, "A", "options", nullptr);
  EXPECT_EQ(statement(&registry),
            "Usage: vrax getHandler [options]\n"
            "\n[options]"
            "\n" +
                longName +
                "Long"
                "\n-a" +
                std::string(43, ' ') +
                "A"
                "\n");
}

TEST_F(UsageStatementGeneratorTest, CountsCombiningAccentsAsOneCharacter) {
  OptionRegistry registry;
  registry.addFlags({"--cafe\xCC\x81"}, "Coffee", "options", nullptr);  // 6 characters
  EXPECT_EQ(statement(&registry),
            "Usage: vrax getHandler [options]\n"
            "\n[options]"
            "\n--cafe\xCC\x81" +
                std::string(34, ' ') +
                "Coffee"
                "\n");
}

TEST_F(UsageStatementGeneratorTest, OptionsGroupIsNeverShownRequiredAndAlwaysLast) {
  OptionRegistry registry;
  registry.groups()[0]->setRequired(true);
  registry.addGroup("a", false, false);
  registry.addFlags({"--x"}, "X", "a", nullptr);
  EXPECT_EQ(statement(&registry),
            "Usage: vrax getHandler [a] [options]\n"
            "\n[a]"
            "\n--x" +
                std::string(37, ' ') +
                "X"
                "\n"
                "\n[options]"
                "\n");
}

TEST_F(UsageStatementGeneratorTest, EqualFirstNamesKeepDeclarationOrder) {
  OptionRegistry registry;
  registry.addFlags({"--all"}, "first", "options", nullptr);
  registry.addFlags({"--all"}, "second", "options", nullptr);
  const std::string text = statement(&registry);
  EXPECT_LT(text.find("first"), text.find("second"));
}

}  // namespace
}  // namespace cmdkit
