// The real platform on small hand-made trees: which entries are installed, how the
// association lists combine, bundles, names, types and folders.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "XdgTree.h"
#include "platform/DesktopEntry.h"
#include "platform/Freedesktop.h"
#include "platform/MimeAppsList.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testsupport::XdgTree;

const char* const kEntry = "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor %U\n";

TEST(FreedesktopTest, InstalledMeansFirstFolderHoldsAUsableEntry) {
  static const struct {
    const char* name;
    std::string text;
    bool installed;
  } cases[] = {
      {"usable", kEntry, true},
      {"NoDisplay still counts", std::string(kEntry) + "NoDisplay=true\n", true},
      {"no Exec at all", "[Desktop Entry]\nType=Application\nName=x\n", true},
      {"Hidden", std::string(kEntry) + "Hidden=true\n", false},
      {"TryExec not found", std::string(kEntry) + "TryExec=missing-program\n", false},
      {"Exec program not found", "[Desktop Entry]\nType=Application\nExec=missing %u\n", false},
      {"Exec malformed", "[Desktop Entry]\nType=Application\nExec=\"editor\n", false},
      {"absolute Exec not there", "[Desktop Entry]\nType=Application\nExec=/no/editor\n", false},
      {"a link, not an application", "[Desktop Entry]\nType=Link\nURL=https://x\n", false},
      {"no Type", "[Desktop Entry]\nName=x\nExec=editor\n", false},
      {"a line that is not key=value", std::string(kEntry) + "what is this\n", false},
      {"a translation not UTF-8", std::string(kEntry) + "Comment[de]=\xff\xfe\n", true},
      {"every line not UTF-8 but the header", "[Desktop Entry]\nType=Appl\xe9\n", false},
      {"another group first", std::string("[Other]\n") + kEntry, false},
  };
  for (const auto& c : cases) {
    XdgTree tree;
    tree.program("editor");
    tree.write("system/applications/app.desktop", c.text);
    Freedesktop platform;
    EXPECT_EQ(platform.LSCopyApplicationURLsForBundleIdentifier("app").has_value(), c.installed)
        << c.name;
    std::optional<std::vector<URL>> all;
    ASSERT_EQ((platform.LSCopyAllApplicationURLs(all)).code(), kStatusOK);
    EXPECT_EQ(all->size(), c.installed ? 1u : 0u) << c.name;
  }
}

TEST(FreedesktopTest, DesktopFileIdsAndFolderPrecedence) {
  XdgTree tree;
  tree.program("editor");
  tree.write("system/applications/vendor/sub/tool.desktop", kEntry);
  tree.write("system/applications/shadowed.desktop", kEntry);
  tree.write("data/applications/shadowed.desktop", std::string(kEntry) + "Hidden=true\n");
  tree.write("system/applications/mine.desktop", kEntry);
  tree.write("data/applications/mine.desktop", "[Desktop Entry]\nType=Application\nName=Mine\n");
  tree.write("system/applications/not-an-entry.txt", kEntry);
  Freedesktop platform;
  EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier("vendor-sub-tool"),
            tree.dataDirs() + "/applications/vendor/sub/tool.desktop");
  EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier("vendor-sub-tool.desktop"),
            tree.dataDirs() + "/applications/vendor/sub/tool.desktop");
  EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier("tool"), std::nullopt);
  // The user's Hidden entry takes the ID away; the user's own entry wins over the system's.
  EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier("shadowed"), std::nullopt);
  EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier("mine"),
            tree.dataHome() + "/applications/mine.desktop");
  EXPECT_EQ(platform.URLForApplicationWithBundleIdentifier("mine")->path(),
            tree.dataHome() + "/applications/mine.desktop");
  EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier("not-an-entry"), std::nullopt);
  EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier(tree.dataDirs() +
                                                            "/applications/mine.desktop"),
            std::nullopt);
  std::optional<std::vector<URL>> all;
  ASSERT_EQ((platform.LSCopyAllApplicationURLs(all)).code(), kStatusOK);
  std::vector<std::string> paths;
  for (const auto& url : *all) paths.push_back(url.path());
  EXPECT_EQ(paths,
            (std::vector<std::string>{tree.dataHome() + "/applications/mine.desktop",
                                      tree.dataDirs() + "/applications/vendor/sub/tool.desktop"}));
}

