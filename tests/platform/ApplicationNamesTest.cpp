// Which installed application a name means: the real desktop entries of several suites,
// where helper entries share the Name or the program of the application they belong to,
// and small hand-made trees for each tie-break.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "XdgTree.h"
#include "platform/ApplicationNames.h"
#include "platform/Freedesktop.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testsupport::XdgTree;

// A tree holding the fixture's real entries, with stub programs for them.
class FixtureNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string applications = tree.dataDirs() + "/applications";
    fs::create_directories(applications);
    fs::copy(VRAX_FIXTURES_DIR "/applications", applications, fs::copy_options::recursive);
    ASSERT_EQ(tree.run({"/bin/sh", VRAX_FIXTURES_DIR "/make-stubs.sh", applications, tree.bin()})
                  .exitStatus,
              0);
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
      tree.setEnv(variable, std::nullopt);
    }
    tree.setEnv("LANG", "C.UTF-8");
  }

  // The ID of the entry the name resolves to, "" when none.
  std::string resolve(const std::string& name) {
    Freedesktop platform;
    const auto path = platform.fullPathForApplication(name);
    if (!path) return "";
    return fs::path(*path).stem().string();
  }

  XdgTree tree;
};

TEST_F(FixtureNamesTest, TheApplicationBeforeItsHelpers) {
  static const struct {
    const char* name;
    const char* desktop;  // XDG_CURRENT_DESKTOP, none when null
    const char* id;
  } cases[] = {
      // The ID ignoring case, before entries whose program is the text.
      {"Thunar", nullptr, "thunar"},
      {"thunar", nullptr, "thunar"},
      {"THUNAR.DESKTOP", nullptr, "thunar"},
      {"ORG.KDE.FALKON", nullptr, "org.kde.falkon"},
      {"pcmanfm", nullptr, "pcmanfm"},
      // Eleven NoDisplay helpers are named "Okular" and run okular, and sort first.
      {"Okular", nullptr, "org.kde.okular"},
      {"okular", nullptr, "org.kde.okular"},
      {"Balsa", nullptr, "org.desktop.Balsa"},
      {"balsa", nullptr, "org.desktop.Balsa"},
      {"Rhythmbox", nullptr, "org.gnome.Rhythmbox3"},
      {"libreoffice", nullptr, "libreoffice-startcenter"},
      // Both hidden outside GNOME (OnlyShowIn, NoDisplay): the Exec without options wins.
      {"gnome-terminal", nullptr, "org.gnome.Terminal"},
      {"gnome-terminal", "KDE", "org.gnome.Terminal"},
      {"gnome-terminal", "GNOME", "org.gnome.Terminal"},
      // The settings entries sort first and are shown in Xfce; they pass --preferences.
      {"mousepad", "XFCE", "org.xfce.mousepad"},
      {"mousepad", "GNOME", "org.xfce.mousepad"},
      {"xfce4-terminal", "XFCE", "xfce4-terminal"},
      {"Text Editor", nullptr, "org.gnome.TextEditor"},
      {"mousepad", nullptr, "org.xfce.mousepad"},
      {"evince", nullptr, "org.gnome.Evince"},
      {"Bulk Rename", nullptr, "thunar-bulk-rename"},
      {"Thunar File Manager", nullptr, "thunar"},
      {"Texteditor", nullptr, ""},  // German, but the locale is not
      {"No Such Application", nullptr, ""},
      {"", nullptr, ""},
  };
  for (const auto& c : cases) {
    tree.setEnv("XDG_CURRENT_DESKTOP",
                c.desktop ? std::optional<std::string>(c.desktop) : std::nullopt);
    EXPECT_EQ(resolve(c.name), c.id) << c.name << " in " << (c.desktop ? c.desktop : "-");
  }
}

