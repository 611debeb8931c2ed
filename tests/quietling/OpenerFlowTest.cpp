// "--app None" end to end: vrax finds the placeholder bundle, registers it by launching
// it once and makes it the handler; then the desktop's own openers (gio open, xdg-open)
// start it for URLs and files. Each test runs in a private desktop; this test process
// is the reaper of everything the tools start, so every launch is counted and nothing
// may be left running.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "XdgTree.h"
#include "vrax/Identifiers.h"

namespace quietling {
namespace {

namespace fs = std::filesystem;

const std::string kVrax = VRAX_PROGRAM;
const std::string kBundle = QUIETLING_BUNDLE;
const std::string kBuildDir = BUILD_DIR;
const std::string kCMake = CMAKE_COMMAND;
const std::string kID = vrax::kPlaceholderBundleID;
const std::string kDesktopFile = kID + ".desktop";
const std::string kSuccess =
    "Veltrane SUCCESS: Default handler has succesfully changed to " + kID + "\n";
const std::string kURLLine = "Dummy application launched in response to URL: ";
const std::string kTypeLine = "Dummy application launched in response to file of type: ";
const std::string kUnknownLine =
    "Dummy application launched in response to file with unknown type, will now exit.";
const std::string kEnd = ", will now exit.";

bool hasLine(const std::string& text, const std::string& line) {
  const std::vector<std::string> all = testsupport::lines(text);
  return std::count(all.begin(), all.end(), line) == 1;
}

// The Exec value of a desktop entry file.
std::string execOf(const std::string& desktopFile) {
  for (const std::string& line : testsupport::lines(testsupport::readFile(desktopFile))) {
    if (line.rfind("Exec=", 0) == 0) return line.substr(5);
  }
  return "";
}

// Whether a program path goes into Exec as it is. A path that needs quoting (a space,
// a quote, a shell character) is written in double quotes, which GIO follows, while
// xdg-utils takes the first blank-separated word of Exec as the program and so cannot
// use such an entry: their checks apply only to plain paths.
bool isPlainExecWord(const std::string& path) {
  return path.find_first_of(" \t\n\"'\\><~|&;$*?#()`") == std::string::npos;
}

// The Exec value a registered bundle's entry gets: its program's absolute path.
std::string expectedExec(const std::string& bundle) {
  const std::string program = bundle + "/Quietling";
  if (isPlainExecWord(program)) return program + " %u";
  std::string quoted = "\"";
  for (const char c : program) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\" %u";
}

class OpenerFlowTest : public ::testing::Test {
 protected:
  void SetUp() override { test::becomeSubreaper(); }
  void TearDown() override { EXPECT_EQ(reap(), std::vector<std::string>{}) << "stray processes"; }

  test::ProcessResult run(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extraEnvironment = {}) {
    std::vector<std::string> environment = tree.environment();
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    return test::run(argv, environment, outputs.path());
  }
  // xdg-open without a desktop session takes its generic path, which reads the
  // mimeapps.list defaults only when it believes a display is there; naming the
  // generic desktop keeps it from probing for session services. It runs the handler
  // in the foreground and passes on its exit status.
  void expectXdgOpenLogs(const std::string& target, const std::string& line,
                         const std::string& bundle) {
    if (!isPlainExecWord(bundle)) return;
    const test::ProcessResult xdg =
        run({"xdg-open", target}, {"XDG_CURRENT_DESKTOP=X-Generic", "DISPLAY=:vrax-test"});
    EXPECT_EQ(xdg.exitStatus, 0) << xdg.err;
    EXPECT_TRUE(hasLine(xdg.err, line)) << xdg.err;
  }

  // The processes that ended since the last call, as "name:status"; fails the test if
  // any is still running after the timeout.
  std::vector<std::string> reap() {
    const auto exited = test::reapAllChildren(std::chrono::seconds(60));
    if (!exited) {
      ADD_FAILURE() << "processes still running";
      return {"(still running)"};
    }
    std::vector<std::string> names;
    for (const test::ExitedProcess& process : *exited) {
      names.push_back(process.name + ":" + std::to_string(process.exitStatus));
    }
    return names;
  }

  void expectDefaultForReferenceClients(const std::string& mimeType, const std::string& bundle) {
    const test::ProcessResult gio = run({"gio", "mime", mimeType});
    EXPECT_EQ(gio.exitStatus, 0) << gio.err;
    const std::vector<std::string> gioLines = testsupport::lines(gio.out);
    ASSERT_FALSE(gioLines.empty());
    EXPECT_EQ(gioLines[0].rfind("Default application for ", 0), 0u) << gio.out;
    EXPECT_TRUE(gioLines[0].ends_with(": " + kDesktopFile)) << gio.out;
    if (!isPlainExecWord(bundle)) return;
    const test::ProcessResult xdg = run({"xdg-mime", "query", "default", mimeType});
    EXPECT_EQ(xdg.exitStatus, 0) << xdg.err;
    EXPECT_EQ(xdg.out, kDesktopFile + "\n");
  }