// One ID, two files in one folder: the file nearest the top has it, whether the
// folder was listed first or the ID was looked up alone. A file of the ID in an
// earlier folder, even a broken link, masks it.
TEST(FreedesktopTest, OneIdInTwoPlacesGoesToTheFileNearestTheTop) {
  XdgTree tree;
  tree.program("editor");
  for (const char* file : {"vendor-tool.desktop", "vendor/tool.desktop", "a/b-c.desktop",
                           "a-b/c.desktop", "masked.desktop"}) {
    tree.write(std::string("system/applications/") + file, kEntry);
  }
  fs::create_directories(tree.dataHome() + "/applications");
  fs::create_symlink("/nowhere", tree.dataHome() + "/applications/masked.desktop");
  const std::string apps = tree.dataDirs() + "/applications/";
  for (const bool listFirst : {false, true}) {
    Freedesktop platform;
    std::optional<std::vector<URL>> all;
    if (listFirst) {
      ASSERT_EQ((platform.LSCopyAllApplicationURLs(all)).code(), kStatusOK);
    }
    EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier("vendor-tool"),
              apps + "vendor-tool.desktop");
    EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier("a-b-c"), apps + "a/b-c.desktop");
    EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier("masked"), std::nullopt);
    EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier("b-c"), std::nullopt);
    if (!listFirst) {
      ASSERT_EQ((platform.LSCopyAllApplicationURLs(all)).code(), kStatusOK);
    }
    std::vector<std::string> paths;
    for (const auto& url : *all) paths.push_back(url.path());
    EXPECT_EQ(paths,
              (std::vector<std::string>{apps + "a/b-c.desktop", apps + "vendor-tool.desktop"}))
        << listFirst;
  }
}

// One scenario per rule of the association standard: the lists to write and what the
// default and the list of all handlers of a type must then be.
TEST(FreedesktopTest, EffectiveDefaultFollowsTheAssociationRules) {
  static const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;
    const char* desktops;
    const char* type;
    std::optional<std::string> preferred;
    std::vector<std::string> all;  // the default leads when it is associated
  } cases[] = {
      {"MimeType= keys (no cache)", {}, "", "text/plain", "a", {"a", "b"}},
      {"the cache where there is one",
       {{"system/applications/mimeinfo.cache", "[MIME Cache]\ntext/plain=b.desktop;\n"}},
       "",
       "text/plain",
       "b",
       {"b"}},
      {"first installed default",
       {{"config/mimeapps.list",
         "[Default "
         "Applications]\ntext/plain=missing.desktop;hidden.desktop;b.desktop;a.desktop\n"}},
       "",
       "text/plain",
       "b",
       {"b", "a"}},
      {"user list over system list",
       {{"etc/mimeapps.list", "[Default Applications]\ntext/plain=a.desktop\n"},
        {"config/mimeapps.list", "[Default Applications]\ntext/plain=b.desktop\n"}},
       "",
       "text/plain",
       "b",
       {"b", "a"}},
      {"desktop-specific list first, desktop names lowercased",
       {{"config/mimeapps.list", "[Default Applications]\ntext/plain=a.desktop\n"},
        {"config/gnome-mimeapps.list", "[Default Applications]\ntext/plain=b.desktop\n"}},
       "X-Cinnamon:GNOME",
       "text/plain",
       "b",
       {"b", "a"}},
      {"another desktop's list does not count",
       {{"config/kde-mimeapps.list", "[Default Applications]\ntext/plain=b.desktop\n"}},
       "GNOME",
       "text/plain",
       "a",
       {"a", "b"}},
      {"removed association",
       {{"config/mimeapps.list", "[Removed Associations]\ntext/plain=a.desktop;\n"}},
       "",
       "text/plain",
       "b",
       {"b"}},
      {"added association, removed one, for an alias",
       {{"config/mimeapps.list",
         "[Added Associations]\ntext/x-c=c.desktop;\n[Removed "
         "Associations]\ntext/x-csrc=a.desktop\n"}},
       "",
       "text/x-c",
       "c",
       {"c", "b"}},
      {"a type without handlers falls back to its parent", {}, "", "text/x-csrc", "a", {"a", "b"}},
      {"a scheme", {}, "", "x-scheme-handler/web", "c", {"c"}},
      {"an unknown type", {}, "", "application/x-never-heard-of", std::nullopt, {}},
      {"a bad line in a list is skipped, not the list",
       {{"config/mimeapps.list", "[Default Applications]\nnonsense\ntext/plain=b.desktop\n"}},
       "",
       "text/plain",
       "b",
       {"b", "a"}},
  };
  // Each case also with many more folders after the tree's own, each naming some other
  // type: then a query asks only the sources that name its type (an index), and must
  // answer alike.
  for (const bool manyFolders : {false, true}) {
    for (const auto& c : cases) {
      XdgTree tree;
      tree.program("prog");
      tree.application("a", "prog", "text/plain;text/x-csrc;");
      tree.application("b", "prog", "text/plain;");
      tree.application("c", "prog", "x-scheme-handler/web;");
      tree.application("hidden", "prog", "text/plain;", "Hidden=true\n");
      for (const auto& [file, text] : c.files) tree.write(file, text);
      if (*c.desktops) tree.setEnv("XDG_CURRENT_DESKTOP", c.desktops);
      if (manyFolders) {
        std::string dataDirs = tree.dataDirs();
        std::string configDirs = tree.configDirs();
        for (int i = 0; i < 20; ++i) {
          const std::string name = "more" + std::to_string(i);
          tree.write(name + "/applications/mimeapps.list",
                     "[Added Associations]\ntext/x-other" + std::to_string(i) + "=a.desktop;\n");
          tree.write(name + "-etc/mimeapps.list",
                     "[Default Applications]\ntext/x-else" + std::to_string(i) + "=b.desktop;\n");
          dataDirs += ":" + tree.root() + "/" + name;
          configDirs += ":" + tree.root() + "/" + name + "-etc";
        }
        tree.setEnv("XDG_DATA_DIRS", dataDirs);
        tree.setEnv("XDG_CONFIG_DIRS", configDirs);
      }
      Freedesktop platform;
      const std::string type = c.type;
      const bool scheme = type.starts_with("x-scheme-handler/");
      if (scheme) {
        EXPECT_EQ(platform.LSCopyDefaultHandlerForURLScheme(type.substr(17)), c.preferred)
            << c.name;
        EXPECT_EQ(platform.LSCopyAllHandlersForURLScheme(type.substr(17)), c.all) << c.name;
      } else {
        EXPECT_EQ(platform.LSCopyDefaultRoleHandlerForContentType(type, kLSRolesViewer),
                  c.preferred)
            << c.name;
        EXPECT_EQ(platform.LSCopyAllRoleHandlersForContentType(type, kLSRolesAll), c.all) << c.name;
      }
    }
  }
}