TEST_F(FixtureNamesTest, NamesOfTheCurrentLanguage) {
  static const struct {
    const char* language;  // LANGUAGE
    const char* lang;      // LANG
    const char* name;
    const char* id;
  } cases[] = {
      {nullptr, "de_DE.UTF-8", "Dateien", "org.gnome.Nautilus"},
      {nullptr, "de_DE.UTF-8", "thunar-dateiverwaltung", "thunar"},
      {nullptr, "de_DE.UTF-8", "SOFTWARE AUSF\xC3\x9CHREN", "nautilus-autorun-software"},
      {nullptr, "de_DE.UTF-8", "Software ausfu\xCC\x88hren", "nautilus-autorun-software"},
      {nullptr, "de_AT.UTF-8", "Dateien", "org.gnome.Nautilus"},  // falls back to [de]
      {nullptr, "de_DE.UTF-8", "Files", "org.gnome.Nautilus"},    // the untranslated Name too
      {"de", "fr_FR.UTF-8", "Dateien", "org.gnome.Nautilus"},
      {"de", "C", "Dateien", ""},  // LANGUAGE counts only beside a locale
      {nullptr, "fr_FR.UTF-8", "Dateien", ""},
      // An action's translated name is no name of the application.
      {nullptr, "de_DE.UTF-8", "Pers\xC3\xB6nlicher Ordner", ""},
  };
  for (const auto& c : cases) {
    tree.setEnv("LANGUAGE", c.language ? std::optional<std::string>(c.language) : std::nullopt);
    tree.setEnv("LC_ALL", std::nullopt);
    tree.setEnv("LC_MESSAGES", std::nullopt);
    tree.setEnv("LANG", c.lang);
    EXPECT_EQ(resolve(c.name), c.id) << c.name << " in " << c.lang;
  }
}

// Two or three entries of one name in a hand-made tree, resolved in a desktop.
TEST(ApplicationNamesTest, RanksThenVisibilityThenOptionsThenPrecedence) {
  static const struct {
    const char* what;
    std::vector<std::pair<std::string, std::string>> entries;  // ID, keys after [Desktop Entry]
    const char* desktop;
    const char* lang;
    const char* wanted;
  } cases[] = {
      {"an ID beats a Name",
       {{"a", "Name=Files\nExec=tool\n"}, {"files", "Name=Other\nExec=tool --x\nNoDisplay=1\n"}},
       nullptr,
       nullptr,
       "files"},
      {"a Name beats a program",
       {{"a", "Name=X\nExec=files\n"}, {"b", "Name=Files\nExec=tool --x\nNoDisplay=true\n"}},
       nullptr,
       nullptr,
       "b"},
      {"an untranslated Name beats a translated one",
       {{"a", "Name=Dateien\nName[de]=Files\nExec=tool\n"},
        {"b", "Name=Files\nExec=tool --x\nNoDisplay=true\n"}},
       nullptr,
       "de_DE.UTF-8",
       "b"},
      {"a translated Name beats a program",
       {{"a", "Name=X\nExec=files\n"}, {"b", "Name=Y\nName[de]=Files\nExec=tool --x\n"}},
       nullptr,
       "de_DE.UTF-8",
       "b"},
      {"visible beats no options",
       {{"a", "Name=Files\nExec=tool\nOnlyShowIn=KDE;\n"},
        {"b", "Name=Files\nExec=tool --x\nNotShowIn=KDE;\n"}},
       "GNOME",
       nullptr,
       "b"},
      {"the same in the other desktop",
       {{"a", "Name=Files\nExec=tool\nOnlyShowIn=KDE;\n"},
        {"b", "Name=Files\nExec=tool --x\nNotShowIn=KDE;\n"}},
       "KDE",
       nullptr,
       "a"},
      {"the first current desktop listed decides",
       {{"a", "Name=Files\nExec=tool\nNotShowIn=XFCE;\n"}, {"b", "Name=Files\nExec=tool --x\n"}},
       "Unity:XFCE:GNOME",
       nullptr,
       "b"},
      {"no options beats precedence",
       {{"a", "Name=Files\nExec=tool --x %U\n"}, {"b", "Name=Files\nExec=tool %U\n"}},
       nullptr,
       nullptr,
       "b"},
      {"a non-option argument is no option",
       {{"a", "Name=Files\nExec=tool trash:/// %U\n"}, {"b", "Name=Files\nExec=tool %U\n"}},
       nullptr,
       nullptr,
       "a"},
      {"otherwise precedence",
       {{"a", "Name=Files\nExec=tool %U\n"}, {"b", "Name=Files\nExec=tool %F\n"}},
       nullptr,
       nullptr,
       "a"},
  };
  for (const auto& c : cases) {
    XdgTree tree;
    tree.program("tool");
    tree.program("files");
    for (const auto& [id, keys] : c.entries) {
      tree.write("system/applications/" + id + ".desktop",
                 "[Desktop Entry]\nType=Application\n" + keys);
    }
    tree.setEnv("XDG_CURRENT_DESKTOP",
                c.desktop ? std::optional<std::string>(c.desktop) : std::nullopt);
    tree.setEnv("LANGUAGE", std::nullopt);
    tree.setEnv("LC_ALL", std::nullopt);
    tree.setEnv("LC_MESSAGES", std::nullopt);
    tree.setEnv("LANG", c.lang ? std::optional<std::string>(c.lang) : std::nullopt);
    Freedesktop platform;
    EXPECT_EQ(platform.fullPathForApplication("files"),
              tree.dataDirs() + "/applications/" + c.wanted + ".desktop")
        << c.what;
  }
}

