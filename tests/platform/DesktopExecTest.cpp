#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DesktopExec.h"

namespace platform {
namespace {

using Argv = std::vector<std::string>;

TEST(DesktopExec, ParsesQuotingAndKeepsFieldCodes) {
  const struct {
    const char* value;
    Argv argv;
  } cases[] = {
      {"firefox-esr %u", {"firefox-esr", "%u"}},
      {"  gedit\t--new-window   %U  ", {"gedit", "--new-window", "%U"}},
      {"\"/opt/My App/run\" --flag %f", {"/opt/My App/run", "--flag", "%f"}},
      {"\"a \\\"q\\\" \\`b\\` \\$c \\\\d\"", {"a \"q\" `b` $c \\d"}},
      {"\"keep \\x backslash\"", {"keep \\x backslash"}},
      {"pre\"mid dle\"post", {"premid dlepost"}},
      {"'single quoted $x' next", {"single quoted $x", "next"}},
      {"escaped\\ space", {"escaped space"}},
      {"\"\" empty", {"", "empty"}},
      {"prog --name=%c %%", {"prog", "--name=%c", "%%"}},
      {"prog #comment here", {"prog"}},
      {"prog a#b", {"prog", "a#b"}},
  };
  for (const auto& c : cases) {
    const auto argv = parseExec(c.value);
    ASSERT_TRUE(argv) << c.value;
    EXPECT_EQ(*argv, c.argv) << c.value;
  }
}

TEST(DesktopExec, RejectsMalformedValues) {
  for (const char* value : {"", "   ", "\"unterminated", "prog 'open", "prog \\", "# only"}) {
    EXPECT_FALSE(parseExec(value)) << value;
  }
}

TEST(DesktopExec, QuotedArgumentsSurviveParsing) {
  const char* arguments[] = {
      "/usr/bin/plain",
      "/home/u/My Apps/Quietling.app/Quietling",
      "",
      "tab\there",
      "new\nline",
      "quote\"d",
      "back\\slash",
      "dollar$HOME",
      "`tick`",
      "single'quote",
      "#hash",
      "a;b&c|d<e>f*g?h(i)~j",
  };
  for (const char* argument : arguments) {
    const std::string quoted = quoteExecArgument(argument);
    const auto argv = parseExec("prog " + quoted + " %u");
    ASSERT_TRUE(argv) << quoted;
    EXPECT_EQ(*argv, (Argv{"prog", argument, "%u"})) << quoted;
  }
  EXPECT_EQ(quoteExecArgument("/usr/bin/plain"), "/usr/bin/plain");
  EXPECT_EQ(quoteExecArgument("/a b/c"), "\"/a b/c\"");
  EXPECT_EQ(quoteExecArgument("a\"$`\\"), "\"a\\\"\\$\\`\\\\\"");
}

}  // namespace
}  // namespace platform
