#include <gtest/gtest.h>

#include <algorithm>

#include "cmdkit/OptionRegistry.h"

namespace cmdkit {
namespace {

using Strings = std::vector<std::string>;

std::shared_ptr<Option> summaryOf(const OptionRegistry::OptionList& summaries,
                                  const std::string& group) {
  const auto found = std::find_if(summaries.begin(), summaries.end(),
                                  [&](const auto& option) { return option->group() == group; });
  return found == summaries.end() ? nullptr : *found;
}

TEST(OptionRegistryTest, StartsWithTheOptionsGroupOnly) {
  OptionRegistry registry;
  ASSERT_EQ(registry.groups().size(), 1u);
  EXPECT_EQ(registry.groups()[0]->name(), "options");
  EXPECT_FALSE(registry.groups()[0]->required());
  EXPECT_FALSE(registry.groups()[0]->conflicting());
  EXPECT_TRUE(registry.options().empty());
  EXPECT_TRUE(registry.flagBlocks().empty());
  EXPECT_TRUE(registry.keyBlocks().empty());
  EXPECT_TRUE(registry.exitEarlyOptions().empty());
  EXPECT_EQ(registry.usageColumnWidth(), 40);
}

TEST(OptionRegistryTest, FlagsShareOneOptionAndOneAction) {
  OptionRegistry registry;
  int calls = 0;
  registry.addFlags({"--internet", "--browser", "--web"}, "Use the web", "options",
                    [&] { ++calls; });
  ASSERT_EQ(registry.options().size(), 1u);
  const Option& option = *registry.options()[0];
  EXPECT_EQ(option.usage(), "--internet, --browser, --web__SPACING_PLACEHOLDER__Use the web");
  EXPECT_EQ(option.namesColumn(), "--internet, --browser, --web");
  EXPECT_EQ(option.description(), "Use the web");
  EXPECT_EQ(option.group(), "options");
  ASSERT_EQ(registry.flagBlocks().size(), 3u);
  for (const char* name : {"--internet", "--browser", "--web"}) registry.flagBlocks().at(name)();
  EXPECT_EQ(calls, 3);
}

TEST(OptionRegistryTest, KeysWrapTheirValueSignature) {
  OptionRegistry registry;
  std::string got;
  registry.addKeys({"--URL"}, "Return the default application for <subtype>", "subtype", "options",
                   [&](const std::string& value) { got = value; });
  EXPECT_EQ(registry.options()[0]->usage(),
            "--URL <subtype>__SPACING_PLACEHOLDER__Return the default application for <subtype>");
  registry.keyBlocks().at("--URL")("ftp");
  EXPECT_EQ(got, "ftp");
  EXPECT_TRUE(registry.flagBlocks().empty());
}

TEST(OptionRegistryTest, RedeclaringANameKeepsBothOptionsAndTheLaterAction) {
  OptionRegistry registry;
  int which = 0;
  registry.addFlags({"--all"}, "first", "options", [&] { which = 1; });
  registry.addFlags({"--all"}, "second", "options", [&] { which = 2; });
  EXPECT_EQ(registry.options().size(), 2u);
  registry.flagBlocks().at("--all")();
  EXPECT_EQ(which, 2);
}

TEST(OptionRegistryTest, UsageColumnWidthCountsCharacters) {
  OptionRegistry registry;
  registry.addFlags({"-a"}, "", "options", nullptr);
  EXPECT_EQ(registry.usageColumnWidth(), 40);
  registry.addFlags({"--" + std::string(43, 'x')}, "", "options", nullptr);
  EXPECT_EQ(registry.usageColumnWidth(), 45);
  // "é" spelled as e and a combining accent counts as one character: 48 of them.
  std::string accented = "--";
  for (int i = 0; i < 46; ++i) accented += "e\xCC\x81";
  registry.addKeys({accented}, "", "v", "options", nullptr);  // + " <v>" = 52
  EXPECT_EQ(registry.usageColumnWidth(), 52);
}

TEST(OptionRegistryTest, SummarisesRequiredAndConflictingGroups) {
  OptionRegistry registry;
  registry.addGroup("type", true, true);
  registry.addGroup("mode", false, true);
  registry.addGroup("empty", true, false);
  registry.addFlags({"--internet", "--web"}, "", "type", nullptr);
  registry.addKeys({"--URL"}, "", "subtype", "type", nullptr);
  registry.addFlags({"--fast"}, "", "mode", nullptr);

  const auto required = registry.requiredGroupOptions();
  EXPECT_EQ(required.size(), 2u);
  ASSERT_TRUE(summaryOf(required, "type"));
  EXPECT_EQ(summaryOf(required, "type")->options(), (Strings{"--internet", "--web", "--URL"}));
  EXPECT_TRUE(summaryOf(required, "type")->conflicting());
  ASSERT_TRUE(summaryOf(required, "empty"));
  EXPECT_EQ(summaryOf(required, "empty")->options(), Strings{});

  const auto conflicting = registry.conflictingGroupOptions();
  EXPECT_EQ(conflicting.size(), 2u);
  ASSERT_TRUE(summaryOf(conflicting, "mode"));
  EXPECT_EQ(summaryOf(conflicting, "mode")->options(), Strings{"--fast"});
}

TEST(OptionRegistryTest, OptionsKeepTheGroupFlagsOfTheirDeclaration) {
  OptionRegistry registry;
  registry.addGroup("late", false, false);
  registry.addFlags({"--before"}, "", "late", nullptr);
  registry.group("late")->setRequired(true);
  registry.addFlags({"--after"}, "", "late", nullptr);
  const auto required = registry.requiredGroupOptions();
  ASSERT_EQ(required.size(), 1u);
  EXPECT_EQ(required[0]->options(), Strings{"--after"});
}

TEST(OptionRegistryTest, GroupsStayUniqueByName) {
  OptionRegistry registry;
  registry.setGroups({std::make_shared<OptionGroup>("a", true, false),
                      std::make_shared<OptionGroup>("a", false, true),
                      std::make_shared<OptionGroup>("options", false, false)});
  ASSERT_EQ(registry.groups().size(), 2u);
  EXPECT_TRUE(registry.group("a")->required());
  EXPECT_TRUE(OptionGroup("x", true, true) == OptionGroup("x", false, false));
  EXPECT_EQ(OptionGroup("x", true, true).hashValue(), OptionGroup("x", false, false).hashValue());
  EXPECT_EQ(registry.group("A"), nullptr);
}

TEST(OptionRegistryDeathTest, DeclarationMistakesAreFatal) {
  EXPECT_DEATH(OptionRegistry().addGroup("", false, false), "");
  EXPECT_DEATH(OptionRegistry().addGroup("options", true, false), "");
  EXPECT_DEATH(
      {
        OptionRegistry registry;
        registry.addGroup("type", true, true);
        registry.addGroup("type", false, false);
      },
      "");
  EXPECT_DEATH(OptionRegistry().addFlags({}, "", "options", nullptr), "");
  EXPECT_DEATH(OptionRegistry().addKeys({}, "", "v", "options", nullptr), "");
  EXPECT_DEATH(OptionRegistry().addFlags({"--x"}, "", "undeclared", nullptr), "");
  EXPECT_DEATH(OptionRegistry().addKeys({"--x"}, "", "v", "Options", nullptr), "");
}

}  // namespace
}  // namespace cmdkit
