// The real platform against the reference client: for every type and scheme that a
// fixture of real desktop entries (from Debian packages) and a set of association lists
// know, the default handler equals `gio mime TYPE`'s and the list of all handlers holds
// the same applications.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "XdgTree.h"
#include "platform/DesktopEntry.h"
#include "platform/Freedesktop.h"
#include "platform/MimeAppsList.h"
#include "platform/MimeDatabase.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testsupport::XdgTree;

struct GioAnswer {
  std::optional<std::string> preferred;
  std::set<std::string> registered;
};

GioAnswer askGio(const XdgTree& tree, const std::string& type) {
  GioAnswer answer;
  std::istringstream lines(tree.run({"gio", "mime", type}).out);
  std::string line;
  bool inRegistered = false;
  while (std::getline(lines, line)) {
    if (line.starts_with("Default application for ")) {
      answer.preferred = line.substr(line.rfind(": ") + 2);
    } else if (line == "Registered applications:") {
      inRegistered = true;
    } else if (line.starts_with("\t")) {
      if (inRegistered) answer.registered.insert(line.substr(1));
    } else {
      inRegistered = false;
    }
  }
  return answer;
}

// Every type named in the association files below root, plus some that only fall back.
std::set<std::string> typesKnownTo(const std::string& root) {
  std::set<std::string> types = {
      "text/x-csrc",        "text/x-c",        "application/x-shellscript",      "text/markdown",
      "image/x-never-seen", "application/xml", "x-scheme-handler/unknown-scheme"};
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    const std::string name = item.path().filename().string();
    if (!name.ends_with("mimeinfo.cache") && !name.ends_with("mimeapps.list") &&
        name != "defaults.list") {
      continue;
    }
    const auto text = readSmallFile(item.path().string(), 1 << 24);
    if (!text) continue;
    readKeyFile(*text, false, [&](std::string_view, std::string_view key, std::string_view) {
      if (isValidMimeType(key)) types.emplace(key);
    });
  }
  return types;
}

class AgainstGio : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access("/usr/bin/gio", X_OK) != 0 ||
        ::access("/usr/bin/update-desktop-database", X_OK) != 0) {
      GTEST_SKIP() << "gio or update-desktop-database is not installed";
    }
    fs::copy(VRAX_FIXTURES_DIR "/applications", tree.systemApplications(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    ASSERT_EQ(tree.run({"/bin/sh", VRAX_FIXTURES_DIR "/make-stubs.sh", tree.systemApplications(),
                        tree.bin()})
                  .exitStatus,
              0);
  }

  void index(const std::string& folder) {
    ASSERT_EQ(tree.run({"update-desktop-database", "-q", folder}).exitStatus, 0);
  }

  // Compares every known type and scheme; answers the number compared.
  std::size_t compareAll() {
    Freedesktop platform;
    std::size_t compared = 0;
    for (const auto& type : typesKnownTo(tree.root())) {
      GioAnswer gio = askGio(tree, type);
      // GIO compares types byte for byte; here every letter case names the database's
      // type, so a spelling in other case adds what GIO finds under the lower-case one.
      if (const std::string lower = lowercase(type); lower != type) {
        const GioAnswer folded = askGio(tree, lower);
        if (!gio.preferred) gio.preferred = folded.preferred;
        gio.registered.insert(folded.registered.begin(), folded.registered.end());
      }
      const bool isScheme = type.starts_with("x-scheme-handler/");
      const std::string scheme = type.substr(type.find('/') + 1);
      const auto preferred =
          isScheme ? platform.LSCopyDefaultHandlerForURLScheme(scheme)
                   : platform.LSCopyDefaultRoleHandlerForContentType(type, kLSRolesAll);
      const auto all = isScheme ? platform.LSCopyAllHandlersForURLScheme(scheme)
                                : platform.LSCopyAllRoleHandlersForContentType(type, kLSRolesAll);
      EXPECT_EQ(gio.preferred,
                preferred ? std::optional<std::string>(*preferred + ".desktop") : std::nullopt)
          << "default of " << type;
      std::set<std::string> ours;
      for (const auto& id : all.value_or(std::vector<std::string>())) ours.insert(id + ".desktop");
      // The list of handlers always holds the default, first; GIO's may leave it out.
      std::set<std::string> expected = gio.registered;
      if (gio.preferred) expected.insert(*gio.preferred);
      EXPECT_EQ(expected, ours) << "all handlers of " << type;
      if (preferred) {
        EXPECT_EQ(all && !all->empty() ? std::optional(all->front()) : std::nullopt, *preferred)
            << "first handler of " << type;
      }
      ++compared;
    }
    return compared;
  }

  XdgTree tree;
};

