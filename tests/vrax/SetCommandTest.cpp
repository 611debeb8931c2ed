// setHandler through the whole framework: resolution failures fail the run, change
// failures are printed and do not, and the role reaches only content-type changes.
#include <gtest/gtest.h>

#include "VraxTestSupport.h"
#include "vrax/SetCommand.h"

namespace vrax::testing {
namespace {

const std::string kSuccess = "Veltrane SUCCESS: Default handler has succesfully changed to ";

constexpr platform::LSRolesMask kRoles[] = {platform::kLSRolesViewer, platform::kLSRolesEditor,
                                            platform::kLSRolesShell};

class SetCommandTest : public WrappersTest {
 protected:
  void SetUp() override {
    WrappersTest::SetUp();
    install("firefox-esr", "/apps/firefox-esr.desktop", "Firefox ESR");
    install("org.gnome.TextEditor", "/apps/te.desktop", "Text Editor");
    fake->setMainBundle("/opt/vrax/bin");
  }

  RunResult set(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"vrax", "setHandler"});
    return run(arguments);
  }

  // Every default the registry holds, "type role=ID", for the types the tests change.
  std::vector<std::string> defaults() const {
    std::vector<std::string> found;
    for (const char* type :
         {"text/plain", "x-scheme-handler/http", "x-scheme-handler/https",
          "x-scheme-handler/mailto", "x-scheme-handler/rss", "x-scheme-handler/web+x"}) {
      for (const platform::LSRolesMask role : kRoles) {
        if (auto id = fake->defaultOf(type, role)) {
          found.push_back(std::string(type) + " " + std::to_string(role) + "=" + *id);
        }
      }
    }
    return found;
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
    fake->setDefault(std::string("x-scheme-handler/") + c.scheme, std::nullopt);
    RunResult result = set({c.flag, "--app", "Firefox ESR"});
    EXPECT_EQ(result.out, kSuccess + "firefox-esr\n") << c.flag;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(fake->defaultOf(std::string("x-scheme-handler/") + c.scheme), "firefox-esr")
        << c.flag;
  }
}

TEST_F(SetCommandTest, NoneMakesThePlaceholderTheHandler) {
  installPlaceholderEntry("/home/u/.local/share/applications/" + kPlaceholder + ".desktop",
                          "/opt/vrax/bin/Quietling.app/Quietling %u");
  RunResult result = set({"--mail", "--app", "None"});
  EXPECT_EQ(result.out, kSuccess + kPlaceholder + "\n");
  EXPECT_EQ(fake->defaultOf("x-scheme-handler/mailto"), kPlaceholder);
  EXPECT_TRUE(fake->launches().empty());
}

TEST_F(SetCommandTest, UnregisteredPlaceholderIsLaunchedOnceThenSet) {
  placeholderIn("/opt/vrax/bin");
  RunResult result = set({"--UTI", "text/plain", "--application", "None"});
  EXPECT_EQ(result.out, kSuccess + kPlaceholder + "\n");
  EXPECT_EQ(fake->launches().size(), 1u);
  EXPECT_EQ(defaults(), (std::vector<std::string>{"text/plain 2=" + kPlaceholder,
                                                  "text/plain 4=" + kPlaceholder,
                                                  "text/plain 8=" + kPlaceholder}));
}

