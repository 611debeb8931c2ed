#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "XdgTree.h"
#include "platform/BundleInstaller.h"
#include "platform/DesktopExec.h"
#include "platform/MimeAppsList.h"
#include "platform/MimeAppsWriter.h"

namespace platform {
namespace {

using testsupport::readFile;
using testsupport::shellQuote;
using testsupport::writeFile;
using testsupport::XdgTree;

constexpr const char* kEntry =
    "[Desktop Entry]\n"
    "# The placeholder's information.\n"
    "Type=Application\n"
    "Name=Quietling\n"
    "NoDisplay=true\n"
    "Exec=Quietling %u\n"
    "MimeType=x-scheme-handler/vraxtest;\n"
    "\n"
    "[X-Extra]\n"
    "Exec=left alone\n";

// Waits (bounded) for a file that another process writes; its text, or "".
std::string awaitFile(const std::string& path) {
  for (int i = 0; i < 1000; ++i) {
    const std::string text = readFile(path);
    if (!text.empty() && text.back() == '\n') return text;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "";
}

// A bundle whose program writes its own path and arguments, one per line, to report.
std::string makeBundle(const std::string& folder, const std::string& entry,
                       const std::string& report) {
  writeFile(folder + "/org.vrax.Quietling.desktop", entry);
  writeFile(folder + "/Quietling", "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > " +
                                       shellQuote(report) + ".tmp\nmv " + shellQuote(report) +
                                       ".tmp " + shellQuote(report) + "\n");
  ::chmod((folder + "/Quietling").c_str(), 0755);
  return folder;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool noChildrenLeft() {
  int status = 0;
  return ::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

// The installed entry names the program by its absolute path, quoted so that gio
// starts it with the right arguments from any folder name.
TEST(BundleInstaller, InstallsEntryThatStartsFromAnyPath) {
  const char* const folders[] = {
      "apps/Quietling.app",
      "My Apps/Quietling.app",
      "odd 'name' \"with\" $HOME `x` \\ (1)/Quietling.app",
      // "%" would be written "%%" as the standard says, and gio looks for the program
      // without turning "%%" into "%" first: such a bundle runs through a link to it.
      "100%/Quietling.app",
      "50%25 off/Quietling.app",
  };
  for (const std::string folder : folders) {
    SCOPED_TRACE(folder);
    XdgTree tree;
    const std::string report = tree.root() + "/report";
    const std::string bundle = makeBundle(tree.root() + "/" + folder, kEntry, report);

    Status error;
    const auto id = installBundle(bundle + "/", tree.applications(), &error);
    ASSERT_TRUE(id) << error.toString();
    EXPECT_EQ(*id, "org.vrax.Quietling");

    const std::string installed = tree.applications() + "/org.vrax.Quietling.desktop";
    const auto entry = MimeAppsList::parse(readFile(installed));
    const auto argv = parseExec(*entry.value("Desktop Entry", "Exec"));
    ASSERT_TRUE(argv);
    std::string program = bundle + "/Quietling";
    if (folder.find('%') != std::string::npos) {
      const std::string link = tree.dataHome() + "/vrax/Quietling.app";
      EXPECT_TRUE(std::filesystem::is_symlink(link));
      EXPECT_TRUE(std::filesystem::equivalent(link, bundle));
      program = link + "/Quietling";
    }
    EXPECT_EQ(*argv, (std::vector<std::string>{program, "%u"}));
    // Every other line is copied unchanged.
    auto before = linesOf(kEntry);
    auto after = linesOf(readFile(installed));
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
      if (!before[i].starts_with("Exec=Quietling")) {
        EXPECT_EQ(after[i], before[i]);
      }
    }

    // gio reads the entry as an application and starts the program with the argument.
    tree.run({"gio", "launch", installed, "vraxtest:a b"});
    EXPECT_EQ(awaitFile(report), program + "\nvraxtest:a b\n");
    ASSERT_EQ((setUserDefault(tree.configHome(), {}, "x-scheme-handler/vraxtest", *id)).code(),
              kStatusOK);
    EXPECT_EQ(tree.gioDefault("x-scheme-handler/vraxtest"), "org.vrax.Quietling.desktop");
  }
}

TEST(BundleInstaller, RewritesTryExecAndUpdatesAnExistingMimeCache) {
  XdgTree tree;
  const std::string bundle =
      makeBundle(tree.root() + "/b/Quietling.app",
                 "[Desktop Entry]\nType=Application\nName=Q\nTryExec=Quietling\nExec=Quietling\n"
                 "MimeType=x-scheme-handler/vraxtest;text/x-vrax;\n",
                 tree.root() + "/report");
  const std::string cache = tree.applications() + "/mimeinfo.cache";
  writeFile(cache, "[MIME Cache]\ntext/x-vrax=other.desktop;\n");

  ASSERT_TRUE(installBundle(bundle, tree.applications(), nullptr));
  const auto entry =
      MimeAppsList::parse(readFile(tree.applications() + "/org.vrax.Quietling.desktop"));
  EXPECT_EQ(entry.value("Desktop Entry", "TryExec"), bundle + "/Quietling");
  EXPECT_EQ(entry.value("Desktop Entry", "Exec"), bundle + "/Quietling");
  EXPECT_EQ(readFile(cache),
            "[MIME Cache]\ntext/x-vrax=other.desktop;org.vrax.Quietling.desktop;\n"
            "x-scheme-handler/vraxtest=org.vrax.Quietling.desktop;\n");
  EXPECT_EQ(tree.gioDefault("x-scheme-handler/vraxtest"), "org.vrax.Quietling.desktop");

  // Installing again changes nothing; without a cache, none is made.
  ASSERT_TRUE(installBundle(bundle, tree.applications(), nullptr));
  EXPECT_EQ(linesOf(readFile(cache)).size(), 3u);
  XdgTree bare;
  ASSERT_TRUE(installBundle(bundle, bare.applications(), nullptr));
  EXPECT_FALSE(std::filesystem::exists(bare.applications() + "/mimeinfo.cache"));
}

TEST(BundleInstaller, RefusesWhatIsNoBundle) {
  const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // below the bundle
    Status::Code code;
  } cases[] = {
      {"missing folder", {}, kLSApplicationNotFoundErr},
      {"no entry", {{"Quietling", "#!/bin/sh\n"}}, kLSNotAnApplicationErr},
      {"two entries",
       {{"a.desktop", "[Desktop Entry]\nType=Application\nExec=Quietling\n"},
        {"b.desktop", "[Desktop Entry]\nType=Application\nExec=Quietling\n"},
        {"Quietling", "#!/bin/sh\n"}},
       kLSNotAnApplicationErr},
      {"not an application",
       {{"a.desktop", "[Desktop Entry]\nType=Link\nURL=http://x\n"}},
       kLSNotAnApplicationErr},
      {"no Exec", {{"a.desktop", "[Desktop Entry]\nType=Application\n"}}, kLSNotAnApplicationErr},
      {"unterminated quote in Exec",
       {{"a.desktop", "[Desktop Entry]\nType=Application\nExec=\"Quietling\n"},
        {"Quietling", "#!/bin/sh\n"}},
       kLSNotAnApplicationErr},
      {"malformed entry",
       {{"a.desktop", "[Desktop Entry]\nType=Application\nExec=Quietling\nnonsense\n"},
        {"Quietling", "#!/bin/sh\n"}},
       kLSNotAnApplicationErr},
      {"invalid file name",
       {{"a b.desktop", "[Desktop Entry]\nType=Application\nExec=Quietling\n"},
        {"Quietling", "#!/bin/sh\n"}},
       kLSNotAnApplicationErr},
      {"program missing",
       {{"a.desktop", "[Desktop Entry]\nType=Application\nExec=Quietling %u\n"}},
       kLSApplicationNotFoundErr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    XdgTree tree;
    const std::string bundle = tree.root() + "/Quietling.app";
    for (const auto& [name, text] : c.files) {
      writeFile(bundle + "/" + name, text);
      if (name == "Quietling") ::chmod((bundle + "/" + name).c_str(), 0755);
    }
    Status error;
    EXPECT_FALSE(installBundle(bundle, tree.applications(), &error));
    EXPECT_EQ(error.code(), c.code);
    EXPECT_FALSE(error.toString().empty());
    EXPECT_TRUE(std::filesystem::is_empty(tree.applications()));
  }
  XdgTree tree;
  writeFile(tree.root() + "/file.app", "not a folder");
  Status error;
  EXPECT_FALSE(installBundle(tree.root() + "/file.app", tree.applications(), &error));
  EXPECT_EQ(error.code(), kLSNotAnApplicationErr);
}

// The program runs in a session of its own while spawnDetached has long returned, and
// this process is left with no child to reap.
TEST(BundleInstaller, SpawnsDetachedWithoutZombie) {
  XdgTree tree;
  const std::string fifo = tree.root() + "/hold";
  const std::string report = tree.root() + "/report";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A descriptor this process holds without close-on-exec must not reach the program.
  int inherited[2];
  ASSERT_EQ(::pipe(inherited), 0);
  struct stat pipeStatus {};
  ASSERT_EQ(::fstat(inherited[0], &pipeStatus), 0);
  // The program reports its pid, its session and what its descriptors lead to.
  const std::string script =
      "{ echo \"$$ $(cut -d' ' -f6 /proc/$$/stat)\"; for f in /proc/$$/fd/*; do "
      "readlink \"$f\"; done; } > " +
      shellQuote(report) + ".tmp; mv " + shellQuote(report) + ".tmp " + shellQuote(report) +
      "; read line < " + shellQuote(fifo);

  Status error;
  const auto running = spawnDetached({"sh", "-c", script}, &error);
  ::close(inherited[0]);
  ::close(inherited[1]);
  ASSERT_TRUE(running) << error.toString();
  EXPECT_TRUE(noChildrenLeft());

  const std::string text = awaitFile(report);
  ASSERT_FALSE(text.empty());
  int pid = 0;
  int session = 0;
  std::istringstream(text) >> pid >> session;
  EXPECT_EQ(pid, running->processIdentifier);
  EXPECT_NE(session, static_cast<int>(::getsid(0)));
  EXPECT_EQ(text.find("pipe:[" + std::to_string(pipeStatus.st_ino) + "]"), std::string::npos);
  EXPECT_NE(text.find("/dev/null"), std::string::npos);
  // Still running, blocked on the fifo: nobody waited for it.
  EXPECT_EQ(::kill(pid, 0), 0);
  std::ofstream(fifo) << "go\n";
  EXPECT_TRUE(noChildrenLeft());
}

TEST(BundleInstaller, SpawnReportsProgramsThatCannotStart) {
  XdgTree tree;
  writeFile(tree.root() + "/not-executable", "#!/bin/sh\n");
  ::chmod((tree.root() + "/not-executable").c_str(), 0644);
  const struct {
    std::vector<std::string> argv;
    Status::Code code;
  } cases[] = {
      {{tree.root() + "/missing"}, kLSApplicationNotFoundErr},
      {{"vrax-no-such-program-anywhere"}, kLSApplicationNotFoundErr},
      {{tree.root() + "/not-executable"}, kLSNotAnApplicationErr},
      {{}, kLSUnknownErr},
  };
  // The failing program and the process that started it report at nearly the same
  // moment, in either order; repeating the launches lets both orders happen.
  for (int round = 0; round < 40; ++round) {
    for (const auto& c : cases) {
      Status error;
      EXPECT_FALSE(spawnDetached(c.argv, &error));
      EXPECT_EQ(error.code(), c.code) << error.toString();
      EXPECT_TRUE(noChildrenLeft());
    }
  }
}

}  // namespace
}  // namespace platform