  // setHandler with "None" on a desktop that has never seen the placeholder: the
  // success line, and exactly one launch, which logs nothing.
  void setNoneAsHandlerFirstTime(const std::string& vrax, const std::vector<std::string>& target) {
    std::vector<std::string> argv = {vrax, "setHandler"};
    argv.insert(argv.end(), target.begin(), target.end());
    argv.insert(argv.end(), {"--app", "None"});
    const test::ProcessResult first = run(argv);
    EXPECT_EQ(first.exitStatus, 0);
    EXPECT_EQ(first.out, kSuccess);
    EXPECT_EQ(reap(), std::vector<std::string>{"Quietling:0"}) << "one registration launch";
    EXPECT_EQ(testsupport::readFile(first.outPath), kSuccess);
    EXPECT_EQ(testsupport::readFile(first.errPath), "");
  }

  // gio open: it starts the handler and returns at once; the handler writes into the
  // standard error gio gave it, read once the handler has ended.
  std::string gioOpen(const std::string& target) {
    const test::ProcessResult gio = run({"gio", "open", target});
    EXPECT_EQ(gio.exitStatus, 0) << gio.err;
    EXPECT_EQ(reap(), std::vector<std::string>{"Quietling:0"});
    return testsupport::readFile(gio.errPath);
  }

  std::string file(const std::string& name, std::string_view content) {
    const std::string path = tree.home() + "/" + name;
    testsupport::writeFile(path, content);
    return path;
  }

  std::string installedEntry() const { return tree.dataHome() + "/applications/" + kDesktopFile; }

