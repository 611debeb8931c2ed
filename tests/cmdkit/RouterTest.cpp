#include <gtest/gtest.h>

#include "cmdkit/CLI.h"
#include "cmdkit/LightweightCommand.h"
#include "cmdkit/RawArguments.h"
#include "cmdkit/Router.h"

namespace cmdkit {
namespace {

using Classification = RawArgument::Classification;
using Strings = std::vector<std::string>;

class RouterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CLI::resetForTesting();
    for (const char* name : {"list", "help", "version", "rec"}) {
      commands_.push_back(std::make_shared<LightweightCommand>(name));
    }
  }
  void TearDown() override { CLI::resetForTesting(); }

  std::shared_ptr<Command> route(const std::string& line, const AliasTable& aliases = {},
                                 std::shared_ptr<Command> fallback = nullptr) {
    arguments_ = std::make_shared<RawArguments>(line);
    return DefaultRouter(std::move(fallback)).route(commands_, aliases, arguments_);
  }

  Strings values() const {
    Strings values;
    for (const auto& argument : arguments_->arguments()) values.push_back(argument->value());
    return values;
  }
  Strings unclassified() const {
    Strings values;
    for (const auto& argument : arguments_->unclassifiedArguments())
      values.push_back(argument->value());
    return values;
  }

  std::vector<std::shared_ptr<Command>> commands_;
  std::shared_ptr<RawArguments> arguments_;
};

TEST_F(RouterTest, ProgramNameAloneRoutesToTheFallback) {
  EXPECT_EQ(route("vrax"), nullptr);
  auto fallback = std::make_shared<LightweightCommand>("fallback");
  EXPECT_EQ(route("vrax", {}, fallback), fallback);
  EXPECT_EQ(unclassified(), Strings{});
}

TEST_F(RouterTest, MarksTheCommandWord) {
  EXPECT_EQ(route("vrax list x"), commands_[0]);
  EXPECT_EQ(arguments_->arguments()[1]->classification(), Classification::commandName);
  EXPECT_EQ(unclassified(), Strings{"x"});
}

TEST_F(RouterTest, NamesCompareExactly) {
  EXPECT_EQ(route("vrax Help"), nullptr);
  EXPECT_EQ(unclassified(), Strings{"Help"});
}

TEST_F(RouterTest, UnknownWordGoesToTheFallbackUnclassified) {
  auto fallback = std::make_shared<LightweightCommand>("fallback");
  EXPECT_EQ(route("vrax foo bar", {}, fallback), fallback);
  EXPECT_EQ(unclassified(), (Strings{"foo", "bar"}));
}

TEST_F(RouterTest, OneWordAliasMarksTheAliasWord) {
  EXPECT_EQ(route("vrax -h", {{"-h", "help"}}), commands_[1]);
  EXPECT_EQ(values(), (Strings{"vrax", "-h"}));
  EXPECT_EQ(arguments_->arguments()[1]->classification(), Classification::commandName);
}

TEST_F(RouterTest, MultiWordAliasRebuildsTheArguments) {
  EXPECT_EQ(route("vrax ls -x", {{"ls", "list all"}}), commands_[0]);
  EXPECT_EQ(values(), (Strings{"vrax", "list", "all", "-x"}));
  EXPECT_EQ(arguments_->arguments()[0]->classification(), Classification::appName);
  EXPECT_EQ(arguments_->arguments()[1]->classification(), Classification::commandName);
  EXPECT_EQ(unclassified(), (Strings{"all", "-x"}));
  EXPECT_EQ(arguments_->originalString(), "vrax list all -x");
}

TEST_F(RouterTest, MultiWordAliasExpandsEveryOccurrence) {
  EXPECT_EQ(route("vrax ls ls", {{"ls", "list all"}}), commands_[0]);
  EXPECT_EQ(values(), (Strings{"vrax", "list", "all", "list", "all"}));
}

TEST_F(RouterTest, AliasContainingItselfExpandsOnce) {
  // Each occurrence is replaced once; the words the expansion brings in are left alone.
  EXPECT_EQ(route("vrax rec a rec", {{"rec", "rec rec x"}}), commands_[3]);
  EXPECT_EQ(values(), (Strings{"vrax", "rec", "rec", "x", "a", "rec", "rec", "x"}));
  EXPECT_EQ(arguments_->arguments()[1]->classification(), Classification::commandName);
}

TEST_F(RouterTest, AliasToAnUnknownCommandGoesToTheFallback) {
  EXPECT_EQ(route("vrax ls", {{"ls", "nothing here"}}), nullptr);
  EXPECT_EQ(values(), (Strings{"vrax", "nothing", "here"}));
}

TEST_F(RouterTest, RebuildUsesTheOriginalStringSplitAtSingleSpaces) {
  // Double spaces give empty words in the rewrite, which the tokeniser drops again.
  EXPECT_EQ(route("vrax  ls  \"a b\"", {{"ls", "list  all"}}), commands_[0]);
  EXPECT_EQ(values(), (Strings{"vrax", "list", "all", "a b"}));
}

}  // namespace
}  // namespace cmdkit
