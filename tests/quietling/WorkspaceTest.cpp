#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "XdgTree.h"
#include "quietling/Workspace.h"

namespace quietling {
namespace {

// GIO's detection against the system's shared MIME-info database, in a private tree.
class GioWorkspaceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tree = new testsupport::XdgTree(); }
  static void TearDownTestSuite() {
    delete tree;
    tree = nullptr;
  }
  std::string file(const std::string& name, std::string_view content) {
    const std::string path = tree->home() + "/" + name;
    testsupport::writeFile(path, content);
    return path;
  }

  static testsupport::XdgTree* tree;
  GioWorkspace workspace;
};
testsupport::XdgTree* GioWorkspaceTest::tree = nullptr;

TEST_F(GioWorkspaceTest, TypesFromNameAndContent) {
  struct Case {
    const char* name;
    const char* content;
    const char* type;
  } cases[] = {
      {"note.txt", "hello\n", "text/plain"},
      {"100% sure #1.txt", "hello\n", "text/plain"},
      {"page.html", "<html></html>\n", "text/html"},
      {"no-extension-pdf", "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n", "application/pdf"},
      {"main.c", "int main(void) { return 0; }\n", "text/x-csrc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(workspace.typeOfFile(file(c.name, c.content)), c.type) << c.name;
  }
  const std::string folder = tree->home() + "/folder";
  std::filesystem::create_directory(folder);
  EXPECT_EQ(workspace.typeOfFile(folder), "inode/directory");
}

TEST_F(GioWorkspaceTest, UnreadableOrMissingFileHasNoType) {
  const std::string locked = file("locked.txt", "secret\n");
  ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
  EXPECT_EQ(workspace.typeOfFile(locked), std::nullopt);
  // Write-only for its owner: closed to reading as well.
  ASSERT_EQ(::chmod(locked.c_str(), S_IWUSR), 0);
  EXPECT_EQ(workspace.typeOfFile(locked), std::nullopt);

  const std::string dangling = tree->home() + "/dangling.txt";
  std::filesystem::create_symlink(tree->home() + "/nowhere.txt", dangling);
  EXPECT_EQ(workspace.typeOfFile(dangling), std::nullopt);
  EXPECT_EQ(workspace.typeOfFile(tree->home() + "/missing.txt"), std::nullopt);
  EXPECT_EQ(workspace.typeOfFile(""), std::nullopt);
}

TEST_F(GioWorkspaceTest, ReadableThroughSymlinkIsTypedByTheTarget) {
  const std::string target = file("target.html", "<html></html>\n");
  const std::string link = tree->home() + "/link-without-extension";
  std::filesystem::create_symlink(target, link);
  EXPECT_EQ(workspace.typeOfFile(link), "text/html");
}

}  // namespace
}  // namespace quietling