TEST(ApplicationNamesTest, ShownInTheCurrentDesktops) {
  static const struct {
    bool noDisplay;
    std::vector<std::string> onlyShowIn;
    std::vector<std::string> notShowIn;
    std::vector<std::string> desktops;
    bool shown;
  } cases[] = {
      {false, {}, {}, {}, true},
      {true, {}, {}, {}, false},
      {true, {"GNOME"}, {}, {"gnome"}, false},
      {false, {"GNOME", "Unity"}, {}, {}, false},
      {false, {"GNOME", "Unity"}, {}, {"unity"}, true},
      {false, {"GNOME"}, {}, {"kde"}, false},
      {false, {}, {"GNOME"}, {"gnome"}, false},
      {false, {}, {"GNOME"}, {"xfce"}, true},
      {false, {"KDE"}, {"GNOME"}, {"gnome", "kde"}, false},
      {false, {"KDE"}, {"GNOME"}, {"kde", "gnome"}, true},
  };
  for (const auto& c : cases) {
    Application application;
    application.noDisplay = c.noDisplay;
    application.onlyShowIn = c.onlyShowIn;
    application.notShowIn = c.notShowIn;
    EXPECT_EQ(isShownIn(application, c.desktops), c.shown)
        << ::testing::PrintToString(c.onlyShowIn) << ::testing::PrintToString(c.notShowIn)
        << ::testing::PrintToString(c.desktops);
  }
}

TEST(ApplicationNamesTest, OptionsOfItsOwnInExec) {
  static const struct {
    const char* exec;
    bool options;
  } cases[] = {
      {"thunar %U", false},
      {"thunar", false},
      {"thunar --bulk-rename %F", true},
      {"kate -b %U", true},
      {"nvim-qt -- %F", false},
      {"tool - %f", false},
      {"thunar trash:///", false},
      {"\"my tool\" \"--x\"", true},
      {"-tool %U", false},  // the program itself is no option
      {"tool \"unterminated", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(execPassesOptions(c.exec), c.options) << c.exec;
}

TEST(ApplicationNamesTest, LocaleKeysOfTheMessageLanguage) {
  using Keys = std::vector<std::string>;
  static const struct {
    const char* language;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    Keys keys;
  } cases[] = {
      {nullptr, nullptr, nullptr, nullptr, {}},
      {nullptr, nullptr, nullptr, "C", {}},
      {nullptr, nullptr, nullptr, "C.UTF-8", {}},
      {nullptr, nullptr, nullptr, "POSIX", {}},
      {nullptr, nullptr, nullptr, "de", {"de"}},
      {nullptr, nullptr, nullptr, "de_DE.UTF-8", {"de_DE", "de"}},
      {nullptr, nullptr, nullptr, "sr_RS.UTF-8@latin", {"sr_RS@latin", "sr_RS", "sr@latin", "sr"}},
      {nullptr, nullptr, "fr_FR", "de_DE", {"fr_FR", "fr"}},
      {nullptr, "pt_BR", "fr_FR", "de_DE", {"pt_BR", "pt"}},
      {nullptr, "", "", "de_DE", {"de_DE", "de"}},
      {"fr:de_AT", nullptr, nullptr, "de_DE.UTF-8", {"fr", "de_AT", "de", "de_DE"}},
      {"fr", nullptr, nullptr, "C", {}},
      {"::", nullptr, nullptr, "de", {"de"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(localeKeys(c.language, c.lcAll, c.lcMessages, c.lang), c.keys)
        << (c.language ? c.language : "-") << " " << (c.lang ? c.lang : "-");
  }
}

}  // namespace
}  // namespace platform