TEST(FreedesktopTest, RefusesTypesAndSchemesThatCannotBeTypes) {
  XdgTree tree;
  Freedesktop platform;
  for (const char* scheme : {"", "a b", "x\ny", "a=b", "[x]", "a;b"}) {
    EXPECT_EQ(platform.LSCopyDefaultHandlerForURLScheme(scheme), std::nullopt) << scheme;
    EXPECT_EQ(platform.LSCopyAllHandlersForURLScheme(scheme), std::nullopt) << scheme;
    EXPECT_NE((platform.LSSetDefaultHandlerForURLScheme(scheme, "a")).code(), kStatusOK) << scheme;
  }
  for (const char* type : {"", "text", "text/", "text/plain\n", "public.item"}) {
    EXPECT_EQ(platform.LSCopyDefaultRoleHandlerForContentType(type, kLSRolesAll), std::nullopt);
    EXPECT_NE((platform.LSSetDefaultRoleHandlerForContentType(type, kLSRolesAll, "a")).code(),
              kStatusOK);
  }
  EXPECT_FALSE(fs::exists(tree.configHome() + "/mimeapps.list"));
}

TEST(FreedesktopTest, AChangeIsSeenAtOnceAndSchemesIgnoreCase) {
  XdgTree tree;
  tree.program("prog");
  tree.application("a", "prog", "x-scheme-handler/web;");
  tree.application("b", "prog", "x-scheme-handler/web;");
  Freedesktop platform;
  EXPECT_EQ(platform.LSCopyDefaultHandlerForURLScheme("web"), "a");
  ASSERT_EQ((platform.LSSetDefaultHandlerForURLScheme("WEB", "b.desktop")).code(), kStatusOK);
  EXPECT_EQ(platform.LSCopyDefaultHandlerForURLScheme("web"), "b");
  EXPECT_EQ(platform.LSCopyDefaultHandlerForURLScheme("Web"), "b");
  EXPECT_EQ(Freedesktop().LSCopyDefaultHandlerForURLScheme("web"), "b");
}

