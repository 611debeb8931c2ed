// getHandler through the whole framework: which lookup each option makes, roles, --all,
// and the texts and statuses of success and failure.
#include <gtest/gtest.h>

#include "VraxTestSupport.h"
#include "vrax/ReadCommand.h"

namespace vrax::testing {
namespace {

constexpr const char* kNothing =
    "Veltrane ERROR: An incompatible combination was used, or no application is registered to "
    "handle ";

struct ReadCase {
  const char* name;
  std::vector<std::string> arguments;  // after "vrax getHandler"
  std::string out;
  std::string err;
  int status;
};

class ReadCommandTest : public WrappersTest, public ::testing::WithParamInterface<ReadCase> {
 protected:
  void SetUp() override {
    WrappersTest::SetUp();
    install("thunderbird", "/apps/thunderbird.desktop", "", {"x-scheme-handler/mailto"});
    installRemoved("removed",
                   {"x-scheme-handler/mailto", "x-scheme-handler/gopher", "text/x-gone"});
    install("filezilla", "/apps/filezilla.desktop", "", {"x-scheme-handler/ftp"});
    install("liferea", "/apps/liferea.desktop", "", {"x-scheme-handler/rss"});
    install("pan", "/apps/pan.desktop", "", {"x-scheme-handler/news"});
    install("vim", "/apps/vim.desktop", "", {"text/plain", "text/x-script"});
    install("org.gnome.TextEditor", "/apps/te.desktop", "", {"text/plain", "text/x-script"});
    install("org.gnome.Evince", "/apps/evince.desktop");
    install("firefox-esr", "/apps/firefox-esr.desktop", "",
            {"x-scheme-handler/http", "x-scheme-handler/web+x", "x-scheme-handler/mailto"});
    fake->setDefault("x-scheme-handler/mailto", "thunderbird");
    // text/plain: a default for editors only; viewers get the first that declares it.
    fake->setDefault("text/plain", "org.gnome.Evince", platform::kLSRolesEditor);
    // text/x-script: a default for shells only.
    fake->setDefault("text/x-script", "org.gnome.TextEditor", platform::kLSRolesShell);
  }
};

TEST_P(ReadCommandTest, PrintsTheHandlerOrFails) {
  const auto& c = GetParam();
  std::vector<std::string> arguments{"vrax", "getHandler"};
  arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
  RunResult result = run(arguments);
  EXPECT_EQ(result.out, c.out);
  EXPECT_EQ(result.err, c.err);
  EXPECT_EQ(result.status, c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ReadCommandTest,
    ::testing::Values(
        ReadCase{"Internet", {"--internet"}, "/apps/firefox-esr.desktop\n", "", 0},
        ReadCase{"Browser", {"--browser"}, "/apps/firefox-esr.desktop\n", "", 0},
        ReadCase{"Web", {"--web"}, "/apps/firefox-esr.desktop\n", "", 0},
        ReadCase{"Mail", {"--mail"}, "/apps/thunderbird.desktop\n", "", 0},
        ReadCase{"EMail", {"--e-mail"}, "/apps/thunderbird.desktop\n", "", 0},
        ReadCase{"Ftp", {"--ftp"}, "/apps/filezilla.desktop\n", "", 0},
        ReadCase{"Rss", {"--rss"}, "/apps/liferea.desktop\n", "", 0},
        ReadCase{"News", {"--news"}, "/apps/pan.desktop\n", "", 0},
        ReadCase{"URL", {"--URL", "web+x"}, "/apps/firefox-esr.desktop\n", "", 0},
        ReadCase{"URLIgnoresRole",
                 {"--URL", "http", "--role", "viewer"},
                 "/apps/firefox-esr.desktop\n",
                 "",
                 0},
        ReadCase{"URLAll",
                 {"--URL", "mailto", "--all"},
                 "/apps/thunderbird.desktop\n/apps/firefox-esr.desktop\n",
                 "",
                 0},
        ReadCase{"UTIWithRoleAll", {"--UTI", "text/plain"}, "/apps/evince.desktop\n", "", 0},
        ReadCase{"UTIViewerLower",
                 {"--UTI", "text/plain", "--role", "viewer"},
                 "/apps/vim.desktop\n",
                 "",
                 0},
        ReadCase{"UTIViewerUpper",
                 {"--role", "VIEWER", "--UTI", "text/plain"},
                 "/apps/vim.desktop\n",
                 "",
                 0},
        ReadCase{"UTIViewerMixed",
                 {"--UTI", "text/plain", "--role", "Viewer"},
                 "/apps/vim.desktop\n",
                 "",
                 0},
        ReadCase{"UTIEditor",
                 {"--UTI", "text/plain", "--role", "editor"},
                 "/apps/evince.desktop\n",
                 "",
                 0},
        ReadCase{
            "UTIShell", {"--UTI", "text/x-script", "--role", "shell"}, "/apps/te.desktop\n", "", 0},
        ReadCase{"UTIAllRolesIncludeShells",
                 {"--UTI", "text/x-script", "--role", "all"},
                 "/apps/te.desktop\n",
                 "",
                 0},
        ReadCase{"UTIUnknownRoleMeansViewerAndEditor",
                 {"--UTI", "text/plain", "--role", "reader"},
                 "/apps/evince.desktop\n",
                 "",
                 0},
        ReadCase{"UTIUnknownRoleLeavesShellsOut",
                 {"--UTI", "text/x-script", "--role", "reader"},
                 "/apps/vim.desktop\n",
                 "",
                 0},
        ReadCase{"UTIAll",
                 {"--UTI", "text/plain", "--all"},
                 "/apps/vim.desktop\n/apps/te.desktop\n",
                 "",
                 0},
        ReadCase{"UTIAllNothingResolves",
                 {"--UTI", "text/x-gone", "--all", "--role", "editor"},
                 "",
                 std::string(kNothing) + "text/x-gone\n",
                 1},
        ReadCase{"URLAllNothingResolves",
                 {"--URL", "gopher", "--all"},
                 "",
                 std::string(kNothing) + "gopher\n",
                 1},
        ReadCase{
            "SchemeFlagWithAll", {"--mail", "--all"}, "", std::string(kNothing) + "<subtype>\n", 1},
        ReadCase{
            "UnknownSchemeAsTyped", {"--URL", "Gopher"}, "", std::string(kNothing) + "Gopher\n", 1},
        ReadCase{"UnknownType",
                 {"--UTI", "image/x-none"},
                 "",
                 std::string(kNothing) + "image/x-none\n",
                 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WrappersTest, GetHandlerMisuseIsRejected) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"vrax", "getHandler"},
           {"vrax", "getHandler", "--all"},
           {"vrax", "getHandler", "--UTI", "text/plain", "--internet"},
           {"vrax", "getHandler", "--URL"},
           {"vrax", "getHandler", "--internet", "--bogus"},
           {"vrax", "getHandler", "--internet", "extra"}}) {
    RunResult result = run(arguments);
    EXPECT_EQ(result.status, 1) << arguments.back();
    EXPECT_EQ(result.out, "") << arguments.back();
    EXPECT_NE(result.err, "") << arguments.back();
  }
}

TEST_F(WrappersTest, GetHandlerHelpPrintsUsage) {
  for (const char* flag : {"-h", "--help"}) {
    RunResult result = run({"vrax", "getHandler", flag});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.starts_with("Usage: vrax getHandler <type> [options]\n")) << result.out;
    EXPECT_EQ(result.err, "");
  }
}

TEST(RoleNameTableTest, NamesAreLowerCaseAndFallBackAsAsked) {
  const auto& roles = roleNameTable();
  EXPECT_EQ(roles.size(), 4u);
  EXPECT_EQ(roleBits(roles, "Editor", 6), platform::kLSRolesEditor);
  EXPECT_EQ(roleBits(roles, "SHELL", 6), platform::kLSRolesShell);
  EXPECT_EQ(roleBits(roles, "aLL", 6), platform::kLSRolesAll);
  EXPECT_EQ(roleBits(roles, "viewers", 6), 6u);
  EXPECT_EQ(roleBits(roles, "", platform::kLSRolesAll), platform::kLSRolesAll);
}

}  // namespace
}  // namespace vrax::testing