TEST_F(AgainstGio, FixtureWithItsCacheAgrees) {
  index(tree.systemApplications());
  EXPECT_GT(compareAll(), 100u);
}

TEST_F(AgainstGio, ListsInEveryPlaceAndDesktopAgree) {
  tree.setEnv("XDG_CURRENT_DESKTOP", "X-Cinnamon:GNOME");
  // The user's lists: a desktop-specific default overriding the generic one, added and
  // removed associations, a default that is not installed before one that is.
  tree.write("config/gnome-mimeapps.list",
             "[Default Applications]\ntext/plain=org.xfce.mousepad.desktop\n"
             "x-scheme-handler/mailto=missing.desktop;sylpheed.desktop\n");
  tree.write(
      "config/mimeapps.list",
      "# the user's choices\n[Default Applications]\ntext/plain=org.gnome.gedit.desktop\n"
      "text/html=org.kde.falkon.desktop\nx-scheme-handler/http=org.gnome.Epiphany.desktop\n"
      "image/png=mupdf.desktop\ntext/x-c=geany.desktop\n\n"
      "[Added Associations]\ntext/x-csrc=org.kde.kate.desktop;\n"
      "application/pdf=org.gnome.eog.desktop;\n\n"
      "[Removed "
      "Associations]\napplication/pdf=org.gnome.Evince.desktop;okularApplication_pdf.desktop;\n"
      "x-scheme-handler/mailto=claws-mail.desktop;\ntext/plain=org.kde.kwrite.desktop\n");
  // A system config list and a list in a data folder, both below the user's.
  tree.write("etc/mimeapps.list",
             "[Default Applications]\ntext/plain=org.kde.kate.desktop\n"
             "application/pdf=org.kde.okular.desktop\nx-scheme-handler/ftp=filezilla.desktop\n");
  tree.write("system/applications/mimeapps.list",
             "[Default Applications]\nimage/jpeg=org.kde.gwenview.desktop\n"
             "[Added Associations]\nimage/jpeg=gimp.desktop;\n");
  tree.write("system/applications/defaults.list",
             "[Default Applications]\naudio/mpeg=audacious.desktop\n");
  // The user's own entries: one in a subfolder (ID "local-notes.desktop"), and one that
  // masks a system entry of the same ID with other types.
  tree.program("notes");
  tree.application("notes", "notes", "text/plain;x-scheme-handler/notes;", "",
                   "data/applications/local/notes.desktop");
  tree.application("geany", "geany", "text/x-python;", "", "data/applications/geany.desktop");
  index(tree.systemApplications());
  index(tree.dataHome() + "/applications");
  EXPECT_GT(compareAll(), 100u);
}

TEST_F(AgainstGio, AfterAChangeBothSeeTheNewDefault) {
  index(tree.systemApplications());
  tree.write("config/mimeapps.list",
             "[Default Applications]\nx-scheme-handler/http=org.kde.falkon.desktop\n");
  Freedesktop platform;
  ASSERT_EQ((platform.LSSetDefaultHandlerForURLScheme("http", "org.gnome.Epiphany")).code(),
            kStatusOK);
  ASSERT_EQ((platform.LSSetDefaultRoleHandlerForContentType("text/plain", kLSRolesAll,
                                                            "org.xfce.mousepad.desktop"))
                .code(),
            kStatusOK);
  EXPECT_EQ(askGio(tree, "x-scheme-handler/http").preferred, "org.gnome.Epiphany.desktop");
  EXPECT_EQ(askGio(tree, "text/plain").preferred, "org.xfce.mousepad.desktop");
  EXPECT_EQ(platform.LSCopyDefaultHandlerForURLScheme("http"), "org.gnome.Epiphany");
  EXPECT_EQ(Freedesktop().LSCopyDefaultRoleHandlerForContentType("text/plain", kLSRolesViewer),
            "org.xfce.mousepad");
}

