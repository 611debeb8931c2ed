#include <gtest/gtest.h>

#include "XdgTree.h"
#include "platform/XdgDirs.h"

namespace platform {
namespace {

using testsupport::XdgTree;

TEST(XdgDirsTest, FallsBackToTheStandardDefaults) {
  XdgTree tree;
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS"}) {
    tree.setEnv(name, std::nullopt);
  }
  tree.setEnv("XDG_DATA_DIRS", "");
  tree.setEnv("HOME", "/home/someone/");
  const XdgDirs dirs = XdgDirs::fromEnvironment();
  EXPECT_EQ(dirs.home, "/home/someone");
  EXPECT_EQ(dirs.configHome, "/home/someone/.config");
  EXPECT_EQ(dirs.dataHome, "/home/someone/.local/share");
  EXPECT_EQ(dirs.configDirs, std::vector<std::string>{"/etc/xdg"});
  EXPECT_EQ(dirs.dataDirs, (std::vector<std::string>{"/usr/local/share", "/usr/share"}));
  EXPECT_TRUE(dirs.desktops.empty());
}

TEST(XdgDirsTest, IgnoresRelativeDirectoriesAndLowercasesDesktops) {
  XdgTree tree;
  tree.setEnv("XDG_CONFIG_HOME", "relative/config");
  tree.setEnv("XDG_DATA_DIRS", "relative:/opt/share/::/usr/share/");
  tree.setEnv("XDG_CURRENT_DESKTOP", "X-Cinnamon::GNOME");
  const XdgDirs dirs = XdgDirs::fromEnvironment();
  EXPECT_EQ(dirs.configHome, tree.home() + "/.config");
  EXPECT_EQ(dirs.dataDirs, (std::vector<std::string>{"/opt/share", "/usr/share"}));
  EXPECT_EQ(dirs.desktops, (std::vector<std::string>{"x-cinnamon", "gnome"}));
  EXPECT_EQ(dirs.allDataDirs().front(), tree.dataHome());
}

TEST(XdgDirsTest, FindsProgramsAsALauncherWould) {
  XdgTree tree;
  tree.program("editor");
  tree.write("bin/not-executable", "x");
  tree.write("bin/folder/.keep", "");
  const std::optional<std::string> path = tree.bin();
  EXPECT_EQ(findProgram("editor", path), tree.bin() + "/editor");
  EXPECT_EQ(findProgram(tree.bin() + "/editor", std::nullopt), tree.bin() + "/editor");
  EXPECT_EQ(findProgram("not-executable", path), std::nullopt);
  EXPECT_EQ(findProgram("folder", path), std::nullopt);
  EXPECT_EQ(findProgram("missing", path), std::nullopt);
  EXPECT_EQ(findProgram("", path), std::nullopt);
  EXPECT_EQ(findProgram("editor", "/nowhere::" + tree.bin()), tree.bin() + "/editor");
}

}  // namespace
}  // namespace platform