// MIME types ignore letter case and aliases, in queries, in the entries' MimeType= and
// in the lists' keys alike: every spelling names the database's type, and a change is
// written under the database's own spelling of the type (or as given, for a type the
// database does not know).
TEST(FreedesktopTest, ContentTypesIgnoreLetterCase) {
  XdgTree tree;
  tree.program("prog");
  tree.application("plain", "prog", "text/plain;");
  tree.application("lower", "prog", "audio/amr;");
  tree.application("upper", "prog", "audio/AMR;");
  tree.application("custom", "prog", "application/x-Custom;");
  static const struct {
    const char* type;
    std::optional<std::string> preferred;
  } cases[] = {
      {"text/plain", "plain"},
      {"TEXT/PLAIN", "plain"},
      {"Text/X-CSrc", "plain"},
      {"TEXT/X-C", "plain"},
      {"audio/AMR", "lower"},
      {"audio/amr", "lower"},
      {"AUDIO/AMR", "lower"},
      {"application/x-custom", "custom"},
      {"APPLICATION/X-CUSTOM", "custom"},
      {"application/x-other", std::nullopt},
  };
  Freedesktop platform;
  for (const auto& c : cases) {
    EXPECT_EQ(platform.LSCopyDefaultRoleHandlerForContentType(c.type, kLSRolesAll), c.preferred)
        << c.type;
  }
  EXPECT_TRUE(platform.UTTypeConformsTo("TEXT/X-CSRC", "Text/Plain"));
  EXPECT_TRUE(platform.UTTypeConformsTo("Image/PNG", "public.item"));

  ASSERT_EQ(
      (platform.LSSetDefaultRoleHandlerForContentType("TEXT/X-C", kLSRolesAll, "lower")).code(),
      kStatusOK);
  ASSERT_EQ(
      (platform.LSSetDefaultRoleHandlerForContentType("Audio/Amr", kLSRolesAll, "lower")).code(),
      kStatusOK);
  ASSERT_EQ(
      (platform.LSSetDefaultRoleHandlerForContentType("APPLICATION/X-OTHER", kLSRolesAll, "custom"))
          .code(),
      kStatusOK);
  EXPECT_EQ(platform.LSCopyDefaultRoleHandlerForContentType("text/x-csrc", kLSRolesAll), "lower");
  EXPECT_EQ(platform.LSCopyDefaultRoleHandlerForContentType("audio/AMR", kLSRolesAll), "lower");
  const auto list = readSmallFile(tree.configHome() + "/mimeapps.list", 1 << 20);
  ASSERT_TRUE(list);
  EXPECT_EQ(MimeAppsList::parse(*list).keys("Default Applications"),
            (std::vector<std::string>{"text/x-csrc", "audio/AMR", "application/x-other"}))
      << *list;
}

TEST(FreedesktopTest, ListsSchemesWithTheirHandlers) {
  XdgTree tree;
  tree.program("prog");
  tree.application("a", "prog", "x-scheme-handler/web;x-scheme-handler/mail;text/plain;");
  tree.application("b", "prog", "x-scheme-handler/web;");
  tree.application("gone", "missing", "x-scheme-handler/gone;");
  tree.write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/web=b.desktop\n");
  Freedesktop platform;
  std::optional<std::vector<std::string>> schemes;
  std::optional<std::vector<URL>> handlers;
  ASSERT_EQ((platform.LSCopySchemesAndHandlerURLs(schemes, handlers)).code(), kStatusOK);
  EXPECT_EQ(*schemes, (std::vector<std::string>{"mail", "web"}));
  ASSERT_EQ(handlers->size(), 2u);
  EXPECT_EQ((*handlers)[0].path(), tree.dataDirs() + "/applications/a.desktop");
  EXPECT_EQ((*handlers)[1].path(), tree.dataDirs() + "/applications/b.desktop");
}

TEST(FreedesktopTest, FindsApplicationsByNameOrProgram) {
  XdgTree tree;
  tree.program("gedit");
  tree.write("system/applications/org.gnome.gedit.desktop",
             "[Desktop Entry]\nType=Application\nName=Text Editor\nName[de]=Texteditor\n"
             "Exec=gedit %U\n");
  for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
    tree.setEnv(variable, std::nullopt);
  }
  tree.setEnv("LANG", "C.UTF-8");
  Freedesktop platform;
  const std::string path = tree.dataDirs() + "/applications/org.gnome.gedit.desktop";
  EXPECT_EQ(platform.fullPathForApplication("Text Editor"), path);
  EXPECT_EQ(platform.fullPathForApplication("text editor"), path);
  EXPECT_EQ(platform.fullPathForApplication("GEDIT"), path);
  EXPECT_EQ(platform.fullPathForApplication("Texteditor"), std::nullopt);  // not German here
  EXPECT_EQ(platform.fullPathForApplication("Text"), std::nullopt);
  EXPECT_EQ(platform.fullPathForApplication(""), std::nullopt);
}

