// setHandler through the whole framework: resolution failures fail the run, change
// failures are printed and do not, and the role reaches only content-type changes.
#include <gtest/gtest.h>

#include "VraxTestSupport.h"
#include "vrax/SetCommand.h"

namespace vrax::testing {
namespace {

using platform::FakePlatform;

const std::string kSuccess = "Veltrane SUCCESS: Default handler has succesfully changed to ";

class SetCommandTest : public WrappersTest {
 protected:
  void SetUp() override {
    WrappersTest::SetUp();
    install("firefox-esr", "/apps/firefox-esr.desktop", "Firefox ESR");
    install("org.gnome.TextEditor", "/apps/te.desktop", "Text Editor");
    fake->mainBundleValue = FakePlatform::makeUnreadableBundle("/opt/vrax/bin");
  }

  RunResult set(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"vrax", "setHandler"});
    return run(arguments);
  }

  std::vector<std::string> changes() const {
    std::vector<std::string> result;
    for (const auto& call : fake->calls) {
      if (call.starts_with("LSSet")) result.push_back(call);
    }
    return result;
  }
};

TEST_F(SetCommandTest, SchemeFlagsChangeTheirSchemeAndNameTheIdentifier) {
  struct {
    const char* flag;
    const char* scheme;
  } cases[] = {{"--web", "http"},    {"--internet", "http"}, {"--browser", "http"},
               {"--mail", "mailto"}, {"--email", "mailto"},  {"--ftp", "ftp"},
               {"--rss", "rss"},     {"--news", "news"}};
  for (const auto& c : cases) {
    RunResult result = set({c.flag, "--app", "Firefox ESR"});
    EXPECT_EQ(result.out, kSuccess + "firefox-esr\n") << c.flag;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(fake->calls.back(),
              std::string("LSSetDefaultHandlerForURLScheme(") + c.scheme + ", firefox-esr)");
  }
}

TEST_F(SetCommandTest, NoneMakesThePlaceholderTheHandler) {
  const std::string entry = "/home/u/.local/share/applications/" + kPlaceholder + ".desktop";
  install(kPlaceholder, entry);
  (*fake->bundles[entry].infoDictionary)["Exec"] = "/opt/vrax/bin/Quietling.app/Quietling %u";
  RunResult result = set({"--mail", "--app", "None"});
  EXPECT_EQ(result.out, kSuccess + kPlaceholder + "\n");
  EXPECT_EQ(fake->schemeDefaults["mailto"], kPlaceholder);
  EXPECT_TRUE(fake->launches.empty());
}

TEST_F(SetCommandTest, UnregisteredPlaceholderIsLaunchedOnceThenSet) {
  fake->executableFiles.insert("/opt/vrax/bin/Quietling.app");
  fake->registerOnLaunch = kPlaceholder;
  RunResult result = set({"--UTI", "text/plain", "--application", "None"});
  EXPECT_EQ(result.out, kSuccess + kPlaceholder + "\n");
  ASSERT_EQ(fake->launches.size(), 1u);
  EXPECT_EQ(changes(), std::vector<std::string>{"LSSetDefaultRoleHandlerForContentType(text/plain, "
                                                "0xFFFFFFFF, " +
                                                kPlaceholder + ")"});
}