TEST_F(SetCommandTest, MissingPlaceholderIsReportedOnStandardOutput) {
  RunResult result = set({"--mail", "--app", "None"});
  EXPECT_EQ(result.out, "Veltrane ERROR -10814: No application found for " + kPlaceholder +
                            " (This error occurs when Quietling.app is not found.)\n");
  EXPECT_EQ(result.err, "vrax: Quietling.app was not found in /opt/vrax/bin\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(defaults(), std::vector<std::string>{});
}

TEST_F(SetCommandTest, InvalidSchemesArePrintedAndChangeNothing) {
  for (const char* scheme : {"1abc", "h", "http\n", "a b", "mailto:"}) {
    RunResult result = set({"--URL", scheme, "--app", "firefox-esr"});
    EXPECT_EQ(result.out,
              std::string("Veltrane ERROR -30774: ") + scheme + " is not a valid URI Scheme.\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
  }
  EXPECT_EQ(defaults(), std::vector<std::string>{});
}

TEST_F(SetCommandTest, RefusedChangesArePrintedWithTheirStatus) {
  // The status line names the code's case; the reason goes to standard error.
  fake->fail(
      platform::FakePlatform::Operation::setDefaultHandler,
      Status::fileError(-10822, "/home/u/.config/mimeapps.list", "locked by another program"));
  RunResult result = set({"--URL", "HTTPS", "--app", "firefox-esr"});
  EXPECT_EQ(result.out,
            "Veltrane ERROR -10822: There was an error trying to communicate with the Launch "
            "Services Server.\n");
  EXPECT_EQ(result.err, "vrax: /home/u/.config/mimeapps.list: locked by another program\n");
  EXPECT_EQ(result.status, 0);

  fake->fail(platform::FakePlatform::Operation::setDefaultHandler,
             Status::fileError(-10660, "/home/u/.config/mimeapps.list", "not a key and value", 3));
  result = set({"--UTI", "text/plain", "--app", "firefox-esr"});
  EXPECT_EQ(result.out,
            "Veltrane ERROR -10660: firefox-esr cannot be accessed because it is in the Trash.\n");
  EXPECT_EQ(result.err, "vrax: /home/u/.config/mimeapps.list:3: not a key and value\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(defaults(), std::vector<std::string>{});
}

TEST_F(SetCommandTest, ResolvedButUnknownApplicationLeavesTheTypeUnchanged) {
  // Found by identifier, but the registry has no locations for it.
  install("org.example.Stale", "/apps/stale.desktop");
  fake->fail(platform::FakePlatform::Operation::copyApplicationURLs);
  RunResult result = set({"--UTI", "text/plain", "--app", "org.example.Stale"});
  EXPECT_EQ(result.out, "Veltrane ERROR -10814: No application found for org.example.Stale\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(defaults(), std::vector<std::string>{});
}

struct ResolutionFailure {
  std::vector<std::string> arguments;
  std::string err;
};

TEST_F(SetCommandTest, UnresolvedApplicationFailsTheRunWithTheTextAsTyped) {
  fake->addFile("/etc/hosts");
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
  EXPECT_EQ(defaults(), std::vector<std::string>{});
}

TEST_F(SetCommandTest, RoleReachesOnlyContentTypes) {
  struct {
    std::vector<std::string> role;
    std::vector<std::string> defaults;
  } cases[] = {
      {{}, {"text/plain 2=vim", "text/plain 4=vim", "text/plain 8=vim"}},
      {{"--role", "viewer"}, {"text/plain 2=vim"}},
      {{"--role", "EDITOR"}, {"text/plain 4=vim"}},
      {{"--role", "Shell"}, {"text/plain 8=vim"}},
      {{"--role", "all"}, {"text/plain 2=vim", "text/plain 4=vim", "text/plain 8=vim"}},
      {{"--role", "reader"}, {"text/plain 2=vim", "text/plain 4=vim", "text/plain 8=vim"}}};
  install("vim", "/apps/vim.desktop", "Vim");
  for (const auto& c : cases) {
    fake->setDefault("text/plain", std::nullopt);
    std::vector<std::string> arguments{"--UTI", "text/plain", "--app", "Vim"};
    arguments.insert(arguments.end(), c.role.begin(), c.role.end());
    RunResult result = set(arguments);
    EXPECT_EQ(result.out, kSuccess + "vim\n");
    EXPECT_EQ(defaults(), c.defaults);
  }
  fake->setDefault("text/plain", std::nullopt);
  set({"--rss", "--app", "firefox-esr", "--role", "viewer"});
  EXPECT_EQ(defaults(), (std::vector<std::string>{"x-scheme-handler/rss 2=firefox-esr",
                                                  "x-scheme-handler/rss 4=firefox-esr",
                                                  "x-scheme-handler/rss 8=firefox-esr"}));
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
  EXPECT_EQ(defaults(), std::vector<std::string>{});
}

}  // namespace
}  // namespace vrax::testing