TEST(FreedesktopTest, TypesFromTheSharedDatabase) {
  XdgTree tree;
  Freedesktop platform;
  const auto types = platform.UTCopyDeclaredTypeIdentifiers();
  ASSERT_TRUE(types);
  EXPECT_NE(std::find(types->begin(), types->end(), "text/plain"), types->end());
  EXPECT_NE(std::find(types->begin(), types->end(), "text/x-csrc"), types->end());
  EXPECT_EQ(std::find(types->begin(), types->end(), "text/x-c"), types->end()) << "an alias";
  static const struct {
    const char* type;
    const char* parent;
    bool conforms;
  } cases[] = {
      {"text/x-csrc", "text/plain", true},  {"text/x-c", "text/plain", true},
      {"text/x-csrc", "text/x-c", true},    {"application/x-shellscript", "text/plain", true},
      {"text/plain", "text/x-csrc", false}, {"image/png", "text/plain", false},
      {"image/png", "public.item", true},   {"image/png", "public.content", true},
      {"text/x-c", "public.item", true},    {"application/x-nothing", "public.item", false},
      {"public.item", "public.item", true}, {"image/png", "application/octet-stream", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform.UTTypeConformsTo(c.type, c.parent), c.conforms) << c.type << " " << c.parent;
  }
}

TEST(FreedesktopTest, OpensBundlesAtPaths) {
  XdgTree tree;
  tree.program("editor");
  tree.write("system/applications/kde/editor.desktop",
             std::string(kEntry) + "Comment=a\\sb\nName[fr]=Editeur\n");
  tree.write("link.desktop", "[Desktop Entry]\nType=Link\nURL=https://x\n");
  tree.write("untyped.desktop", "[Desktop Entry]\nName=x\n");
  tree.write("notes.txt", "just text\n");
  tree.write("My App.app/org.example.My.desktop", kEntry);
  tree.write("My App.app/editor", "");
  tree.write("Empty.app/readme", "");
  Freedesktop platform;

  const auto entry = platform.bundleWithPath(tree.dataDirs() + "/applications/kde/editor.desktop");
  ASSERT_TRUE(entry && entry->infoDictionary);
  EXPECT_EQ(entry->bundleIdentifier, "kde-editor");
  const InfoDictionary& info = *entry->infoDictionary;
  EXPECT_EQ(info.at("CFBundleIdentifier"), "kde-editor");
  EXPECT_EQ(info.at("CFBundlePackageType"), "APPL");
  EXPECT_EQ(info.at("Name"), "Editor");
  EXPECT_EQ(info.at("Comment"), "a b");
  EXPECT_EQ(info.count("Name[fr]"), 0u);
  EXPECT_FALSE(entry->resourceURL);

  EXPECT_EQ(platform.bundleWithPath(tree.root() + "/link.desktop")
                ->infoDictionary->at("CFBundlePackageType"),
            "Link");
  EXPECT_EQ(platform.bundleWithPath(tree.root() + "/untyped.desktop")
                ->infoDictionary->count("CFBundlePackageType"),
            0u);
  EXPECT_FALSE(platform.bundleWithPath(tree.root() + "/notes.txt"));
  EXPECT_FALSE(platform.bundleWithPath(tree.root() + "/missing"));
  EXPECT_FALSE(platform.bundleWithPath(""));

  const auto app = platform.bundleWithURL(URL::fileURLWithPath(tree.root() + "/My App.app"));
  ASSERT_TRUE(app && app->infoDictionary);
  EXPECT_EQ(app->bundleIdentifier, "org.example.My");
  EXPECT_EQ(app->bundlePath, tree.root() + "/My App.app");
  ASSERT_TRUE(app->resourceURL);
  EXPECT_EQ(app->resourceURL->path(), tree.root() + "/My App.app");

  const auto empty = platform.bundleWithPath(tree.root() + "/Empty.app");
  ASSERT_TRUE(empty);
  EXPECT_FALSE(empty->infoDictionary);
  EXPECT_FALSE(empty->bundleIdentifier);
  EXPECT_FALSE(platform.bundleWithURL(*URL::parse("https://example.org/My%20App.app")));
}

