// Application resolution: getBundleID's rules, packageType, ensureRegistered (search
// order, launch, no second look), preferencePaneURL and copyAllApps.
#include <gtest/gtest.h>

#include "VraxTestSupport.h"
#include "vrax/LSWrappers.h"

namespace vrax::testing {
namespace {

using platform::FakePlatform;

constexpr const char* kUntouched = "untouched";

// Each case prepares the platform, then resolves `text`.
struct ResolutionCase {
  const char* name;
  std::function<void(FakePlatform&)> prepare;
  std::string text;
  Status::Code status;
  std::string bundleID;  // expected slot content (kUntouched when the status is not 0)
};

using Entry = FakePlatform::Entry;

// An application's entry with a package type (none: the entry has no Type).
Entry entry(const std::string& id, const std::string& name = "",
            std::optional<std::string> packageType = "APPL") {
  Entry made(id, name);
  made.packageType = std::move(packageType);
  return made;
}

class GetBundleIDTest : public WrappersTest,
                        public ::testing::WithParamInterface<ResolutionCase> {};

TEST_P(GetBundleIDTest, ResolvesOrFailsWithTheRuleStatus) {
  const auto& c = GetParam();
  if (c.prepare) c.prepare(*fake);
  std::optional<std::string> slot = kUntouched;
  EXPECT_EQ(LSWrappers::getBundleID(c.text, slot).code(), c.status);
  EXPECT_EQ(slot, c.bundleID);
}

const std::string kApp = "/usr/share/applications/org.example.Editor.desktop";
const std::string kNamed = "/usr/share/applications/firefox-esr.desktop";

INSTANTIATE_TEST_SUITE_P(
    Rules, GetBundleIDTest,
    ::testing::Values(
        // 1: "None" exactly, even when an application carries that name.
        ResolutionCase{"None",
                       [](FakePlatform& f) { f.install(kNamed, entry("firefox-esr", "None")); },
                       "None", 0, kPlaceholderBundleID},
        ResolutionCase{"LowerCaseNoneIsAName", nullptr, "none", -10811, kUntouched},
        // 2: a known identifier is kept as typed, even when it also names a file and
        // another application's name.
        ResolutionCase{"KnownIdentifier",
                       [](FakePlatform& f) {
                         f.install(kApp, entry("org.example.Editor"));
                         f.addFile("org.example.Editor");
                         f.install(kNamed, entry("firefox-esr", "org.example.Editor"));
                       },
                       "org.example.Editor", 0, "org.example.Editor"},
        // The identifier reported is the one the application carries, whatever spelling
        // of its ID named it.
        ResolutionCase{"IdentifierWithItsSuffix",
                       [](FakePlatform& f) { f.install(kApp, entry("org.example.Editor")); },
                       "org.example.Editor.desktop", 0, "org.example.Editor"},
        ResolutionCase{"IdentifierEndingInDesktop",
                       [](FakePlatform& f) { f.install(kApp, entry("org.example.desktop")); },
                       "org.example.desktop", 0, "org.example.desktop"},
        // 3: an application name, before a path to another bundle.
        ResolutionCase{"NameOfApplication",
                       [](FakePlatform& f) { f.install(kNamed, entry("firefox-esr", "Firefox")); },
                       "Firefox", 0, "firefox-esr"},
        ResolutionCase{"NameBeforePath",
                       [](FakePlatform& f) {
                         f.addEntry(kApp, entry("org.example.Editor"));
                         f.install(kNamed, entry("firefox-esr", kApp));
                       },
                       kApp, 0, "firefox-esr"},
        ResolutionCase{
            "NameOfFinderPackage",
            [](FakePlatform& f) { f.install(kNamed, entry("org.example.Files", "Files", "FNDR")); },
            "Files", 0, "org.example.Files"},
        ResolutionCase{"NameOfOtherPackageType",
                       [](FakePlatform& f) { f.install(kNamed, entry("docs", "Docs", "Link")); },
                       "Docs", -10811, kUntouched},
        ResolutionCase{"NameOfApplicationWithoutIdentifier",
                       [](FakePlatform& f) { f.install(kNamed, entry("", "Anon")); }, "Anon",
                       -10811, kUntouched},
        ResolutionCase{"NameWhoseBundleDoesNotOpen",
                       [](FakePlatform& f) {
                         f.install(kNamed, entry("gone", "Gone"));
                         f.remove(kNamed);
                       },
                       "Gone", -10814, kUntouched},
        ResolutionCase{"NameWhoseBundleDoesNotOpenButTextIsAFile",
                       [](FakePlatform& f) {
                         f.install(kNamed, entry("gone", "Gone"));
                         f.remove(kNamed);
                         f.addFile("Gone");
                       },
                       "Gone", -10811, kUntouched},
        ResolutionCase{"NameOfUnreadableBundle",
                       [](FakePlatform& f) {
                         f.install(kNamed, entry("broken", "Broken"));
                         f.addFolder(kNamed);
                       },
                       "Broken", -10810, kUntouched},
        ResolutionCase{
            "NameOfBundleWithoutPackageType",
            [](FakePlatform& f) { f.install(kNamed, entry("untyped", "Untyped", std::nullopt)); },
            "Untyped", -67857, kUntouched},
        // 4: a path to a bundle.
        ResolutionCase{"PathToApplication",
                       [](FakePlatform& f) { f.addEntry(kApp, entry("org.example.Editor")); }, kApp,
                       0, "org.example.Editor"},
        ResolutionCase{
            "PathToFinderPackage",
            [](FakePlatform& f) { f.addEntry(kApp, entry("org.example.Editor", "", "FNDR")); },
            kApp, -10811, kUntouched},
        ResolutionCase{"PathWithoutPackageType",
                       [](FakePlatform& f) { f.addEntry(kApp, entry("x", "", std::nullopt)); },
                       kApp, -67857, kUntouched},
        ResolutionCase{"PathToUnreadableBundle", [](FakePlatform& f) { f.addFolder(kApp); }, kApp,
                       -10810, kUntouched},
        ResolutionCase{"PathToApplicationWithoutIdentifier",
                       [](FakePlatform& f) { f.addEntry(kApp, entry("")); }, kApp, -10811,
                       kUntouched},
        // 5: a file that is no bundle.
        ResolutionCase{"PlainFile", [](FakePlatform& f) { f.addFile("/etc/hosts"); }, "/etc/hosts",
                       -10811, kUntouched},
        // 6: a text that is no URL.
        ResolutionCase{"NotAURL", nullptr, "two words", -10811, kUntouched},
        ResolutionCase{"Empty", nullptr, "", -10811, kUntouched},
        // 7: a URL with an empty path.
        ResolutionCase{"URLWithEmptyPath", nullptr, "mailto:", 262, kUntouched},
        ResolutionCase{"FileURLWithEmptyPath", nullptr, "file:", -10810, kUntouched},
        // 8: a URL of another kind; a missing path that is no file URL.
        ResolutionCase{"WebURL", nullptr, "https://example.org/app", -10811, kUntouched},
        ResolutionCase{"MissingPath", nullptr, "/nowhere/app.desktop", -10811, kUntouched},
        // 9: a file URL to nothing.
        ResolutionCase{"FileURLToNothing", nullptr, "file:///nowhere/app.desktop", -10814,
                       kUntouched},
        // 10: a file URL to a bundle.
        ResolutionCase{"FileURLToApplication",
                       [](FakePlatform& f) { f.addEntry(kApp, entry("org.example.Editor")); },
                       "file://" + kApp, 0, "org.example.Editor"},
        ResolutionCase{
            "FileURLToFinderPackage",
            [](FakePlatform& f) { f.addEntry(kApp, entry("org.example.Editor", "", "FNDR")); },
            "file://" + kApp, -10811, kUntouched},
        ResolutionCase{"FileURLToFileThatIsNoBundle", [](FakePlatform& f) { f.addFile(kApp); },
                       "file://" + kApp, -10811, kUntouched},
        ResolutionCase{"FileURLToUnreadableBundle", [](FakePlatform& f) { f.addFolder(kApp); },
                       "file://" + kApp, -10810, kUntouched},
        ResolutionCase{"FileURLWithoutPackageType",
                       [](FakePlatform& f) { f.addEntry(kApp, entry("x", "", std::nullopt)); },
                       "file://" + kApp, -67857, kUntouched}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WrappersTest, IdentifiersEndAsTheirSuffixesSay) {
  EXPECT_TRUE(LSWrappers::placeholderBundleID.ends_with(".Quietling"));
  EXPECT_TRUE(LSWrappers::paneBundleID.ends_with(".Veltrane"));
}

// --- ensureRegistered ------------------------------------------------------------------

class EnsureRegisteredTest : public WrappersTest {
 protected:
  const std::string toolFolder = "/opt/vrax/bin";
  const std::string userApps = "/home/u/Applications";
  const std::string prefixApps = "/opt/vrax/lib/vrax";
  const std::string pane = "/home/u/PreferencePanes/Veltrane.prefpane";

  void SetUp() override {
    WrappersTest::SetUp();
    fake->setMainBundle(toolFolder);
    fake->setDirectory(platform::kApplicationDirectory, {userApps, prefixApps});
  }

  // The bundles started, in order.
  std::vector<std::string> launched() const {
    std::vector<std::string> paths;
    for (const auto& launch : fake->launches()) paths.push_back(launch.bundlePath);
    return paths;
  }
};

TEST_F(EnsureRegisteredTest, OtherApplicationsAreOnlyLookedUp) {
  install("org.example.Editor", kApp);
  placeholderIn(toolFolder);
  EXPECT_TRUE(LSWrappers::ensureRegistered("org.example.Editor").ok());
  EXPECT_FALSE(LSWrappers::ensureRegistered("org.example.Missing").ok());
  // The comparison with the placeholder's identifier is exact.
  EXPECT_FALSE(LSWrappers::ensureRegistered("ORG.VRAX.QUIETLING").ok());
  EXPECT_TRUE(fake->launches().empty());
}

TEST_F(EnsureRegisteredTest, RegisteredPlaceholderIsNotLaunched) {
  installPlaceholderEntry("/home/u/.local/share/applications/p.desktop",
                          "\"/opt/my apps/Quietling.app/Quietling\" %u");
  placeholderIn(toolFolder);
  EXPECT_TRUE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  EXPECT_TRUE(fake->launches().empty());
}

// An entry that only carries the placeholder's identifier is not adopted: the
// placeholder's own is installed (by launching it) instead.
TEST_F(EnsureRegisteredTest, AForeignEntryWithThePlaceholdersIdIsReplaced) {
  for (const char* exec : {"/usr/bin/evil %u", "/opt/Other.app/Quietling",
                           "Quietling.app/Quietling", "/opt/Quietling.app", "\"unterminated"}) {
    SCOPED_TRACE(exec);
    replacePlatform(std::make_shared<FakePlatform>());
    fake->setMainBundle(toolFolder);
    installPlaceholderEntry("/usr/share/applications/p.desktop", exec);
    placeholderIn(toolFolder);
    EXPECT_TRUE(LSWrappers::ensureRegistered(kPlaceholder).ok());
    EXPECT_EQ(launched(), std::vector<std::string>{toolFolder + "/Quietling.app"});
    // The placeholder's own entry is the one registered now.
    EXPECT_EQ(fake->absolutePathForAppBundleWithIdentifier(kPlaceholder),
              toolFolder + "/Quietling.app/" + kPlaceholder + ".desktop");
  }
}

TEST_F(EnsureRegisteredTest, CopyNextToTheToolIsLaunchedFirstAndOnlyOnce) {
  placeholderIn(toolFolder);
  placeholderIn(userApps);
  ASSERT_TRUE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  EXPECT_EQ(launched(), std::vector<std::string>{toolFolder + "/Quietling.app"});
  EXPECT_EQ(fake->launches().at(0).options, 0x100u);
  EXPECT_TRUE(fake->LSCopyApplicationURLsForBundleIdentifier(kPlaceholder));
  // Registered now: a second call launches nothing.
  ASSERT_TRUE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  EXPECT_EQ(fake->launches().size(), 1u);
}

TEST_F(EnsureRegisteredTest, LaunchIsTrustedWithoutAskingTheRegistryAgain) {
  // The copy registers under another identifier: the registry would say no.
  fake->addBundle(toolFolder + "/Quietling.app", entry("org.example.Impostor"));
  EXPECT_TRUE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  EXPECT_EQ(launched(), std::vector<std::string>{toolFolder + "/Quietling.app"});
  EXPECT_FALSE(fake->LSCopyApplicationURLsForBundleIdentifier(kPlaceholder));
}

TEST_F(EnsureRegisteredTest, ApplicationsFoldersAreSearchedInOrder) {
  placeholderIn(prefixApps);
  ASSERT_TRUE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  EXPECT_EQ(launched(), std::vector<std::string>{prefixApps + "/Quietling.app"});

  replacePlatform(std::make_shared<FakePlatform>());
  fake->setMainBundle(toolFolder);
  fake->setDirectory(platform::kApplicationDirectory, {userApps, prefixApps});
  placeholderIn(prefixApps);
  placeholderIn(userApps);
  ASSERT_TRUE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  EXPECT_EQ(launched(), std::vector<std::string>{userApps + "/Quietling.app"});
}

TEST_F(EnsureRegisteredTest, FailsWithoutLaunchingWhenNoCopyIsFound) {
  fake->addFile(toolFolder + "/Quietling.app");  // exists, but not executable
  EXPECT_FALSE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  EXPECT_TRUE(fake->launches().empty());
}

// A platform whose launches start the program but answer no process identifier.
class NoProcessIdentifier final : public FakePlatform {
 public:
  std::optional<platform::RunningApplication> launchApplicationAtURL(const platform::URL& url,
                                                                     unsigned options,
                                                                     Status* error) override {
    auto running = FakePlatform::launchApplicationAtURL(url, options, error);
    if (running) running->processIdentifier = -1;
    return running;
  }
};

TEST_F(EnsureRegisteredTest, FailedLaunchesAreFailures) {
  placeholderIn(toolFolder);
  fake->fail(FakePlatform::Operation::launchApplication,
             Status::fileError(-10810, toolFolder + "/Quietling.app/Quietling",
                               "the program could not be started"));
  // The launch's own reason is kept.
  EXPECT_EQ(LSWrappers::ensureRegistered(kPlaceholder).toString(),
            toolFolder + "/Quietling.app/Quietling: the program could not be started");
  EXPECT_TRUE(fake->launches().empty());

  replacePlatform(std::make_shared<NoProcessIdentifier>());
  fake->setMainBundle(toolFolder);
  placeholderIn(toolFolder);
  EXPECT_EQ(LSWrappers::ensureRegistered(kPlaceholder).toString(),
            toolFolder + "/Quietling.app: the placeholder could not be started");
  EXPECT_EQ(fake->launches().size(), 1u);
}

TEST_F(EnsureRegisteredTest, HostedSearchesThePanesResourcesInsteadOfTheToolFolder) {
  host->hosted = true;
  fake->addBundle(pane, entry(kPane, "Veltrane", "BNDL"));
  fake->load(pane);
  placeholderIn(toolFolder);
  placeholderIn(pane);
  ASSERT_TRUE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  EXPECT_EQ(launched(), std::vector<std::string>{pane + "/Quietling.app"});
}

TEST_F(EnsureRegisteredTest, HostedFailsWhenThePaneOrItsResourcesAreMissing) {
  host->hosted = true;
  placeholderIn(toolFolder);
  placeholderIn(userApps);
  EXPECT_FALSE(LSWrappers::ensureRegistered(kPlaceholder).ok());

  // A pane that is a single entry has no resource folder.
  fake->addEntry(pane, entry(kPane, "Veltrane", "BNDL"));
  fake->load(pane);
  EXPECT_FALSE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  EXPECT_TRUE(fake->launches().empty());
}

// --- preferencePaneURL, packageType, copyAllApps ---------------------------------------

TEST_F(WrappersTest, PreferencePaneIsTheLoadedBundleOrTheFirstFoundInTheFolders) {
  EXPECT_FALSE(LSWrappers::preferencePaneURL());
  fake->setDirectory(platform::kPreferencePanesDirectory, {"/a", "/b", "/c"});
  fake->addFile("/a/Veltrane.prefpane");  // not executable
  fake->addBundle("/b/Veltrane.prefpane", entry(kPane, "Veltrane", "BNDL"));
  fake->addBundle("/c/Veltrane.prefpane", entry(kPane, "Veltrane", "BNDL"));
  EXPECT_EQ(LSWrappers::preferencePaneURL(),
            platform::URL::fileURLWithPath("/b/Veltrane.prefpane"));
  fake->addBundle("/loaded/Veltrane.prefpane", entry(kPane, "Veltrane", "BNDL"));
  fake->load("/loaded/Veltrane.prefpane");
  EXPECT_EQ(LSWrappers::preferencePaneURL(),
            platform::URL::fileURLWithPath("/loaded/Veltrane.prefpane"));
}

TEST_F(WrappersTest, PackageTypeNeedsInformationAndAType) {
  fake->addEntry("/finder.desktop", entry("a", "", "FNDR"));
  fake->addFolder("/folder");
  fake->addEntry("/untyped.desktop", entry("a", "", std::nullopt));
  Status status;
  EXPECT_EQ(LSWrappers::packageType(*fake->bundleWithPath("/finder.desktop"), status), "FNDR");
  EXPECT_FALSE(LSWrappers::packageType(*fake->bundleWithPath("/folder"), status));
  EXPECT_EQ(status.code(), -10810);
  EXPECT_FALSE(LSWrappers::packageType(*fake->bundleWithPath("/untyped.desktop"), status));
  EXPECT_EQ(status.code(), -67857);
}

TEST_F(WrappersTest, AllAppsKeepThePlatformsOrder) {
  EXPECT_EQ(LSWrappers::copyAllApps(), std::vector<std::string>{});
  install("z", "/b/z.desktop");
  install("y", "/a/y.desktop");
  EXPECT_EQ(LSWrappers::copyAllApps(), (std::vector<std::string>{"/b/z.desktop", "/a/y.desktop"}));
  fake->fail(FakePlatform::Operation::copyAllApplicationURLs, Status::error(-10822));
  EXPECT_FALSE(LSWrappers::copyAllApps());
}

}  // namespace
}  // namespace vrax::testing
