// The real program, started the way a desktop opener starts it: with the URL, file URL
// or path to open as its one argument, in a private desktop.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "TestSupport.h"
#include "XdgTree.h"

namespace quietling {
namespace {

const std::string kProgram = QUIETLING_PROGRAM;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { test::becomeSubreaper(); }
  void TearDown() override {
    // Nothing of the run is left behind: no zombie, no process still running.
    const auto leftovers = test::reapAllChildren(std::chrono::seconds(30));
    ASSERT_TRUE(leftovers.has_value()) << "processes still running";
    EXPECT_TRUE(leftovers->empty());
  }
  test::ProcessResult launch(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {kProgram};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return test::run(argv, tree.environment(), tree.root());
  }
  std::string file(const std::string& name, std::string_view content) {
    const std::string path = tree.home() + "/" + name;
    testsupport::writeFile(path, content);
    return path;
  }

  testsupport::XdgTree tree;
};

TEST_F(ProgramTest, LogsOneLineForWhatItWasOpenedForAndExits) {
  const std::string note = file("note.txt", "hello\n");
  const std::string spaced = file("a b%.txt", "hello\n");
  const std::string locked = file("locked.txt", "secret\n");
  ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
  const std::string known = "Dummy application launched in response to file of type: ";
  const std::string unknown =
      "Dummy application launched in response to file with unknown type, will now exit.\n";
  struct Case {
    std::vector<std::string> arguments;
    std::string err;
  } cases[] = {
      {{}, ""},
      {{"mailto:someone@example.org"},
       "Dummy application launched in response to URL: mailto:someone@example.org, will now "
       "exit.\n"},
      {{"mailto:a%20b@example.org"},
       "Dummy application launched in response to URL: mailto:a%20b@example.org, will now "
       "exit.\n"},
      {{"x-test:%s%n%d"},
       "Dummy application launched in response to URL: x-test:%s%n%d, will now exit.\n"},
      {{note}, known + "text/plain, will now exit.\n"},
      {{"file://" + tree.home() + "/a%20b%25.txt"}, known + "text/plain, will now exit.\n"},
      {{spaced}, known + "text/plain, will now exit.\n"},
      {{locked}, unknown},
      {{tree.home() + "/missing.txt"}, unknown},
      {{"file:"}, unknown},
      {{"file:x"}, unknown},
      {{"file://"}, unknown},
      {{"file://host"}, unknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.empty() ? "(no argument)" : c.arguments[0]);
    const test::ProcessResult result = launch(c.arguments);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.err);
  }
}

TEST_F(ProgramTest, ExitsNormallyWhenNobodyReadsItsLog) {
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  ::close(pipeFds[0]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
  const std::vector<std::string> environment = tree.environment();
  std::vector<char*> env;
  for (const std::string& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
  env.push_back(nullptr);
  char url[] = "mailto:someone@example.org";
  char* argv[] = {const_cast<char*>(kProgram.c_str()), url, nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, kProgram.c_str(), &actions, nullptr, argv, env.data()), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace quietling