TEST(FreedesktopTest, FoldersOfTheInstallation) {
  XdgTree tree;
  Freedesktop platform(XdgDirs::fromEnvironment(), "/opt/vrax/bin/vrax");
  const auto folders = platform.URLsForDirectory(kApplicationDirectory, kAllDomainsMask);
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0].path(), tree.home() + "/Applications");
  EXPECT_EQ(folders[1].path(), "/opt/vrax/lib/vrax");
  EXPECT_TRUE(platform.URLsForDirectory(kPreferencePanesDirectory, kAllDomainsMask).empty());
  EXPECT_EQ(platform.mainBundle().bundlePath, "/opt/vrax/bin");
  EXPECT_FALSE(platform.mainBundle().bundleIdentifier);
  EXPECT_FALSE(platform.bundleWithIdentifier("org.vrax.Veltrane"));
}

TEST(FreedesktopTest, FilesExistAndExecute) {
  XdgTree tree;
  tree.program("tool");
  tree.write("plain", "x");
  Freedesktop platform;
  EXPECT_TRUE(platform.fileExistsAtPath(tree.bin() + "/tool"));
  EXPECT_TRUE(platform.isExecutableFileAtPath(tree.bin() + "/tool"));
  EXPECT_TRUE(platform.isExecutableFileAtPath(tree.bin()));  // a folder can be entered
  EXPECT_TRUE(platform.fileExistsAtPath(tree.root() + "/plain"));
  EXPECT_FALSE(platform.isExecutableFileAtPath(tree.root() + "/plain"));
  EXPECT_FALSE(platform.fileExistsAtPath(tree.root() + "/missing"));
  EXPECT_FALSE(platform.fileExistsAtPath(""));
}