// MIME types ignore letter case: a change given in another case, or through an alias,
// is written under the database's name, the key every reader looks up.
TEST_F(AgainstGio, AChangeInAnotherCaseOrThroughAnAliasTakesEffect) {
  index(tree.systemApplications());
  Freedesktop platform;
  ASSERT_EQ((platform.LSSetDefaultRoleHandlerForContentType("TEXT/PLAIN", kLSRolesAll,
                                                            "org.xfce.mousepad"))
                .code(),
            kStatusOK);
  ASSERT_EQ(
      (platform.LSSetDefaultRoleHandlerForContentType("Text/X-C", kLSRolesAll, "geany.desktop"))
          .code(),
      kStatusOK);
  EXPECT_EQ(askGio(tree, "text/plain").preferred, "org.xfce.mousepad.desktop");
  EXPECT_EQ(askGio(tree, "text/x-csrc").preferred, "geany.desktop");
  EXPECT_EQ(platform.LSCopyDefaultRoleHandlerForContentType("text/plain", kLSRolesAll),
            "org.xfce.mousepad");
  EXPECT_EQ(platform.LSCopyDefaultRoleHandlerForContentType("tExT/pLaIn", kLSRolesAll),
            "org.xfce.mousepad");
  if (::access("/usr/bin/xdg-mime", X_OK) == 0) {
    EXPECT_EQ(tree.xdgMimeDefault("text/plain"), "org.xfce.mousepad.desktop");
  }
  const auto list = readSmallFile(tree.configHome() + "/mimeapps.list", 1 << 20);
  ASSERT_TRUE(list);
  const MimeAppsList parsed = MimeAppsList::parse(*list);
  EXPECT_EQ(parsed.keys("Default Applications"),
            (std::vector<std::string>{"text/plain", "text/x-csrc"}))
      << *list;
}

// A list that already names the type under an alias or in another letter case: every
// such key is changed alike, so every reader, whichever key it looks up, sees the change.
TEST_F(AgainstGio, KeysOfTheSameTypeAreMadeToAgree) {
  index(tree.systemApplications());
  static const struct {
    const char* list;
    const char* type;  // as given to the change
    const char* canonical;
  } cases[] = {
      {"[Default Applications]\ntext/x-c=org.gnome.gedit.desktop;\n", "text/x-csrc", "text/x-csrc"},
      {"[Default Applications]\nText/Plain=org.gnome.gedit.desktop;\n", "text/plain", "text/plain"},
      {"[Default Applications]\ntext/plain=org.gnome.gedit.desktop;\n"
       "TEXT/PLAIN=org.gnome.gedit.desktop;\n[Added Associations]\nText/plain=gvim.desktop;\n",
       "Text/PLAIN", "text/plain"},
      {"[Default Applications]\nTEXT/X-C=org.gnome.gedit.desktop;\n", "text/x-c", "text/x-csrc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list);
    tree.write("config/mimeapps.list", c.list);
    Freedesktop platform;
    const Status status =
        platform.LSSetDefaultRoleHandlerForContentType(c.type, kLSRolesAll, "org.xfce.mousepad");
    ASSERT_TRUE(status.ok()) << status.toString();
    EXPECT_EQ(Freedesktop().LSCopyDefaultRoleHandlerForContentType(c.canonical, kLSRolesAll),
              "org.xfce.mousepad");
    EXPECT_EQ(askGio(tree, c.canonical).preferred, "org.xfce.mousepad.desktop");
    // Every key of the type in the list now leads with the new default.
    const auto list = readSmallFile(tree.configHome() + "/mimeapps.list", 1 << 20);
    ASSERT_TRUE(list);
    const MimeAppsList parsed = MimeAppsList::parse(*list);
    for (const auto& key : parsed.keys("Default Applications")) {
      const auto values = parsed.values("Default Applications", key);
      EXPECT_EQ(values.empty() ? "" : values.front(), "org.xfce.mousepad.desktop") << key;
    }
    if (::access("/usr/bin/xdg-mime", X_OK) == 0) {
      EXPECT_EQ(tree.xdgMimeDefault(c.canonical), "org.xfce.mousepad.desktop");
    }
  }
}

}  // namespace
}  // namespace platform