TEST_F(SetCommandTest, MissingPlaceholderIsReportedOnStandardOutput) {
  RunResult result = set({"--mail", "--app", "None"});
  EXPECT_EQ(result.out, "Veltrane ERROR -10814: No application found for " + kPlaceholder +
                            " (This error occurs when Quietling.app is not found.)\n");
  EXPECT_EQ(result.err, "vrax: Quietling.app was not found in /opt/vrax/bin\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(changes().empty());
}

TEST_F(SetCommandTest, InvalidSchemesArePrintedAndChangeNothing) {
  for (const char* scheme : {"1abc", "h", "http\n", "a b", "mailto:"}) {
    RunResult result = set({"--URL", scheme, "--app", "firefox-esr"});
    EXPECT_EQ(result.out,
              std::string("Veltrane ERROR -30774: ") + scheme + " is not a valid URI Scheme.\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
  }
  EXPECT_TRUE(changes().empty());
}

TEST_F(SetCommandTest, RefusedChangesArePrintedWithTheirStatus) {
  fake->setSchemeStatus = Status::error(-10822);
  RunResult result = set({"--URL", "HTTPS", "--app", "firefox-esr"});
  EXPECT_EQ(result.out,
            "Veltrane ERROR -10822: There was an error trying to communicate with the Launch "
            "Services Server.\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(changes(),
            std::vector<std::string>{"LSSetDefaultHandlerForURLScheme(HTTPS, firefox-esr)"});

  fake->setTypeStatus = Status::error(-10660);
  result = set({"--UTI", "text/plain", "--app", "firefox-esr"});
  EXPECT_EQ(result.out,
            "Veltrane ERROR -10660: firefox-esr cannot be accessed because it is in the Trash.\n");
  EXPECT_EQ(result.status, 0);
}

TEST_F(SetCommandTest, ResolvedButUnknownApplicationLeavesTheTypeUnchanged) {
  // Known by identifier, but the registry has no locations for it.
  fake->appBundlePaths["org.example.Stale"] = "/apps/stale.desktop";
  RunResult result = set({"--UTI", "text/plain", "--app", "org.example.Stale"});
  EXPECT_EQ(result.out, "Veltrane ERROR -10814: No application found for org.example.Stale\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(changes().empty());
}

struct ResolutionFailure {
  std::vector<std::string> arguments;
  std::string err;
};

TEST_F(SetCommandTest, UnresolvedApplicationFailsTheRunWithTheTextAsTyped) {
  fake->existingFiles.insert("/etc/hosts");
  const ResolutionFailure cases[] = {
      {{"--web", "--app", "Nonexistent Browser"},
       "Veltrane ERROR -10811: Nonexistent Browser is not a valid application.\n"},
      {{"--URL", "web+x", "--app", "mailto:"},
       "Veltrane ERROR 262: mailto: is not a valid filesystem URL.\n"},
      {{"--UTI", "text/plain", "--app", "file:///nowhere/x.desktop"},
       "Veltrane ERROR -10814: No application found for file:///nowhere/x.desktop\n"},
      {{"--mail", "--app", "/etc/hosts"},
       "Veltrane ERROR -10811: /etc/hosts is not a valid application.\n"},
      {{"--mail", "--app", "file:"}, "Veltrane ERROR -10810: An unknown error has occurred.\n"},
  };
  for (const auto& c : cases) {
    RunResult result = set(c.arguments);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.status, 1);
  }
  EXPECT_TRUE(changes().empty());
}

TEST_F(SetCommandTest, RoleReachesOnlyContentTypes) {
  struct {
    std::vector<std::string> role;
    const char* bits;
  } cases[] = {{{}, "0xFFFFFFFF"},
               {{"--role", "viewer"}, "0x2"},
               {{"--role", "EDITOR"}, "0x4"},
               {{"--role", "Shell"}, "0x8"},
               {{"--role", "all"}, "0xFFFFFFFF"},
               {{"--role", "reader"}, "0xFFFFFFFF"}};
  for (const auto& c : cases) {
    std::vector<std::string> arguments{"--UTI", "text/plain", "--app", "Text Editor"};
    arguments.insert(arguments.end(), c.role.begin(), c.role.end());
    RunResult result = set(arguments);
    EXPECT_EQ(result.out, kSuccess + "org.gnome.TextEditor\n");
    EXPECT_EQ(fake->calls.back(),
              std::string("LSSetDefaultRoleHandlerForContentType(text/plain, ") + c.bits +
                  ", org.gnome.TextEditor)");
  }
  RunResult result = set({"--rss", "--app", "firefox-esr", "--role", "viewer"});
  EXPECT_EQ(fake->calls.back(), "LSSetDefaultHandlerForURLScheme(rss, firefox-esr)");
}

TEST_F(SetCommandTest, MisuseAndHelpChangeNothing) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--web"},
           {"--app", "firefox-esr"},
           {"--web", "--mail", "--app", "firefox-esr"},
           {"--web", "--app", "firefox-esr", "--application", "vim"},
           {"--web", "--app"},
           {"--web", "--app", "firefox-esr", "--all"}}) {
    RunResult result = set(arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err, "");
  }
  RunResult help = set({"--web", "--app", "firefox-esr", "-h"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: vrax setHandler <application> <type> [options]\n"))
      << help.out;
  EXPECT_TRUE(fake->calls.empty());
}

}  // namespace
}  // namespace vrax::testing