TEST(FreedesktopTest, LaunchingABundleRegistersAndStartsIt) {
  XdgTree tree;
  const std::string bundle = tree.root() + "/Some Place/Quiet.app";
  const std::string marker = tree.root() + "/started";
  tree.write("Some Place/Quiet.app/org.example.Quiet.desktop",
             "[Desktop Entry]\nType=Application\nName=Quiet\nNoDisplay=true\nExec=Quiet %u\n");
  tree.write("Some Place/Quiet.app/Quiet", "#!/bin/sh\n: > '" + marker + "'\n");
  ::chmod((bundle + "/Quiet").c_str(), 0755);
  Freedesktop platform;
  EXPECT_FALSE(platform.LSCopyApplicationURLsForBundleIdentifier("org.example.Quiet"));
  Status error;
  const auto running = platform.launchApplicationAtURL(URL::fileURLWithPath(bundle),
                                                       kLaunchWithoutAddingToRecents, &error);
  ASSERT_TRUE(running) << error.toString();
  EXPECT_NE(running->processIdentifier, -1);
  const auto urls = platform.LSCopyApplicationURLsForBundleIdentifier("org.example.Quiet");
  ASSERT_TRUE(urls);
  EXPECT_EQ(urls->front().path(), tree.dataHome() + "/applications/org.example.Quiet.desktop");
  for (int i = 0; i < 1000 && !fs::exists(marker); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(fs::exists(marker));

  EXPECT_FALSE(
      platform.launchApplicationAtURL(*URL::parse("https://example.org/x.app"), 0, &error));
  EXPECT_FALSE(error.ok());
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

// The lists in the order of the mime-apps standard: the user's config folder, the system
// config folders, the user's applications folder, the system applications folders; each
// place's desktop-specific list before its mimeapps.list.
TEST(FreedesktopTest, ListsTakePrecedenceInTheStandardOrder) {
  static const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> lists;  // file -> default named
    const char* preferred;
  } cases[] = {
      {"config dirs before the user's applications folder",
       {{"etc/mimeapps.list", "b"}, {"data/applications/mimeapps.list", "c"}},
       "b"},
      {"user's config before config dirs",
       {{"config/mimeapps.list", "a"}, {"etc/mimeapps.list", "b"}},
       "a"},
      {"user's applications folder before the system's",
       {{"data/applications/mimeapps.list", "c"}, {"system/applications/mimeapps.list", "d"}},
       "c"},
      {"desktop list before the plain one in the same folder",
       {{"etc/mimeapps.list", "a"}, {"etc/xfce-mimeapps.list", "b"}},
       "b"},
      {"a later folder's desktop list after an earlier plain one",
       {{"etc/mimeapps.list", "a"}, {"data/applications/xfce-mimeapps.list", "b"}},
       "a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    XdgTree tree;
    tree.setEnv("XDG_CURRENT_DESKTOP", "XFCE");
    tree.program("prog");
    for (const char* id : {"a", "b", "c", "d"}) tree.application(id, "prog", "text/x-rank;");
    for (const auto& [file, id] : c.lists) {
      tree.write(file, "[Default Applications]\ntext/x-rank=" + id + ".desktop;\n");
    }
    EXPECT_EQ(Freedesktop().LSCopyDefaultRoleHandlerForContentType("text/x-rank", kLSRolesAll),
              c.preferred);
  }
}

// Looking up one application, listing them all, then looking it up again: the entry the
// first lookup read stays valid through the listing (run under the sanitizers).
TEST(FreedesktopTest, EntriesStayValidAcrossAListingOfEveryApplication) {
  XdgTree tree;
  tree.program("prog");
  tree.application("one", "prog", "text/plain;");
  tree.application("two", "prog", "text/plain;");
  Freedesktop platform;
  const auto first = platform.absolutePathForAppBundleWithIdentifier("one");
  ASSERT_TRUE(first);
  std::optional<std::vector<URL>> all;
  ASSERT_TRUE(platform.LSCopyAllApplicationURLs(all).ok());
  ASSERT_TRUE(all);
  EXPECT_EQ(all->size(), 2u);
  EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier("one"), first);
  EXPECT_EQ(platform.URLForApplicationWithBundleIdentifier("two"),
            URL::fileURLWithPath(tree.dataDirs() + "/applications/two.desktop"));
  EXPECT_EQ(platform.LSCopyDefaultRoleHandlerForContentType("text/plain", kLSRolesAll), "one");
}

// A system with hundreds of data folders, read by a process that may open few files at
// once: the folders are not all kept open, and every entry is still found, looked up
// by its ID or listed, in either order.
TEST(FreedesktopTest, ManyFoldersAreReadWithFewFileDescriptors) {
  XdgTree tree;
  tree.program("editor");
  constexpr int kFolders = 150;
  std::string dirs;
  for (int i = 0; i < kFolders; ++i) {
    const std::string dir = tree.root() + "/many/d" + std::to_string(i);
    tree.write("many/d" + std::to_string(i) + "/applications/app" + std::to_string(i) +
                   ".desktop",
               kEntry);
    dirs += (i == 0 ? "" : ":") + dir;
  }
  tree.setEnv("XDG_DATA_DIRS", dirs);
  const std::string last = tree.root() + "/many/d" + std::to_string(kFolders - 1) +
                           "/applications/app" + std::to_string(kFolders - 1) + ".desktop";
  struct rlimit before {};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &before), 0);
  const struct Restore {
    struct rlimit limit;
    ~Restore() { ::setrlimit(RLIMIT_NOFILE, &limit); }
  } restore{before};
  struct rlimit lowered = before;
  lowered.rlim_cur = std::min<rlim_t>(before.rlim_cur, 64);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
  for (const bool listFirst : {false, true}) {
    Freedesktop platform;
    std::optional<std::vector<URL>> all;
    if (listFirst) {
      ASSERT_TRUE(platform.LSCopyAllApplicationURLs(all).ok());
    }
    EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier("app" + std::to_string(kFolders - 1)),
              last)
        << listFirst;
    EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier("app0"),
              tree.root() + "/many/d0/applications/app0.desktop")
        << listFirst;
    if (!listFirst) {
      ASSERT_TRUE(platform.LSCopyAllApplicationURLs(all).ok());
    }
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), static_cast<std::size_t>(kFolders)) << listFirst;
  }
}

