// The command table: names, descriptions and order in the help listing, the version, and
// the exact usage statements that the two option commands' tables produce.
#include <gtest/gtest.h>

#include "ExpectedTexts.h"
#include "VraxTestSupport.h"
#include "vrax/Tool.h"

namespace vrax::testing {
namespace {

TEST_F(WrappersTest, HelpListsTheFiveCommandsInTableOrder) {
  for (const char* word : {"help", "-h"}) {
    RunResult result = run({"vrax", word});
    EXPECT_EQ(result.out, helpListing(true));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
  }
  RunResult bare = run({"vrax"});
  EXPECT_EQ(bare.out, helpListing(true));
  EXPECT_EQ(bare.status, 1);
}

TEST_F(WrappersTest, VersionIsOnePointZero) {
  for (const char* word : {"version", "-v"}) {
    RunResult result = run({"vrax", word});
    EXPECT_EQ(result.out, "Version: 1.0\n");
    EXPECT_EQ(result.status, 0);
  }
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

TEST_F(WrappersTest, UsageStatementsFollowTheOptionTables) {
  // The help flag prints the statement as one line: its own final line break, then one more.
  EXPECT_EQ(run({"vrax", "getHandler", "--help"}).out, getHandlerUsage() + "\n");
  EXPECT_EQ(run({"vrax", "setHandler", "-h"}).out, setHandlerUsage() + "\n");
}

}  // namespace
}  // namespace vrax::testing
