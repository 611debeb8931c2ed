// End-to-end runs of the vrax program in a temporary XDG tree built from real desktop
// entries (with stub programs on PATH for the programs they run) and the system's shared
// MIME-info database: standard output, standard error and exit status compared byte for
// byte, and every change read back by `gio mime` and `xdg-mime query default`.
//
// The program runs as installed: a copy at <prefix>/bin/vrax, with the placeholder bundle
// at <prefix>/lib/vrax/Quietling.app where the installed tool looks for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "ExpectedTexts.h"
#include "Files.h"
#include "RunProcess.h"
#include "XdgTree.h"
#include "vrax/Identifiers.h"

namespace vrax::testing {
namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::writeFile;

struct Output {
  int status = -1;
  std::string out;
  std::string err;
};

// The shared temporary XDG tree with the fixture's applications installed system-wide
// (and stub programs for the programs they run), and the tool installed under a prefix
// of its own.
class ToolTree {
 public:
  explicit ToolTree(bool withPlaceholder = true) {
    fs::create_directories(root() / "prefix/bin");
    fs::copy(VRAX_FIXTURES_DIR "/applications", applications(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    prepare({"/bin/sh", VRAX_FIXTURES_DIR "/make-stubs.sh", applications().string(), tree_.bin()});
    prepare({"update-desktop-database", applications().string()});
    fs::copy_file(VRAX_PROGRAM, program());
    fs::permissions(program(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    if (withPlaceholder && fs::exists(VRAX_PLACEHOLDER_BUNDLE)) {
      fs::create_directories(root() / "prefix/lib/vrax");
      fs::copy(VRAX_PLACEHOLDER_BUNDLE, root() / "prefix/lib/vrax/Quietling.app",
               fs::copy_options::recursive);
    }
  }

  fs::path root() const { return tree_.root(); }
  fs::path applications() const { return tree_.systemApplications(); }
  fs::path program() const { return root() / "prefix/bin/vrax"; }
  fs::path userList() const { return tree_.userList(); }
  // The path the tool prints for an installed application of the fixture.
  std::string entry(const std::string& id) const {
    return (applications() / (id + ".desktop")).string();
  }

  void setEnv(const std::string& name, const std::string& value) { tree_.setEnv(name, value); }

  // Runs a program (a bare name is looked up in the tree's PATH) in the tree's
  // environment. Standard output goes to outPath when given.
  Output run(const std::vector<std::string>& arguments,
             const std::optional<fs::path>& outPath = std::nullopt) const {
    const testsupport::TempDir outputs("vrax-e2e-run");
    const testsupport::ProcessResult result = testsupport::runProcess(
        arguments, tree_.environment(),
        {outPath.value_or(outputs.path() + "/out").string(), outputs.path() + "/err", !outPath});
    return Output{result.signal != 0 ? 128 + result.signal : result.exitStatus, result.out,
                  result.err};
  }

  Output vrax(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), program().string());
    return run(arguments);
  }

  std::string gioDefault(const std::string& type) const { return tree_.gioDefault(type); }
  std::string xdgMimeDefault(const std::string& type) const { return tree_.xdgMimeDefault(type); }

 private:
  void prepare(const std::vector<std::string>& argv) const {
    const testsupport::ProcessResult result = tree_.run(argv);
    EXPECT_EQ(result.exitStatus, 0) << argv.at(0) << ": " << result.err;
  }

  testsupport::XdgTree tree_;
};

const std::string kSuccess = "Veltrane SUCCESS: Default handler has succesfully changed to ";
const std::string kNothing =
    "Veltrane ERROR: An incompatible combination was used, or no application is registered to "
    "handle ";

// --- the command line ------------------------------------------------------------------------

struct LineCase {
  const char* name;
  std::vector<std::string> arguments;
  std::string out;
  std::string err;
  int status;
};

std::vector<LineCase> commandLineCases() {
  const std::string spaces33(33, ' ');
  return {
      {"Nothing", {}, helpListing(true), "", 1},
      {"Help", {"help"}, helpListing(true), "", 0},
      {"HelpWithWords", {"help", "getApps"}, helpListing(true), "", 0},
      {"HelpAlias", {"-h"}, helpListing(true), "", 0},
      {"Version", {"version"}, "Version: 1.0\n", "", 0},
      {"VersionAlias", {"-v"}, "Version: 1.0\n", "", 0},
      {"UnknownCommand", {"foo"}, helpListing(false), "Command \"foo\" not found\n\n", 1},
      {"VersionWithWord",
       {"version", "x"},
       "",
       "Expected no arguments, got 1.\nUsage: vrax version\n",
       1},
      {"ListingWithWords",
       {"getApps", "a", "b"},
       "",
       "Expected no arguments, got 2.\nUsage: vrax getApps\n",
       1},
      {"GetHandlerHelp", {"getHandler", "-h"}, getHandlerUsage() + "\n", "", 0},
      {"GetHandlerHelpBesideMisuse",
       {"getHandler", "--bogus", "--help"},
       getHandlerUsage() + "\n",
       "",
       0},
      {"SetHandlerHelp", {"setHandler", "--help"}, setHandlerUsage() + "\n", "", 0},
      {"GetHandlerWithoutType",
       {"getHandler"},
       "",
       getHandlerUsage() + "\nMissing options:\n<type>:" + spaces33 + kTypeNames + "\n\n",
       1},
      {"GetHandlerAllAlone",
       {"getHandler", "--all"},
       "",
       getHandlerUsage() + "\nMissing options:\n<type>:" + spaces33 + kTypeNames + "\n\n",
       1},
      {"GetHandlerTwoTypes",
       {"getHandler", "--UTI", "text/plain", "--internet"},
       "",
       getHandlerUsage() + "\nConflicting options:\n<type>:" + spaces33 + "--UTI, --internet\n\n",
       1},
      {"GetHandlerKeyWithoutValue",
       {"getHandler", "--URL"},
       "",
       getHandlerUsage() + "\nRequired values for options but given none:\n\t--URL\n\n",
       1},
      {"GetHandlerUnknownOption",
       {"getHandler", "--web", "--bogus"},
       "",
       getHandlerUsage() + "\nUnrecognized options:\n" + spaces33 + "--bogus\n\n",
       1},
      // Combined flags split by user-perceived character, not by byte.
      {"CombinedFlagOfAnAccentedLetter",
       {"getHandler", "--mail", "-\xC3\xA9"},
       "",
       getHandlerUsage() + "\nUnrecognized options:\n" + std::string(38, ' ') + "-\xC3\xA9\n\n",
       1},
      {"CombinedFlagsWithACombiningAccent",
       {"getHandler", "--mail", "-e\xCC\x81x"},
       "",
       getHandlerUsage() + "\nUnrecognized options:\n" + std::string(38, ' ') + "-e\xCC\x81\n" +
           std::string(38, ' ') + "-x\n\n",
       1},
      {"CombinedFlagsOfBytesThatAreNotUTF8",
       {"getHandler", "--mail", "-\xFF\xFE"},
       "",
       getHandlerUsage() + "\nUnrecognized options:\n" + std::string(38, ' ') + "-\xFF\n" +
           std::string(38, ' ') + "-\xFE\n\n",
       1},
      {"SetHandlerWithoutApplication",
       {"setHandler", "--web"},
       "",
       setHandlerUsage() + "\nMissing options:\n<application>:" + std::string(26, ' ') +
           "--app, --application\n\n",
       1},
      {"SetHandlerWithoutAnything",
       {"setHandler"},
       "",
       setHandlerUsage() + "\nMissing options:\n<application>:" + std::string(26, ' ') +
           "--app, --application\n<type>:" + spaces33 + kTypeNames + "\n\n",
       1},
      {"SetHandlerWithAll",
       {"setHandler", "--web", "--app", "org.kde.falkon", "--all"},
       "",
       setHandlerUsage() + "\nUnrecognized options:\n" + std::string(35, ' ') + "--all\n\n",
       1},
      {"SetHandlerTwoApplications",
       {"setHandler", "--web", "--app", "a", "--application", "b"},
       "",
       setHandlerUsage() + "\nConflicting options:\n<application>:" + std::string(26, ' ') +
           "--app, --application\n\n",
       1},
  };
}

class CommandLineTest : public ::testing::TestWithParam<LineCase> {
 protected:
  static void SetUpTestSuite() { tree_ = new ToolTree(); }
  static void TearDownTestSuite() {
    delete tree_;
    tree_ = nullptr;
  }
  static ToolTree* tree_;
};
ToolTree* CommandLineTest::tree_ = nullptr;

TEST_P(CommandLineTest, PrintsExactlyAndEndsWithItsStatus) {
  const auto& c = GetParam();
  Output result = tree_->vrax(c.arguments);
  EXPECT_EQ(result.out, c.out);
  EXPECT_EQ(result.err, c.err);
  EXPECT_EQ(result.status, c.status);
  EXPECT_FALSE(fs::exists(tree_->userList())) << "nothing may change";
}

INSTANTIATE_TEST_SUITE_P(Lines, CommandLineTest, ::testing::ValuesIn(commandLineCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// --- getHandler ------------------------------------------------------------------------------

class EndToEndTest : public ::testing::Test {
 protected:
  ToolTree tree;
};

TEST_F(EndToEndTest, BuiltInSchemesReportWhatGioReports) {
  const std::map<std::string, std::string> flags{
      {"--internet", "http"}, {"--web", "http"}, {"--browser", "http"}, {"--mail", "mailto"},
      {"--email", "mailto"},  {"--ftp", "ftp"},  {"--rss", "rss"},      {"--news", "news"}};
  int found = 0;
  for (const auto& [flag, scheme] : flags) {
    std::string gio = tree.gioDefault("x-scheme-handler/" + scheme);
    Output result = tree.vrax({"getHandler", flag});
    if (gio.empty()) {
      EXPECT_EQ(result.out, "") << flag;
      EXPECT_EQ(result.err, kNothing + "<subtype>\n") << flag;
      EXPECT_EQ(result.status, 1) << flag;
    } else {
      ++found;
      EXPECT_EQ(result.out, (tree.applications() / gio).string() + "\n") << flag;
      EXPECT_EQ(result.err, "") << flag;
      EXPECT_EQ(result.status, 0) << flag;
    }
  }
  EXPECT_GE(found, 4) << "the fixture has browsers, mail and news clients";
}

TEST_F(EndToEndTest, SchemesAndTypesByValue) {
  const std::string http = tree.gioDefault("x-scheme-handler/http");
  ASSERT_NE(http, "");
  EXPECT_EQ(tree.vrax({"getHandler", "--URL", "http"}).out,
            (tree.applications() / http).string() + "\n");
  Output all = tree.vrax({"getHandler", "--URL", "http", "--all"});
  EXPECT_EQ(all.status, 0);
  EXPECT_NE(all.out.find(tree.entry("org.gnome.Epiphany") + "\n"), std::string::npos) << all.out;
  EXPECT_NE(all.out.find(tree.entry("org.kde.falkon") + "\n"), std::string::npos) << all.out;

  Output text = tree.vrax({"getHandler", "--UTI", "text/plain", "--role", "Viewer"});
  EXPECT_EQ(text.out, (tree.applications() / tree.gioDefault("text/plain")).string() + "\n");

  Output nobody = tree.vrax({"getHandler", "--URL", "Web+Nobody"});
  EXPECT_EQ(nobody.out, "");
  EXPECT_EQ(nobody.err, kNothing + "Web+Nobody\n");
  EXPECT_EQ(nobody.status, 1);

  Output mailAll = tree.vrax({"getHandler", "--mail", "--all"});
  EXPECT_EQ(mailAll.err, kNothing + "<subtype>\n");
  EXPECT_EQ(mailAll.status, 1);
}

// --- setHandler ------------------------------------------------------------------------------

struct ChangeCase {
  std::vector<std::string> arguments;  // after "setHandler"
  std::string type;                    // the MIME type that changes
  std::string id;                      // the new default's desktop file ID, no suffix
  std::vector<std::string> readBack;   // getHandler arguments that read it back
};

TEST_F(EndToEndTest, ChangesAreReadBackByEveryClient) {
  const std::string gedit = tree.entry("org.gnome.gedit");
  const std::string evince = tree.entry("org.gnome.Evince");
  const ChangeCase cases[] = {
      {{"--web", "--app", "Falkon"}, "x-scheme-handler/http", "org.kde.falkon", {"--internet"}},
      {{"--browser", "--app", "org.gnome.Epiphany"},
       "x-scheme-handler/http",
       "org.gnome.Epiphany",
       {"--web"}},
      {{"--email", "--app", "claws-mail"}, "x-scheme-handler/mailto", "claws-mail", {"--mail"}},
      {{"--ftp", "--app", "FileZilla"}, "x-scheme-handler/ftp", "filezilla", {"--ftp"}},
      {{"--rss", "--app", "net.sourceforge.liferea"},
       "x-scheme-handler/rss",
       "net.sourceforge.liferea",
       {"--rss"}},
      {{"--news", "--app", "pan"}, "x-scheme-handler/news", "org.gnome.pan", {"--news"}},
      {{"--URL", "web+vrax", "--app", "org.kde.falkon"},
       "x-scheme-handler/web+vrax",
       "org.kde.falkon",
       {"--URL", "web+vrax"}},
      {{"--UTI", "text/plain", "--app", gedit},
       "text/plain",
       "org.gnome.gedit",
       {"--UTI", "text/plain"}},
      {{"--UTI", "image/png", "--role", "viewer", "--application", "org.gnome.eog"},
       "image/png",
       "org.gnome.eog",
       {"--UTI", "image/png", "--role", "editor"}},
      {{"--UTI", "application/pdf", "--app", "file://" + evince},
       "application/pdf",
       "org.gnome.Evince",
       {"--UTI", "application/pdf"}},
      // Names shared with helper entries mean the application itself.
      {{"--UTI", "application/pdf", "--app", "Okular"},
       "application/pdf",
       "org.kde.okular",
       {"--UTI", "application/pdf"}},
      {{"--UTI", "inode/directory", "--app", "Thunar"},
       "inode/directory",
       "thunar",
       {"--UTI", "inode/directory"}},
      {{"--mail", "--app", "balsa"}, "x-scheme-handler/mailto", "org.desktop.Balsa", {"--mail"}},
      // An ID with its suffix, in any case, is reported as the bare ID.
      {{"--web", "--app", "org.kde.falkon.desktop"},
       "x-scheme-handler/http",
       "org.kde.falkon",
       {"--web"}},
      {{"--web", "--app", "ORG.GNOME.EPIPHANY.DESKTOP"},
       "x-scheme-handler/http",
       "org.gnome.Epiphany",
       {"--web"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments{"setHandler"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    Output result = tree.vrax(arguments);
    EXPECT_EQ(result.out, kSuccess + c.id + "\n") << c.arguments.back();
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(tree.gioDefault(c.type), c.id + ".desktop") << c.type;
    EXPECT_EQ(tree.xdgMimeDefault(c.type), c.id + ".desktop") << c.type;
    std::vector<std::string> read{"getHandler"};
    read.insert(read.end(), c.readBack.begin(), c.readBack.end());
    EXPECT_EQ(tree.vrax(read).out, tree.entry(c.id) + "\n") << c.type;
  }
}

TEST_F(EndToEndTest, AnIdentifierMayEndInDesktop) {
  // The bundle identifier of org.telegram.desktop.desktop is org.telegram.desktop.
  writeFile(tree.root() / "bin/telegram-desktop", "#!/bin/sh\n");
  fs::permissions(tree.root() / "bin/telegram-desktop", fs::perms::owner_all);
  const fs::path entry = tree.root() / "data/applications/org.telegram.desktop.desktop";
  writeFile(entry,
            "[Desktop Entry]\nType=Application\nName=Telegram Desktop\n"
            "Exec=telegram-desktop -- %u\nMimeType=x-scheme-handler/tg;\n");
  for (const char* application : {"org.telegram.desktop", "org.telegram.desktop.desktop",
                                  "Telegram Desktop", "telegram-desktop", entry.c_str()}) {
    Output result = tree.vrax({"setHandler", "--URL", "tg", "--app", application});
    EXPECT_EQ(result.out, kSuccess + "org.telegram.desktop\n") << application;
    EXPECT_EQ(result.err, "") << application;
    EXPECT_EQ(tree.gioDefault("x-scheme-handler/tg"), "org.telegram.desktop.desktop");
    EXPECT_EQ(tree.vrax({"getHandler", "--URL", "tg"}).out, entry.string() + "\n");
  }
}

TEST_F(EndToEndTest, ChangeWinsOverADesktopSpecificList) {
  tree.setEnv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
  writeFile((tree.root() / "config/gnome-mimeapps.list").string(),
            "[Default Applications]\nx-scheme-handler/http=org.kde.falkon.desktop;\n");
  ASSERT_EQ(tree.gioDefault("x-scheme-handler/http"), "org.kde.falkon.desktop");
  Output result = tree.vrax({"setHandler", "--web", "--app", "Epiphany"});
  EXPECT_EQ(result.out, kSuccess + "org.gnome.Epiphany\n");
  EXPECT_EQ(tree.gioDefault("x-scheme-handler/http"), "org.gnome.Epiphany.desktop");
  EXPECT_EQ(tree.xdgMimeDefault("x-scheme-handler/http"), "org.gnome.Epiphany.desktop");
  EXPECT_EQ(tree.vrax({"getHandler", "--web"}).out, tree.entry("org.gnome.Epiphany") + "\n");
}

TEST_F(EndToEndTest, NoneRegistersAndSetsThePlaceholder) {
  if (!fs::exists(VRAX_PLACEHOLDER_BUNDLE)) GTEST_SKIP() << "Quietling.app is not built";
  const std::string id = kPlaceholderBundleID;
  Output result = tree.vrax({"setHandler", "--mail", "--app", "None"});
  EXPECT_EQ(result.out, kSuccess + id + "\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(fs::exists(tree.root() / "data/applications" / (id + ".desktop")));
  EXPECT_EQ(tree.gioDefault("x-scheme-handler/mailto"), id + ".desktop");
  EXPECT_EQ(tree.xdgMimeDefault("x-scheme-handler/mailto"), id + ".desktop");
  EXPECT_EQ(tree.vrax({"getHandler", "--mail"}).out,
            (tree.root() / "data/applications" / (id + ".desktop")).string() + "\n");
  // Registered now: a second change uses it as it is.
  EXPECT_EQ(tree.vrax({"setHandler", "--UTI", "text/plain", "--app", "None"}).out,
            kSuccess + id + "\n");
  EXPECT_EQ(tree.gioDefault("text/plain"), id + ".desktop");
}

TEST(EndToEndWithoutPlaceholderTest, MissingPlaceholderIsReportedAndNothingChanges) {
  ToolTree tree(/*withPlaceholder=*/false);
  Output result = tree.vrax({"setHandler", "--mail", "--app", "None"});
  EXPECT_EQ(result.out, "Veltrane ERROR -10814: No application found for " +
                            std::string(kPlaceholderBundleID) +
                            " (This error occurs when Quietling.app is not found.)\n");
  // The reason names every folder searched: the program's own, ~/Applications and the
  // installation's lib/vrax.
  EXPECT_TRUE(std::regex_match(
      result.err, std::regex("vrax: Quietling\\.app was not found in /.*/bin, /.*/Applications, "
                             "/.*/lib/vrax\n")))
      << result.err;
  EXPECT_EQ(result.status, 0);
  EXPECT_FALSE(fs::exists(tree.userList()));
}

struct FailureCase {
  const char* name;
  std::vector<std::string> arguments;  // after "setHandler"
  std::string out;
  std::string err;
  int status;
};

TEST_F(EndToEndTest, FailuresAreReportedAndChangeNothing) {
  const std::string home = (tree.root() / "home").string();
  writeFile(home + "/site.desktop",
            "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.org\n");
  writeFile(home + "/untyped.desktop", "[Desktop Entry]\nName=Untyped\nExec=gedit\n");
  writeFile(home + "/notes.txt", "notes\n");
  const std::string list =
      "# chosen by hand\n[Default Applications]\nx-scheme-handler/http=org.kde.falkon.desktop;\n";
  writeFile(tree.userList().string(), list);
  const std::string thunderbird = tree.entry("thunderbird");  // its program is missing

  const FailureCase cases[] = {
      {"InvalidScheme",
       {"--URL", "1abc", "--app", "Falkon"},
       "Veltrane ERROR -30774: 1abc is not a valid URI Scheme.\n",
       "",
       0},
      {"OneLetterScheme",
       {"--URL", "h", "--app", "Falkon"},
       "Veltrane ERROR -30774: h is not a valid URI Scheme.\n",
       "",
       0},
      {"SchemeWithNewline",
       {"--URL", "http\n", "--app", "Falkon"},
       "Veltrane ERROR -30774: http\n is not a valid URI Scheme.\n",
       "",
       0},
      {"SchemeWithInjectedLine",
       {"--URL", "http\nx-scheme-handler/ftp=evil.desktop", "--app", "Falkon"},
       "Veltrane ERROR -30774: http\nx-scheme-handler/ftp=evil.desktop is not a valid URI "
       "Scheme.\n",
       "",
       0},
      {"EmptyScheme",
       {"--URL", "", "--app", "Falkon"},
       "Veltrane ERROR -30774:  is not a valid URI Scheme.\n",
       "",
       0},
      {"TypeWithInjectedLine",
       {"--UTI", "text/plain\n[Default Applications]", "--app", "Falkon"},
       "Veltrane ERROR -10810: An unknown error has occurred.\n",
       "vrax: \"text/plain\\n[Default Applications]\" is not a valid MIME type\n",
       0},
      {"UninstalledApplication",
       {"--web", "--app", thunderbird},
       "Veltrane ERROR -10814: No application found for thunderbird\n",
       "vrax: no application thunderbird is installed\n",
       0},
      {"UnknownName",
       {"--web", "--app", "No Such Browser"},
       "",
       "Veltrane ERROR -10811: No Such Browser is not a valid application.\n",
       1},
      {"UnknownIdentifier",
       {"--mail", "--app", "org.example.Nothing"},
       "",
       "Veltrane ERROR -10811: org.example.Nothing is not a valid application.\n",
       1},
      {"LowerCaseNone",
       {"--mail", "--app", "none"},
       "",
       "Veltrane ERROR -10811: none is not a valid application.\n",
       1},
      {"MissingPath",
       {"--web", "--app", "/nonexistent/x.desktop"},
       "",
       "Veltrane ERROR -10811: /nonexistent/x.desktop is not a valid application.\n",
       1},
      {"LinkEntry",
       {"--web", "--app", home + "/site.desktop"},
       "",
       "Veltrane ERROR -10811: " + home + "/site.desktop is not a valid application.\n",
       1},
      {"EntryWithoutType",
       {"--URL", "web+x", "--app", home + "/untyped.desktop"},
       "",
       "Veltrane ERROR -67857: " + home + "/untyped.desktop is not a valid Package.\n",
       1},
      {"PlainFile",
       {"--web", "--app", home + "/notes.txt"},
       "",
       "Veltrane ERROR -10811: " + home + "/notes.txt is not a valid application.\n",
       1},
      {"FileURLToNothing",
       {"--UTI", "text/plain", "--app", "file:///nonexistent/x.desktop"},
       "",
       "Veltrane ERROR -10814: No application found for file:///nonexistent/x.desktop\n",
       1},
      {"FileURLToLink",
       {"--web", "--app", "file://" + home + "/site.desktop"},
       "",
       "Veltrane ERROR -10811: file://" + home + "/site.desktop is not a valid application.\n",
       1},
      {"URLWithEmptyPath",
       {"--web", "--app", "mailto:"},
       "",
       "Veltrane ERROR 262: mailto: is not a valid filesystem URL.\n",
       1},
      {"WebURLWithEmptyPath",
       {"--web", "--app", "https://example.org"},
       "",
       "Veltrane ERROR 262: https://example.org is not a valid filesystem URL.\n",
       1},
      {"FileURLWithEmptyPath",
       {"--web", "--app", "file:"},
       "",
       "Veltrane ERROR -10810: An unknown error has occurred.\n",
       1},
      {"WebURL",
       {"--web", "--app", "https://example.org/browser"},
       "",
       "Veltrane ERROR -10811: https://example.org/browser is not a valid application.\n",
       1},
      {"EmptyApplication",
       {"--web", "--app", ""},
       "",
       "Veltrane ERROR -10811:  is not a valid application.\n",
       1},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments{"setHandler"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    Output result = tree.vrax(arguments);
    EXPECT_EQ(result.out, c.out) << c.name;
    EXPECT_EQ(result.err, c.err) << c.name;
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_EQ(readFile(tree.userList().string()), list) << c.name;
  }
  EXPECT_EQ(tree.gioDefault("x-scheme-handler/http"), "org.kde.falkon.desktop");
}

TEST_F(EndToEndTest, OutputThatCannotBeWrittenFailsTheRun) {
  // The tool's own commands and the framework's (help, version, a command's usage).
  const std::vector<std::vector<std::string>> commands = {
      {"getApps"}, {"getSchemes"}, {"getUTIs"}, {"getHandler", "--web"},
      {"version"}, {"help"},       {"-v"},      {"getHandler", "-h"},
  };
  for (const auto& command : commands) {
    std::vector<std::string> arguments{tree.program().string()};
    arguments.insert(arguments.end(), command.begin(), command.end());
    Output result = tree.run(arguments, fs::path("/dev/full"));
    EXPECT_EQ(result.err, "An error occurred: standard output: No space left on device\n")
        << command.front();
    EXPECT_EQ(result.status, 1) << command.front();
  }
  Output change = tree.run({tree.program().string(), "setHandler", "--web", "--app", "Falkon"},
                           fs::path("/dev/full"));
  EXPECT_EQ(change.status, 1);
  EXPECT_EQ(change.err, "An error occurred: standard output: No space left on device\n");
}

// --- the listings ----------------------------------------------------------------------------

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

// Splits "key\t\t\t\tvalue"; none when the line has another shape.
std::optional<std::pair<std::string, std::string>> splitPair(const std::string& line) {
  auto tabs = line.find("\t\t\t\t");
  if (tabs == std::string::npos || tabs == 0) return std::nullopt;
  std::string value = line.substr(tabs + 4);
  if (value.empty() || value.find('\t') != std::string::npos) return std::nullopt;
  return std::pair{line.substr(0, tabs), value};
}

TEST_F(EndToEndTest, GetAppsListsInstalledEntriesOnly) {
  Output result = tree.vrax({"getApps"});
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
  ASSERT_TRUE(result.out.ends_with(".desktop\n"));
  auto paths = lines(result.out);
  EXPECT_NE(std::find(paths.begin(), paths.end(), tree.entry("org.kde.falkon")), paths.end());
  EXPECT_NE(std::find(paths.begin(), paths.end(), tree.entry("org.gnome.gedit")), paths.end());
  // Its program is not on PATH, so it is not installed.
  EXPECT_EQ(std::find(paths.begin(), paths.end(), tree.entry("thunderbird")), paths.end());
  for (const auto& path : paths) EXPECT_TRUE(fs::exists(path)) << path;
}

TEST_F(EndToEndTest, RunsWhereProcIsNotMounted) {
  // An empty file system over /proc in a mount namespace of its own: the command line
  // comes from main's argument vector, not from /proc/self/cmdline.
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers' own runtime needs /proc";
#endif
  const std::string wrapper = "mount -t tmpfs none /proc && exec \"$0\" \"$@\"";
  if (tree.run({"unshare", "-rm", "sh", "-c", wrapper, "true"}).status != 0) {
    GTEST_SKIP() << "no user and mount namespaces here";
  }
  ASSERT_NE(tree.run({"unshare", "-rm", "sh", "-c", wrapper, "test", "-e", "/proc/self"}).status,
            0);
  const auto withoutProc = [&](std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(),
                     {"unshare", "-rm", "sh", "-c", wrapper, tree.program().string()});
    return tree.run(arguments);
  };
  Output version = withoutProc({"-v"});
  EXPECT_EQ(version.out, "Version: 1.0\n");
  EXPECT_EQ(version.status, 0);
  Output handler = withoutProc({"getHandler", "--internet"});
  EXPECT_EQ(handler.out, tree.entry("org.gnome.Epiphany") + "\n");
  EXPECT_EQ(handler.status, 0);
  Output named = withoutProc({"setHandler", "--mail", "--app", "Claws Mail"});
  EXPECT_EQ(named.out, kSuccess + "claws-mail\n");
  EXPECT_EQ(named.err, "");
  // The installed tool still finds the placeholder bundle of its installation.
  if (fs::exists(VRAX_PLACEHOLDER_BUNDLE)) {
    Output none = withoutProc({"setHandler", "--news", "--app", "None"});
    EXPECT_EQ(none.out, kSuccess + kPlaceholderBundleID + "\n");
    EXPECT_EQ(none.err, "");
  }
}

TEST_F(EndToEndTest, GetSchemesListsSortedSchemesWithGiosDefaults) {
  ASSERT_EQ(tree.vrax({"setHandler", "--URL", "web+vrax", "--app", "org.kde.falkon"}).status, 0);
  Output result = tree.vrax({"getSchemes"});
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
  ASSERT_TRUE(result.out.ends_with("\n\n")) << "a final empty line";
  auto rows = lines(result.out.substr(0, result.out.size() - 1));
  ASSERT_GE(rows.size(), 5u);
  std::vector<std::string> schemes;
  for (const auto& row : rows) {
    auto pair = splitPair(row);
    ASSERT_TRUE(pair) << row;
    schemes.push_back(pair->first);
    std::string gio = tree.gioDefault("x-scheme-handler/" + pair->first);
    EXPECT_EQ(fs::path(pair->second).filename().string(), gio) << row;
  }
  EXPECT_TRUE(std::is_sorted(schemes.begin(), schemes.end()));
  EXPECT_EQ(std::adjacent_find(schemes.begin(), schemes.end()), schemes.end());
  for (const char* scheme : {"http", "mailto", "webcal", "web+vrax"}) {
    EXPECT_NE(std::find(schemes.begin(), schemes.end(), scheme), schemes.end()) << scheme;
  }
}

TEST_F(EndToEndTest, SchemesInCapitalsAreListedAndFoundInOneCase) {
  writeFile(tree.root() / "bin/zed", "#!/bin/sh\n");
  fs::permissions(tree.root() / "bin/zed", fs::perms::owner_all);
  const fs::path entry = tree.root() / "data/applications/zed-app.desktop";
  writeFile(entry,
            "[Desktop Entry]\nType=Application\nName=Zed\nExec=zed %U\n"
            "MimeType=x-scheme-handler/Zed;X-Scheme-Handler/ZED-Editor;\n");
  const std::string row = entry.string() + "\n";
  // The schemes getSchemes lists, with their handlers.
  const auto listed = [&] {
    std::map<std::string, std::string> schemes;
    for (const auto& line : lines(tree.vrax({"getSchemes"}).out)) {
      if (auto pair = splitPair(line)) schemes[pair->first] = pair->second;
    }
    return schemes;
  };
  const auto schemes = listed();
  EXPECT_EQ(schemes.count("zed"), 1u);
  EXPECT_EQ(schemes.count("zed-editor"), 1u);
  for (const auto& [scheme, handler] : schemes) {
    EXPECT_EQ(scheme.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos) << scheme;
    // Whatever the listing prints, a lookup by that name finds.
    EXPECT_EQ(tree.vrax({"getHandler", "--URL", scheme}).out, handler + "\n") << scheme;
  }
  for (const char* scheme : {"zed", "Zed", "ZED", "zed-editor", "Zed-Editor"}) {
    Output found = tree.vrax({"getHandler", "--URL", scheme});
    EXPECT_EQ(found.out, row) << scheme;
    EXPECT_EQ(found.status, 0) << scheme;
    EXPECT_EQ(tree.vrax({"getHandler", "--URL", scheme, "--all"}).out, row) << scheme;
  }
  // A change under another spelling wins over the entry's, and reads back in every one.
  ASSERT_EQ(tree.vrax({"setHandler", "--URL", "ZED", "--app", "org.kde.falkon"}).out,
            kSuccess + "org.kde.falkon\n");
  for (const char* scheme : {"zed", "Zed"}) {
    EXPECT_EQ(tree.vrax({"getHandler", "--URL", scheme}).out, tree.entry("org.kde.falkon") + "\n")
        << scheme;
  }
  EXPECT_EQ(listed()["zed"], tree.entry("org.kde.falkon"));
  // The lowercase spelling, which opening a URL uses, decides within one list.
  writeFile(tree.userList(),
            "[Default Applications]\nx-scheme-handler/Zed=org.gnome.Epiphany.desktop\n"
            "x-scheme-handler/zed=org.kde.falkon.desktop\n");
  EXPECT_EQ(tree.vrax({"getHandler", "--URL", "Zed"}).out, tree.entry("org.kde.falkon") + "\n");
}

TEST_F(EndToEndTest, GetUTIsListsEveryTypeWithItsHandler) {
  ASSERT_EQ(tree.vrax({"setHandler", "--UTI", "text/plain", "--app", "org.gnome.gedit"}).status, 0);
  Output result = tree.vrax({"getUTIs"});
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
  ASSERT_TRUE(result.out.ends_with("\n\n"));
  auto rows = lines(result.out.substr(0, result.out.size() - 1));
  EXPECT_GT(rows.size(), 500u) << "the shared MIME-info database declares hundreds of types";
  std::map<std::string, std::string> types;
  std::vector<std::string> order;
  for (const auto& row : rows) {
    auto pair = splitPair(row);
    ASSERT_TRUE(pair) << row;
    order.push_back(pair->first);
    types[pair->first] = pair->second;
  }
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
  EXPECT_EQ(types["text/plain"], tree.entry("org.gnome.gedit"));
  for (const char* type : {"application/pdf", "image/png", "text/html"}) {
    std::string gio = tree.gioDefault(type);
    EXPECT_EQ(types[type],
              gio.empty() ? "No application set." : (tree.applications() / gio).string())
        << type;
  }
}

// Names and values from files are untrusted: a file name, a folder name, a MimeType=
// value, a list key or a cached ID with a line break, a tab, '=' or a scheme that is not
// one never adds, splits or fakes a line of any listing, and what a listing shows, a
// lookup finds.
TEST_F(EndToEndTest, HostileNamesNeverForgeALine) {
  const fs::path user = tree.root() / "data/applications";
  const std::string body = "[Desktop Entry]\nType=Application\nName=X\nExec=sh\n";
  writeFile(user / "evil\nFORGED\tline.desktop", body + "MimeType=x-scheme-handler/evil;\n");
  fs::create_directories(user / "sub\nFORGED");
  writeFile(user / "sub\nFORGED" / "x.desktop", body + "MimeType=x-scheme-handler/evil;\n");
  writeFile(user / "forger.desktop",
            body +
                "MimeType=x-scheme-handler/http\\nFORGED\\t\\t\\t\\t/tmp/evil;"
                "x-scheme-handler/UPPER;x-scheme-handler/a=b;x-scheme-handler/1x;"
                "x-scheme-handler/a\\sb;x-scheme-handler/fine;\n");
  writeFile(tree.userList(),
            "[Default Applications]\n"
            "x-scheme-handler/fine=evil\\nFORGED.desktop;forger.desktop;\n"
            "x-scheme-handler/b c=forger.desktop;\n"
            "x-scheme-handler/tab\tFORGED=forger.desktop;\n");
  std::ofstream cache(tree.applications() / "mimeinfo.cache", std::ios::app);
  cache << "x-scheme-handler/cached=b=forger.desktop;\\nFORGED;\n"
           "x-scheme-handler/x[y]=forger.desktop;\n";
  cache.close();

  const auto clean = [](const std::string& out) {
    EXPECT_EQ(out.find("FORGED"), std::string::npos) << out;
    EXPECT_EQ(out.find("evil"), std::string::npos) << out;
    for (const char c : out) {
      const auto u = static_cast<unsigned char>(c);
      EXPECT_TRUE(u >= 0x20 || c == '\n' || c == '\t') << static_cast<int>(u);
    }
  };
  Output apps = tree.vrax({"getApps"});
  EXPECT_EQ(apps.status, 0);
  clean(apps.out);
  auto paths = lines(apps.out);
  EXPECT_NE(std::find(paths.begin(), paths.end(), (user / "forger.desktop").string()), paths.end());
  for (const auto& path : paths) EXPECT_TRUE(fs::is_regular_file(path)) << path;

  Output schemes = tree.vrax({"getSchemes"});
  EXPECT_EQ(schemes.status, 0);
  clean(schemes.out);
  std::map<std::string, std::string> listed;
  for (const auto& row : lines(schemes.out.substr(0, schemes.out.size() - 1))) {
    const auto pair = splitPair(row);
    ASSERT_TRUE(pair) << row;
    listed.insert(*pair);
  }
  for (const char* bad : {"a=b", "1x", "a b", "b c", "cached", "x[y]", "UPPER"}) {
    EXPECT_EQ(listed.count(bad), 0u) << bad;
  }
  EXPECT_EQ(listed["fine"], (user / "forger.desktop").string());
  EXPECT_EQ(listed["upper"], (user / "forger.desktop").string());
  for (const auto& [scheme, path] : listed) {
    EXPECT_EQ(tree.vrax({"getHandler", "--URL", scheme}).out, path + "\n") << scheme;
  }
  clean(tree.vrax({"getUTIs"}).out);
  Output http = tree.vrax({"getHandler", "--URL", "http", "--all"});
  clean(http.out);
  EXPECT_EQ(http.out.find("/tmp/evil"), std::string::npos);
}

}  // namespace
}  // namespace vrax::testing