// A change is read back through a fresh reader; one that does not take effect is
// reported with its reason and leaves the user's lists byte for byte as they were.
TEST(FreedesktopTest, AChangeThatDoesNotTakeEffectIsUndone) {
  static const struct {
    const char* name;
    const char* id;
  } cases[] = {
      {"no such entry", "absent"},
      {"hidden entry", "hidden"},
      {"entry whose program is missing", "broken"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    XdgTree tree;
    tree.setEnv("XDG_CURRENT_DESKTOP", "XFCE");
    tree.program("prog");
    tree.application("good", "prog", "text/plain;");
    tree.application("hidden", "prog", "text/plain;", "Hidden=true\n");
    tree.application("broken", "no-such-program", "text/plain;");
    const std::string list = "# mine\n[Default Applications]\ntext/plain=good.desktop;\n";
    const std::string desktopList = "[Default Applications]\ntext/plain=good.desktop;\n";
    tree.write("config/mimeapps.list", list);
    tree.write("config/xfce-mimeapps.list", desktopList);
    Freedesktop platform;
    const Status status =
        platform.LSSetDefaultRoleHandlerForContentType("text/plain", kLSRolesAll, c.id);
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.toString().find("read back a different default"), std::string::npos)
        << status.toString();
    EXPECT_EQ(readSmallFile(tree.configHome() + "/mimeapps.list", 1 << 20), list);
    EXPECT_EQ(readSmallFile(tree.configHome() + "/xfce-mimeapps.list", 1 << 20), desktopList);
    EXPECT_EQ(platform.LSCopyDefaultRoleHandlerForContentType("text/plain", kLSRolesAll), "good");
  }
  // Without a list before, none is left behind.
  XdgTree tree;
  Freedesktop platform;
  EXPECT_FALSE(platform.LSSetDefaultHandlerForURLScheme("web", "absent").ok());
  EXPECT_FALSE(fs::exists(tree.configHome() + "/mimeapps.list"));
}

// A desktop file ID may itself end in ".desktop"; one suffix is dropped for its bundle
// identifier, and the identifier, with or without that suffix, finds it again.
TEST(FreedesktopTest, IdsEndingInDotDesktopRoundTrip) {
  XdgTree tree;
  tree.program("prog");
  tree.application("org.example.desktop", "prog", "x-scheme-handler/tg;");
  tree.application("plain", "prog", "x-scheme-handler/tg;");
  const std::string path = tree.dataDirs() + "/applications/org.example.desktop.desktop";
  Freedesktop platform;
  for (const char* given : {"org.example.desktop", "org.example.desktop.desktop"}) {
    SCOPED_TRACE(given);
    EXPECT_EQ(platform.absolutePathForAppBundleWithIdentifier(given), path);
    const Status status = platform.LSSetDefaultHandlerForURLScheme("tg", given);
    ASSERT_TRUE(status.ok()) << status.toString();
    EXPECT_EQ(Freedesktop().LSCopyDefaultHandlerForURLScheme("tg"), "org.example.desktop");
    ASSERT_TRUE(platform.LSSetDefaultHandlerForURLScheme("tg", "plain").ok());
  }
  const auto bundle = platform.bundleWithPath(path);
  ASSERT_TRUE(bundle);
  EXPECT_EQ(bundle->bundleIdentifier, "org.example.desktop");
  EXPECT_EQ(platform.LSCopyAllHandlersForURLScheme("tg"),
            (std::vector<std::string>{"plain", "org.example.desktop"}));
}

// A path to an entry names the same application however it is spelled: "..", "//",
// "." and a symlinked folder are resolved, and so is a symlinked applications folder.
TEST(FreedesktopTest, EntryPathsAreResolvedBeforeTheirIdIsDerived) {
  XdgTree tree;
  tree.program("prog");
  tree.application("tool", "prog", "", "", "system/applications/tool.desktop");
  tree.application("vendor-tool", "prog", "", "", "system/applications/vendor/tool.desktop");
  fs::create_directory_symlink(tree.dataDirs() + "/applications/vendor", tree.root() + "/link");
  const std::string apps = tree.dataDirs() + "/applications";
  static const struct {
    std::string path;
    const char* id;
  } cases[] = {
      {apps + "/vendor/tool.desktop", "vendor-tool"},
      {apps + "/vendor/../vendor/tool.desktop", "vendor-tool"},
      {apps + "//vendor/tool.desktop", "vendor-tool"},
      {apps + "/vendor/./tool.desktop", "vendor-tool"},
      {apps + "/vendor/../tool.desktop", "tool"},
      {tree.root() + "/link/tool.desktop", "vendor-tool"},
  };
  Freedesktop platform;
  for (const auto& c : cases) {
    const auto bundle = platform.bundleWithPath(c.path);
    ASSERT_TRUE(bundle) << c.path;
    EXPECT_EQ(bundle->bundleIdentifier, c.id) << c.path;
  }
  // The data folder itself reached through a symlink.
  fs::create_directory_symlink(tree.dataDirs(), tree.root() + "/shared");
  tree.setEnv("XDG_DATA_DIRS", tree.root() + "/shared");
  const auto bundle = Freedesktop().bundleWithPath(apps + "/vendor/tool.desktop");
  ASSERT_TRUE(bundle);
  EXPECT_EQ(bundle->bundleIdentifier, "vendor-tool");
}

}  // namespace
}  // namespace platform