  testsupport::XdgTree tree;
  testsupport::TempDir outputs{"quietling-output"};
};

TEST_F(OpenerFlowTest, MailHandlerNoneRegistersOnceThenOpenersLaunchIt) {
  // The bundle beside the tool comes before the one in ~/Applications.
  fs::create_directories(tree.home() + "/Applications");
  fs::copy(kBundle, tree.home() + "/Applications/Quietling.app", fs::copy_options::recursive);
  setNoneAsHandlerFirstTime(kVrax, {"--mail"});
  ASSERT_TRUE(fs::exists(installedEntry()));
  EXPECT_EQ(execOf(installedEntry()), expectedExec(kBundle));
  expectDefaultForReferenceClients("x-scheme-handler/mailto", kBundle);

  // Known now: no second launch.
  const test::ProcessResult second = run({kVrax, "setHandler", "--mail", "--app", "None"});
  EXPECT_EQ(second.exitStatus, 0);
  EXPECT_EQ(second.out, kSuccess);
  EXPECT_EQ(second.err, "");
  EXPECT_EQ(reap(), std::vector<std::string>{});

  const std::string gioErr = gioOpen("mailto:someone@example.org");
  EXPECT_TRUE(hasLine(gioErr, kURLLine + "mailto:someone@example.org" + kEnd)) << gioErr;

  expectXdgOpenLogs("mailto:a%20b@example.org", kURLLine + "mailto:a%20b@example.org" + kEnd,
                    kBundle);
}

TEST_F(OpenerFlowTest, TextTypeHandlerNoneLogsTheFileType) {
  setNoneAsHandlerFirstTime(kVrax, {"--UTI", "text/plain"});
  expectDefaultForReferenceClients("text/plain", kBundle);

  const std::string note = file("note.txt", "hello\n");
  std::string err = gioOpen(note);
  EXPECT_TRUE(hasLine(err, kTypeLine + "text/plain" + kEnd)) << err;
  err = gioOpen("file://" + tree.home() + "/note.txt");
  EXPECT_TRUE(hasLine(err, kTypeLine + "text/plain" + kEnd)) << err;

  expectXdgOpenLogs(note, kTypeLine + "text/plain" + kEnd, kBundle);

  // A C source is a text/plain by subclass: the handler is found through the parent
  // type, and the line names the file's own type.
  err = gioOpen(file("main.c", "int main(void) { return 0; }\n"));
  EXPECT_TRUE(hasLine(err, kTypeLine + "text/x-csrc" + kEnd)) << err;

  const std::string locked = file("locked.txt", "secret\n");
  ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
  err = gioOpen(locked);
  EXPECT_TRUE(hasLine(err, kUnknownLine)) << err;
}

TEST_F(OpenerFlowTest, WithoutBundleNothingIsLaunchedOrChanged) {
  // A copy of the tool in a prefix of its own: no bundle beside it, none in
  // <prefix>/lib/vrax, none in ~/Applications.
  const testsupport::TempDir prefix("quietling-prefix");
  fs::create_directories(prefix.path() + "/bin");
  const std::string vrax = prefix.path() + "/bin/vrax";
  fs::copy_file(kVrax, vrax);
  const auto before = testsupport::snapshot(tree.root());

  for (const std::vector<std::string>& target :
       {std::vector<std::string>{"--mail"}, std::vector<std::string>{"--UTI", "text/plain"}}) {
    std::vector<std::string> argv = {vrax, "setHandler"};
    argv.insert(argv.end(), target.begin(), target.end());
    argv.insert(argv.end(), {"--app", "None"});
    const test::ProcessResult result = run(argv);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "Veltrane ERROR -10814: No application found for " + kID +
                              " (This error occurs when Quietling.app is not found.)\n");
    EXPECT_EQ(result.err, "vrax: Quietling.app was not found in " + prefix.path() + "/bin, " +
                              tree.home() + "/Applications, " + prefix.path() + "/lib/vrax\n");
    EXPECT_EQ(reap(), std::vector<std::string>{});
  }
  EXPECT_EQ(testsupport::snapshot(tree.root()), before);
}

TEST_F(OpenerFlowTest, BundleInHomeApplicationsServesAToolWithoutOne) {
  const testsupport::TempDir prefix("quietling-prefix");
  fs::create_directories(prefix.path() + "/bin");
  fs::copy_file(kVrax, prefix.path() + "/bin/vrax");
  const std::string bundle = tree.home() + "/Applications/Quietling.app";
  fs::create_directories(tree.home() + "/Applications");
  fs::copy(kBundle, bundle, fs::copy_options::recursive);
  setNoneAsHandlerFirstTime(prefix.path() + "/bin/vrax", {"--mail"});
  EXPECT_EQ(execOf(installedEntry()), expectedExec(bundle));
  const std::string err = gioOpen("mailto:someone@example.org");
  EXPECT_TRUE(hasLine(err, kURLLine + "mailto:someone@example.org" + kEnd)) << err;
}

// cmake --install puts vrax in <prefix>/bin and the bundle in <prefix>/lib/vrax,
// where the installed vrax looks for it. Answers the installed bundle.
std::string installInto(const std::string& prefix) {
  const testsupport::TempDir outputs("quietling-install-output");
  const test::ProcessResult install = test::run(
      {kCMake, "--install", kBuildDir, "--prefix", prefix}, {"PATH=/usr/bin:/bin"}, outputs.path());
  EXPECT_EQ(install.exitStatus, 0) << install.out << install.err;
  const std::string bundle = prefix + "/lib/vrax/Quietling.app";
  EXPECT_TRUE(fs::is_regular_file(bundle + "/Quietling"));
  EXPECT_TRUE(fs::is_regular_file(bundle + "/" + kDesktopFile));
  EXPECT_TRUE(fs::is_regular_file(prefix + "/bin/vrax"));
  return bundle;
}

TEST_F(OpenerFlowTest, InstalledIntoPrefixFindsItsBundle) {
  const testsupport::TempDir prefix("quietling-install");
  const std::string bundle = installInto(prefix.path());
  setNoneAsHandlerFirstTime(prefix.path() + "/bin/vrax", {"--mail"});
  EXPECT_EQ(execOf(installedEntry()), expectedExec(bundle));
  expectDefaultForReferenceClients("x-scheme-handler/mailto", bundle);
  const std::string err = gioOpen("mailto:someone@example.org");
  EXPECT_TRUE(hasLine(err, kURLLine + "mailto:someone@example.org" + kEnd)) << err;
  expectXdgOpenLogs("mailto:a%20b@example.org", kURLLine + "mailto:a%20b@example.org" + kEnd,
                    bundle);
}

// A path with a space is quoted in Exec; GIO follows the quoting (xdg-utils cannot).
TEST_F(OpenerFlowTest, InstalledIntoPrefixWithSpaceIsLaunchedByGio) {
  const testsupport::TempDir dir("quietling-install");
  const std::string prefix = dir.path() + "/my prefix";
  const std::string bundle = installInto(prefix);
  setNoneAsHandlerFirstTime(prefix + "/bin/vrax", {"--mail"});
  EXPECT_EQ(execOf(installedEntry()), expectedExec(bundle));
  const std::string err = gioOpen("mailto:someone@example.org");
  EXPECT_TRUE(hasLine(err, kURLLine + "mailto:someone@example.org" + kEnd)) << err;
}

}  // namespace
}  // namespace quietling
