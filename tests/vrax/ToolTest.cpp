// The command table: names, descriptions and order in the help listing, the version, and
// the exact usage statements that the two option commands' tables produce. None of these
// may ask the platform anything.
#include "vrax/Tool.h"

#include <gtest/gtest.h>

#include "VraxTestSupport.h"

namespace vrax::testing {
namespace {

const char* const kHelp =
    "Utility to retrieve and manipulate default applications in macOS.\n"
    "\n"
    "Available commands: \n"
    "- getHandler                              Returns the default application registered for "
    "the URI Scheme or <subtype> you specify.\n"
    "- getApps                                 Returns a list of all registered applications.\n"
    "- getSchemes                              Returns a list of all known URI schemes, "
    "accompanied by their default handler.\n"
    "- getUTIs                                 Returns a list of all known UTIs, and their "
    "default handler.\n"
    "- setHandler                              Sets <application> as the default handler for a "
    "given <type>/<subtype> combination.\n"
    "- help                                    Prints this help information\n"
    "- version                                 Prints the current version of this app\n";

TEST_F(WrappersTest, HelpListsTheFiveCommandsInTableOrder) {
  for (const char* word : {"help", "-h"}) {
    RunResult result = run({"vrax", word});
    EXPECT_EQ(result.out, kHelp);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
  }
  RunResult bare = run({"vrax"});
  EXPECT_EQ(bare.out, kHelp);
  EXPECT_EQ(bare.status, 1);
  EXPECT_TRUE(fake->calls.empty());
}

TEST_F(WrappersTest, VersionIsOnePointZero) {
  for (const char* word : {"version", "-v"}) {
    RunResult result = run({"vrax", word});
    EXPECT_EQ(result.out, "Version: 1.0\n");
    EXPECT_EQ(result.status, 0);
  }
  EXPECT_TRUE(fake->calls.empty());
}

TEST(CommandTableTest, HoldsTheFiveCommandsWithEmptySignatures) {
  auto table = makeCommandTable();
  std::vector<std::string> names;
  for (const auto& command : table) {
    names.push_back(command->name());
    EXPECT_EQ(command->signature(), "");
  }
  EXPECT_EQ(names, (std::vector<std::string>{"getHandler", "getApps", "getSchemes", "getUTIs",
                                             "setHandler"}));
}

std::string line(const std::string& names, const std::string& description) {
  return names + std::string(40 - names.size(), ' ') + description + "\n";
}

TEST_F(WrappersTest, GetHandlerUsageStatement) {
  std::string expected =
      "Usage: vrax getHandler <type> [options]\n"
      "\n<type>\n" +
      line("--URL <subtype>", "Return the default application for <subtype>") +
      line("--UTI <subtype>", "Return the default application for <subtype>") +
      line("--ftp", "Returns the default FTP client.") +
      line("--internet, --browser, --web", "Returns the default web browser.") +
      line("--mail, --email, --e-mail", "Returns the default e-mail client.") +
      line("--news", "Returns the default news client.") +
      line("--rss", "Returns the default RSS client.") + "\n[options]\n" +
      line("--all",
           "When this flag is added, a list of all applications registered for that content "
           "will printed.") +
      line("--role <role>",
           "--role <Viewer|Editor|Shell|All>, specifies the role with which to register the "
           "handler. Default is All.") +
      line("-h, --help", "Show help information for this command") + "\n";
  RunResult result = run({"vrax", "getHandler", "--help"});
  EXPECT_EQ(result.out, expected);
}

TEST_F(WrappersTest, SetHandlerUsageStatement) {
  std::string expected =
      "Usage: vrax setHandler <application> <type> [options]\n"
      "\n<application>\n" +
      line("--app, --application <application>",
           "The <application> to register as default handler. Specifying \"None\" will remove "
           "the currently registered handler.") +
      "\n<type>\n" + line("--URL <subtype>", "Change the default application for <subtype>") +
      line("--UTI <subtype>", "Change the default application for <subtype>") +
      line("--ftp", "Changes the default FTP client.") +
      line("--internet, --browser, --web", "Changes the default web browser.") +
      line("--mail, --email, --e-mail", "Changes the default e-mail client.") +
      line("--news", "Changes the default news client.") +
      line("--rss", "Changes the default RSS client.") + "\n[options]\n" +
      line("--role <role>",
           "--role <Viewer|Editor|Shell|All>, specifies the role with which to register the "
           "handler. Default is All.") +
      line("-h, --help", "Show help information for this command") + "\n";
  RunResult result = run({"vrax", "setHandler", "-h"});
  EXPECT_EQ(result.out, expected);
}

}  // namespace
}  // namespace vrax::testing
