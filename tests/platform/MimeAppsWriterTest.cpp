#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "XdgTree.h"
#include "platform/MimeAppsList.h"
#include "platform/MimeAppsWriter.h"

namespace platform {
namespace {

using testsupport::modeOf;
using testsupport::readFile;
using testsupport::writeFile;
using testsupport::XdgTree;

using namespace std::string_literals;

constexpr const char* kType = "x-scheme-handler/vraxtest";

// Lowercased parts of an XDG_CURRENT_DESKTOP value, as the platform passes them.
std::vector<std::string> desktopsOf(const std::string& value) {
  std::vector<std::string> parts;
  std::string part;
  for (const char c : value + ":") {
    if (c == ':') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return parts;
}

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// After the change, every reader agrees on the new default, whatever other lists say.
TEST(MimeAppsWriter, TakesEffectForEveryReader) {
  const std::string other = std::string("[Default Applications]\n") + kType + "=other.desktop;\n";
  const std::string removedHere = std::string("[Removed Associations]\n") + kType +
                                  "=chosen.desktop;\n[Default Applications]\n" + kType +
                                  "=other.desktop;\n";
  const struct {
    const char* name;
    const char* desktop;                                     // XDG_CURRENT_DESKTOP
    std::vector<std::pair<std::string, std::string>> files;  // path below the tree, text
  } cases[] = {
      {"no list yet", "", {}},
      {"user list names another", "", {{"config/mimeapps.list", other}}},
      {"user list removes the association", "", {{"config/mimeapps.list", removedHere}}},
      {"desktop-specific user list names another",
       "GNOME",
       {{"config/mimeapps.list", other}, {"config/gnome-mimeapps.list", other}}},
      {"every part of the desktop list",
       "ubuntu:GNOME",
       {{"config/ubuntu-mimeapps.list", other}, {"config/gnome-mimeapps.list", removedHere}}},
      {"config dir names another", "", {{"etc/mimeapps.list", other}}},
      {"config dir removes the association", "", {{"etc/mimeapps.list", removedHere}}},
      {"config dir desktop list names another", "GNOME", {{"etc/gnome-mimeapps.list", other}}},
      {"data dirs name another",
       "",
       {{"data/applications/mimeapps.list", other}, {"system/applications/mimeapps.list", other}}},
      {"carriage returns",
       "",
       {{"config/mimeapps.list",
         std::string("[Default Applications]\r\n") + kType + "=other.desktop\r\n"}}},
      {"spaced key",
       "",
       {{"config/mimeapps.list",
         std::string("[Default Applications]\n ") + kType + " = other.desktop\n"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    XdgTree tree;
    tree.application("chosen", "/bin/true", std::string(kType) + ";", "",
                     "data/applications/chosen.desktop");
    tree.application("other", "/bin/true", std::string(kType) + ";", "",
                     "data/applications/other.desktop");
    for (const auto& [path, text] : c.files) writeFile(tree.root() + "/" + path, text);
    if (!c.files.empty()) {
      ASSERT_EQ(tree.gioDefault(kType, c.desktop), "other.desktop");
    }

    ASSERT_EQ((setUserDefault(tree.configHome(), desktopsOf(c.desktop), kType, "chosen")).code(),
              kStatusOK);

    EXPECT_EQ(tree.gioDefault(kType, c.desktop), "chosen.desktop");
    EXPECT_EQ(tree.xdgMimeDefault(kType, c.desktop), "chosen.desktop");
    const auto list = MimeAppsList::parse(readFile(tree.configHome() + "/mimeapps.list"));
    EXPECT_EQ(list.values("Default Applications", kType).front(), "chosen.desktop");
    EXPECT_EQ(list.values("Added Associations", kType).front(), "chosen.desktop");
    EXPECT_TRUE(list.values("Removed Associations", kType).empty());
    // Files outside the user's configuration are never written.
    for (const auto& [path, text] : c.files) {
      if (!path.starts_with("config/")) {
        EXPECT_EQ(readFile(tree.root() + "/" + path), text) << path;
      }
      // A desktop-specific list may hold only defaults: it gains no group.
      if (path.ends_with("-mimeapps.list")) {
        EXPECT_EQ(MimeAppsList::parse(readFile(tree.root() + "/" + path)).groups(),
                  MimeAppsList::parse(text).groups())
            << path;
      }
    }
  }
}

// A hostile but well-formed list: only the lines of the changed type differ afterwards.
TEST(MimeAppsWriter, EditKeepsEverythingElseByteForByte) {
  XdgTree tree;
  const std::string before =
      "# Written by hand.\n"
      "\n"
      "[X-Vendor Settings]\n"
      "zeta=1\n"
      "alpha = 2 \n"
      "[Default Applications]\n"
      "text/plain=gedit.desktop;\n"
      "   # indented comment\n"
      "x-scheme-handler/vraxtest=old.desktop;\n"
      "application/pdf=evince.desktop;okular.desktop\n"
      "\n"
      "[Added Associations]\n"
      "image/png=eog.desktop;\n"
      "[Removed Associations]\n"
      "x-scheme-handler/vraxtest=chosen.desktop;other.desktop;\n"
      "# trailing comment";
  const std::string after =
      "# Written by hand.\n"
      "\n"
      "[X-Vendor Settings]\n"
      "zeta=1\n"
      "alpha = 2 \n"
      "[Default Applications]\n"
      "text/plain=gedit.desktop;\n"
      "   # indented comment\n"
      "x-scheme-handler/vraxtest=chosen.desktop;old.desktop;\n"
      "application/pdf=evince.desktop;okular.desktop\n"
      "\n"
      "[Added Associations]\n"
      "image/png=eog.desktop;\n"
      "x-scheme-handler/vraxtest=chosen.desktop;\n"
      "[Removed Associations]\n"
      "x-scheme-handler/vraxtest=other.desktop;\n"
      "# trailing comment";
  writeFile(tree.configHome() + "/mimeapps.list", before);
  ::chmod((tree.configHome() + "/mimeapps.list").c_str(), 0640);
  ASSERT_EQ((setUserDefault(tree.configHome(), {}, kType, "chosen.desktop")).code(), kStatusOK);
  EXPECT_EQ(readFile(tree.configHome() + "/mimeapps.list"), after);
  EXPECT_EQ(modeOf(tree.configHome() + "/mimeapps.list"), 0640u);
  EXPECT_EQ(filesIn(tree.configHome()), std::vector<std::string>{"mimeapps.list"});
}

// A symlinked list stays a symlink, with the same link text; the file it leads to
// changes, keeping its permissions.
TEST(MimeAppsWriter, FollowsAndKeepsSymlinks) {
  const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links;  // link path -> link text
    std::string target;                                      // below the tree
    unsigned mode;
  } cases[] = {
      {"absolute",
       {{"config/mimeapps.list", "@/dotfiles/mimeapps.list"}},
       "dotfiles/mimeapps.list",
       0600},
      {"relative",
       {{"config/mimeapps.list", "../dotfiles/mimeapps.list"}},
       "dotfiles/mimeapps.list",
       0644},
      {"chained",
       {{"config/mimeapps.list", "../links/step1"},
        {"links/step1", "@/links/step2"},
        {"links/step2", "../dotfiles/real.list"}},
       "dotfiles/real.list",
       0664},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    XdgTree tree;
    tree.application("chosen", "/bin/true", "", "", "data/applications/chosen.desktop");
    const std::string target = tree.root() + "/" + c.target;
    writeFile(target, "# kept\n[Default Applications]\nx-scheme-handler/vraxtest=old.desktop;\n");
    ::chmod(target.c_str(), c.mode);
    for (const auto& [path, text] : c.links) {
      const std::string link = tree.root() + "/" + path;
      std::filesystem::create_directories(std::filesystem::path(link).parent_path());
      const std::string to = text.starts_with('@') ? tree.root() + text.substr(1) : text;
      ASSERT_EQ(::symlink(to.c_str(), link.c_str()), 0);
    }

    ASSERT_EQ((setUserDefault(tree.configHome(), {}, kType, "chosen")).code(), kStatusOK);

    for (const auto& [path, text] : c.links) {
      const std::string to = text.starts_with('@') ? tree.root() + text.substr(1) : text;
      EXPECT_TRUE(std::filesystem::is_symlink(tree.root() + "/" + path)) << path;
      EXPECT_EQ(std::filesystem::read_symlink(tree.root() + "/" + path).string(), to) << path;
    }
    EXPECT_EQ(
        readFile(target),
        "# kept\n[Default Applications]\nx-scheme-handler/vraxtest=chosen.desktop;old.desktop;\n"
        "\n[Added Associations]\nx-scheme-handler/vraxtest=chosen.desktop;\n");
    EXPECT_EQ(modeOf(target), c.mode);
    EXPECT_EQ(tree.gioDefault(kType), "chosen.desktop");
    // No temporary file is left next to the target.
    EXPECT_EQ(filesIn(std::filesystem::path(target).parent_path().string()),
              std::vector<std::string>{std::filesystem::path(target).filename().string()});
  }
}

// A link to a list that does not exist yet stays a link; the list is made where it points.
TEST(MimeAppsWriter, DanglingSymlinkGetsItsTargetCreated) {
  XdgTree tree;
  std::filesystem::create_directories(tree.root() + "/dotfiles");
  ASSERT_EQ(::symlink("../dotfiles/new.list", (tree.configHome() + "/mimeapps.list").c_str()), 0);
  ASSERT_EQ((setUserDefault(tree.configHome(), {}, kType, "chosen")).code(), kStatusOK);
  EXPECT_EQ(std::filesystem::read_symlink(tree.configHome() + "/mimeapps.list").string(),
            "../dotfiles/new.list");
  EXPECT_EQ(MimeAppsList::parse(readFile(tree.root() + "/dotfiles/new.list"))
                .values("Default Applications", kType),
            std::vector<std::string>{"chosen.desktop"});
}

TEST(MimeAppsWriter, NewListGetsUmaskPermissionsAndFolders) {
  XdgTree tree;
  const std::string configHome = tree.root() + "/fresh/config";
  const mode_t old = ::umask(027);
  const Status status = setUserDefault(configHome, {}, kType, "chosen");
  ::umask(old);
  ASSERT_EQ((status).code(), kStatusOK);
  EXPECT_EQ(modeOf(configHome + "/mimeapps.list"), 0640u);
  EXPECT_EQ(readFile(configHome + "/mimeapps.list"),
            "[Default Applications]\nx-scheme-handler/vraxtest=chosen.desktop;\n\n"
            "[Added Associations]\nx-scheme-handler/vraxtest=chosen.desktop;\n");
}

// Every refusal leaves every file as it was and says why.
TEST(MimeAppsWriter, RefusesWithFilesUntouched) {
  const std::string good = "# mine\n[Default Applications]\ntext/plain=a.desktop;\n";
  const struct {
    const char* name;
    std::string type;
    std::string id;
    std::string list;         // contents of config/mimeapps.list
    unsigned listMode;        // its permissions
    unsigned folderMode;      // permissions of config/
    std::string desktopList;  // contents of config/gnome-mimeapps.list ("" for none)
    Status::Code status;
  } cases[] = {
      {"newline in type", "x-scheme-handler/a\n[Default Applications]", "chosen", good, 0644, 0755,
       "", kStatusInvalidArgument},
      {"equals sign in type", "x-scheme-handler/a=b", "chosen", good, 0644, 0755, "",
       kStatusInvalidArgument},
      {"bracket in type", "x-scheme-handler/[a]", "chosen", good, 0644, 0755, "",
       kStatusInvalidArgument},
      {"semicolon in type", "x-scheme-handler/a;b", "chosen", good, 0644, 0755, "",
       kStatusInvalidArgument},
      {"space in type", "x-scheme-handler/a b", "chosen", good, 0644, 0755, "",
       kStatusInvalidArgument},
      {"control character in type", "x-scheme-handler/a\x01", "chosen", good, 0644, 0755, "",
       kStatusInvalidArgument},
      {"no subtype", "x-scheme-handler", "chosen", good, 0644, 0755, "", kStatusInvalidArgument},
      {"type read as a comment", "#-scheme-handler/a", "chosen", good, 0644, 0755, "",
       kStatusInvalidArgument},
      {"newline in id", kType, "chosen\nx=y", good, 0644, 0755, "", kStatusInvalidArgument},
      {"semicolon in id", kType, "a;b.desktop", good, 0644, 0755, "", kStatusInvalidArgument},
      {"path as id", kType, "../evil.desktop", good, 0644, 0755, "", kStatusInvalidArgument},
      {"empty id", kType, "", good, 0644, 0755, "", kStatusInvalidArgument},
      {"read-only list", kType, "chosen", good, 0444, 0755, "", kStatusPermissionDenied},
      {"read-only folder", kType, "chosen", good, 0644, 0555, "", kStatusPermissionDenied},
      {"NUL byte", kType, "chosen", "[Default Applications]\nk=a\0b\n"s, 0644, 0755, "",
       kStatusNotEditable},
      {"invalid UTF-8", kType, "chosen", "[Default Applications]\ntext/plain=caf\xe9.desktop\n",
       0644, 0755, "", kStatusNotEditable},
      {"line without =", kType, "chosen", "[Default Applications]\ntext/plain a.desktop\n", 0644,
       0755, "", kStatusNotEditable},
      {"key before any group", kType, "chosen", "text/plain=a.desktop\n[Default Applications]\n",
       0644, 0755, "", kStatusNotEditable},
      {"broken header", kType, "chosen", "[Default Applications\ntext/plain=a.desktop\n", 0644,
       0755, "", kStatusNotEditable},
      {"overriding desktop list is broken", kType, "chosen", good, 0644, 0755,
       "[Default Applications]\nx-scheme-handler/vraxtest=other.desktop;\nnonsense\n",
       kStatusNotEditable},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    XdgTree tree;
    const std::string list = tree.configHome() + "/mimeapps.list";
    const std::string desktopList = tree.configHome() + "/gnome-mimeapps.list";
    writeFile(list, c.list);
    if (!c.desktopList.empty()) writeFile(desktopList, c.desktopList);
    ::chmod(list.c_str(), c.listMode);
    ::chmod(tree.configHome().c_str(), c.folderMode);
    const auto namesBefore = filesIn(tree.configHome());

    const Status status = setUserDefault(tree.configHome(), {"gnome"}, c.type, c.id);
    EXPECT_EQ(status.code(), c.status);
    EXPECT_FALSE(status.reason().empty());

    EXPECT_EQ(readFile(list), c.list);
    EXPECT_EQ(modeOf(list), c.listMode);
    if (!c.desktopList.empty()) {
      EXPECT_EQ(readFile(desktopList), c.desktopList);
    }
    EXPECT_EQ(filesIn(tree.configHome()), namesBefore);
  }
}

// A refusal names the file and, for a fault of one line, that line.
TEST(MimeAppsWriter, RefusalsNameTheFileAndLine) {
  static const struct {
    std::string list;
    std::size_t line;
  } cases[] = {
      {"[Default Applications]\ntext/plain=a.desktop\nnonsense\n", 3},
      {"# c\ntext/plain=a.desktop\n[Default Applications]\n", 2},
      {"[Default Applications\n", 1},
      {"[Default Applications]\nk=caf\xe9\n", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list);
    XdgTree tree;
    const std::string list = tree.configHome() + "/mimeapps.list";
    writeFile(list, c.list);
    const Status status = setUserDefault(tree.configHome(), {}, kType, "chosen");
    EXPECT_EQ(status.code(), kStatusNotEditable);
    EXPECT_EQ(status.path(), list);
    EXPECT_EQ(status.line(), c.line);
    const std::string where = c.line > 0 ? list + ":" + std::to_string(c.line) + ": " : list + ": ";
    EXPECT_TRUE(status.toString().starts_with(where)) << status.toString();
    EXPECT_EQ(readFile(list), c.list);
  }
}

// A desktop-specific list that does not override the change is left alone.
TEST(MimeAppsWriter, LeavesUnrelatedDesktopListsAlone) {
  XdgTree tree;
  const std::string unrelated =
      "[Default Applications]\ntext/plain=a.desktop;\n[Removed Associations]\n"
      "x-scheme-handler/vraxtest=someone-else.desktop;\nbroken line that is not ours to fix\n";
  const std::string agreeing =
      "[Default Applications]\nx-scheme-handler/vraxtest=chosen.desktop;other.desktop;\n";
  writeFile(tree.configHome() + "/kde-mimeapps.list", unrelated);
  writeFile(tree.configHome() + "/plasma-mimeapps.list", agreeing);
  ::chmod((tree.configHome() + "/plasma-mimeapps.list").c_str(), 0444);
  ASSERT_EQ((setUserDefault(tree.configHome(), {"kde", "plasma"}, kType, "chosen")).code(),
            kStatusOK);
  EXPECT_EQ(readFile(tree.configHome() + "/kde-mimeapps.list"), unrelated);
  EXPECT_EQ(readFile(tree.configHome() + "/plasma-mimeapps.list"), agreeing);
}

// Concurrent writers serialise on the lock: no change is lost, not even when a writer
// whose change fails its verification puts the list back (every third writer here).
TEST(MimeAppsWriter, ConcurrentWritersLoseNothing) {
  XdgTree tree;
  writeFile(tree.configHome() + "/mimeapps.list", "# shared\n[Default Applications]\n");
  constexpr int kWriters = 50;
  const auto refused = [](int i) { return i % 3 == 0; };
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < kWriters; ++i) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(gate[1]);
      char byte;
      (void)!::read(gate[0], &byte, 1);  // every writer starts when the gate closes
      const VerifyChange verify = [&] {
        // Lets other writers run before the list is put back.
        ::usleep(1000);
        return refused(i) ? Status::error(kStatusIOError, "refused") : Status();
      };
      const Status status =
          setUserDefault(tree.configHome(), {}, "x-scheme-handler/s" + std::to_string(i),
                         "app" + std::to_string(i), nullptr, verify);
      ::_exit(status.ok() != refused(i) ? 0 : 1);
    }
    children.push_back(pid);
  }
  ::close(gate[0]);
  ::close(gate[1]);
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  const std::string text = readFile(tree.configHome() + "/mimeapps.list");
  const auto list = MimeAppsList::parse(text);
  EXPECT_TRUE(text.starts_with("# shared\n[Default Applications]\n"));
  for (int i = 0; i < kWriters; ++i) {
    const std::string type = "x-scheme-handler/s" + std::to_string(i);
    const std::string id = "app" + std::to_string(i) + ".desktop";
    const std::vector<std::string> expected =
        refused(i) ? std::vector<std::string>{} : std::vector<std::string>{id};
    EXPECT_EQ(list.values("Default Applications", type), expected) << type;
    EXPECT_EQ(list.values("Added Associations", type), expected) << type;
  }
  EXPECT_EQ(filesIn(tree.configHome()), std::vector<std::string>{"mimeapps.list"});
}

// A writer that holds the lock delays a change only so long; then the change is refused
// with its reason, and the list is as it was.
TEST(MimeAppsWriter, HeldLockRefusesAfterTheWait) {
  XdgTree tree;
  const std::string before = "[Default Applications]\ntext/plain=a.desktop;\n";
  writeFile(tree.configHome() + "/mimeapps.list", before);
  const int holder = ::open(tree.configHome().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  const Status refused = setUserDefault(tree.configHome(), {}, "text/plain", "b", nullptr, nullptr,
                                        std::chrono::milliseconds(50));
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.path(), tree.configHome());
  EXPECT_EQ(refused.reason(), "another process holds the lock");
  EXPECT_EQ(readFile(tree.configHome() + "/mimeapps.list"), before);
  ::close(holder);
  EXPECT_TRUE(setUserDefault(tree.configHome(), {}, "text/plain", "b", nullptr, nullptr,
                             std::chrono::milliseconds(50))
                  .ok());
}

// Under the lock, a writer removes the temporary files of writers that were killed, and
// nothing else: not a live writer's, not a file of another name.
TEST(MimeAppsWriter, RemovesTemporaryFilesOfDeadWriters) {
  XdgTree tree;
  const pid_t dead = ::fork();
  ASSERT_GE(dead, 0);
  if (dead == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
  const std::string live = std::to_string(::getppid());
  const std::string config = tree.configHome();
  const std::vector<std::string> leftovers = {
      ".mimeapps.list." + std::to_string(dead) + "-0.tmp",
      ".kde-mimeapps.list." + std::to_string(dead) + "-3.tmp",
  };
  const std::vector<std::string> kept = {
      ".mimeapps.list." + live + "-0.tmp",                // its writer runs
      ".mimeapps.list." + std::to_string(dead) + ".tmp",  // not that name
      ".other.list." + std::to_string(dead) + "-0.tmp",
      "mimeapps.list." + std::to_string(dead) + "-0.tmp",
  };
  for (const auto& name : leftovers) writeFile(config + "/" + name, "partial");
  for (const auto& name : kept) writeFile(config + "/" + name, "keep");
  ASSERT_TRUE(setUserDefault(config, {"kde"}, "text/plain", "b").ok());
  std::vector<std::string> expected = kept;
  expected.push_back("mimeapps.list");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(filesIn(config), expected);
}

// A CRLF list whose last line has no line end: the line gets CR LF when an edit adds
// after it, like every other line of the file.
TEST(MimeAppsWriter, LastLineOfACrlfListKeepsItsCr) {
  XdgTree tree;
  const std::string path = tree.configHome() + "/mimeapps.list";
  for (const std::string before : {"[Default Applications]\r\ntext/html=a.desktop;",
                                   "[Added Associations]\r\ntext/html=a.desktop;"}) {
    writeFile(path, before);
    ASSERT_TRUE(setUserDefault(tree.configHome(), {}, "text/plain", "b").ok()) << before;
    const std::string after = readFile(path);
    EXPECT_TRUE(after.starts_with(before + "\r\n")) << after;
    for (std::size_t i = 0; i < after.size(); ++i) {
      if (after[i] == '\n') {
        EXPECT_TRUE(i > 0 && after[i - 1] == '\r') << after;
      }
    }
  }
}

// Readers read a list of at most kMaxListBytes and pass over a larger one whole: the
// writer edits only a list they read, and never leaves one they would pass over.
TEST(MimeAppsWriter, EditsOnlyListsThatReadersReadBeforeAndAfter) {
  const struct {
    const char* name;
    std::size_t size;     // of the list before the change
    const char* names;    // the type's default and associations in it
    Status::Code status;
  } cases[] = {
      {"at the limit, unchanged", kMaxListBytes, "chosen.desktop;", kStatusOK},
      {"past the limit", kMaxListBytes + 1, "chosen.desktop;", kStatusNotEditable},
      {"the change would pass the limit", kMaxListBytes - 8, "other.desktop;", kStatusNotEditable},
      {"room for the change", kMaxListBytes - 4096, "other.desktop;", kStatusOK},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    XdgTree tree;
    const std::string key = std::string(kType) + "=" + c.names + "\n";
    std::string before = "[Default Applications]\n" + key + "[Added Associations]\n" + key + "#";
    before.append(c.size - before.size() - 1, 'x').append("\n");
    ASSERT_EQ(before.size(), c.size);
    writeFile(tree.userList(), before);

    EXPECT_EQ(setUserDefault(tree.configHome(), {}, kType, "chosen").code(), c.status);
    const auto after = readSmallFile(tree.userList(), kMaxListBytes);
    if (c.status != kStatusOK) {
      // Refused and untouched; readers read it exactly when it is not too large.
      EXPECT_TRUE(readFile(tree.userList()) == before) << "the list was changed";
      EXPECT_EQ(after.has_value(), c.size <= kMaxListBytes);
      continue;
    }
    ASSERT_TRUE(after.has_value()) << "readers pass over the edited list";
    EXPECT_EQ(MimeAppsList::parse(*after).values("Default Applications", kType).front(),
              "chosen.desktop");
  }
}

TEST(MimeAppsWriter, ResolvesSymlinkChainsAndLoops) {
  XdgTree tree;
  const std::string dir = tree.root();
  ASSERT_EQ(::symlink("b", (dir + "/a").c_str()), 0);
  ASSERT_EQ(::symlink((dir + "/sub/c").c_str(), (dir + "/b").c_str()), 0);
  std::filesystem::create_directories(dir + "/sub");
  ASSERT_EQ(::symlink("../missing", (dir + "/sub/c").c_str()), 0);
  EXPECT_EQ(resolveSymlinks(dir + "/a"), dir + "/sub/../missing");
  EXPECT_EQ(resolveSymlinks(dir + "/plain"), dir + "/plain");
  ASSERT_EQ(::symlink("loop2", (dir + "/loop1").c_str()), 0);
  ASSERT_EQ(::symlink("loop1", (dir + "/loop2").c_str()), 0);
  EXPECT_FALSE(resolveSymlinks(dir + "/loop1"));
  // A list behind a loop is refused, not replaced.
  ASSERT_EQ(::symlink("../loop1", (tree.configHome() + "/mimeapps.list").c_str()), 0);
  EXPECT_NE((setUserDefault(tree.configHome(), {}, kType, "chosen")).code(), kStatusOK);
  EXPECT_TRUE(std::filesystem::is_symlink(tree.configHome() + "/mimeapps.list"));
}

}  // namespace
}  // namespace platform
