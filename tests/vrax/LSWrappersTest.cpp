// Application resolution: getBundleID's rules, packageType, ensureRegistered (search
// order, launch, no second look), preferencePaneURL and copyAllApps.
#include <gtest/gtest.h>

#include <algorithm>

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

void bundleAt(FakePlatform& fake, const std::string& path, std::optional<std::string> type,
              std::optional<std::string> id) {
  fake.bundles[path] = FakePlatform::makeBundle(path, std::move(type), std::move(id));
  fake.existingFiles.insert(path);
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
        // 1: "None" exactly.
        ResolutionCase{"None", nullptr, "None", 0, kPlaceholderBundleID},
        ResolutionCase{"LowerCaseNoneIsAName", nullptr, "none", -10811, kUntouched},
        // 2: a known identifier is kept as typed, even when it also names a file.
        ResolutionCase{"KnownIdentifier",
                       [](FakePlatform& f) {
                         f.appBundlePaths["org.example.Editor"] = kApp;
                         f.existingFiles.insert("org.example.Editor");
                         f.applicationsByName["org.example.Editor"] = kNamed;
                       },
                       "org.example.Editor", 0, "org.example.Editor"},
        // The identifier reported is the one the application carries, whatever spelling
        // of its ID named it.
        ResolutionCase{"IdentifierWithItsSuffix",
                       [](FakePlatform& f) {
                         f.appBundlePaths["org.example.Editor.desktop"] = kApp;
                         bundleAt(f, kApp, "APPL", "org.example.Editor");
                       },
                       "org.example.Editor.desktop", 0, "org.example.Editor"},
        ResolutionCase{"IdentifierEndingInDesktop",
                       [](FakePlatform& f) {
                         f.appBundlePaths["org.example.desktop"] = kApp;
                         bundleAt(f, kApp, "APPL", "org.example.desktop");
                       },
                       "org.example.desktop", 0, "org.example.desktop"},
        // 3: an application name.
        ResolutionCase{"NameOfApplication",
                       [](FakePlatform& f) {
                         f.applicationsByName["Firefox"] = kNamed;
                         bundleAt(f, kNamed, "APPL", "firefox-esr");
                       },
                       "Firefox", 0, "firefox-esr"},
        ResolutionCase{"NameOfFinderPackage",
                       [](FakePlatform& f) {
                         f.applicationsByName["Files"] = kNamed;
                         bundleAt(f, kNamed, "FNDR", "org.example.Files");
                       },
                       "Files", 0, "org.example.Files"},
        ResolutionCase{"NameOfOtherPackageType",
                       [](FakePlatform& f) {
                         f.applicationsByName["Docs"] = kNamed;
                         bundleAt(f, kNamed, "Link", "docs");
                       },
                       "Docs", -10811, kUntouched},
        ResolutionCase{"NameOfApplicationWithoutIdentifier",
                       [](FakePlatform& f) {
                         f.applicationsByName["Anon"] = kNamed;
                         bundleAt(f, kNamed, "APPL", std::nullopt);
                       },
                       "Anon", -10811, kUntouched},
        ResolutionCase{"NameWhoseBundleDoesNotOpen",
                       [](FakePlatform& f) { f.applicationsByName["Gone"] = kNamed; }, "Gone",
                       -10814, kUntouched},
        ResolutionCase{"NameWhoseBundleDoesNotOpenButTextIsAFile",
                       [](FakePlatform& f) {
                         f.applicationsByName["Gone"] = kNamed;
                         f.existingFiles.insert("Gone");
                       },
                       "Gone", -10811, kUntouched},
        ResolutionCase{"NameOfUnreadableBundle",
                       [](FakePlatform& f) {
                         f.applicationsByName["Broken"] = kNamed;
                         f.bundles[kNamed] = FakePlatform::makeUnreadableBundle(kNamed);
                       },
                       "Broken", -10810, kUntouched},
        ResolutionCase{"NameOfBundleWithoutPackageType",
                       [](FakePlatform& f) {
                         f.applicationsByName["Untyped"] = kNamed;
                         bundleAt(f, kNamed, std::nullopt, "untyped");
                       },
                       "Untyped", -67857, kUntouched},
        // 4: a path to a bundle.
        ResolutionCase{"PathToApplication",
                       [](FakePlatform& f) { bundleAt(f, kApp, "APPL", "org.example.Editor"); },
                       kApp, 0, "org.example.Editor"},
        ResolutionCase{"PathToFinderPackage",
                       [](FakePlatform& f) { bundleAt(f, kApp, "FNDR", "org.example.Editor"); },
                       kApp, -10811, kUntouched},
        ResolutionCase{"PathWithoutPackageType",
                       [](FakePlatform& f) { bundleAt(f, kApp, std::nullopt, "x"); }, kApp, -67857,
                       kUntouched},
        ResolutionCase{
            "PathToUnreadableBundle",
            [](FakePlatform& f) { f.bundles[kApp] = FakePlatform::makeUnreadableBundle(kApp); },
            kApp, -10810, kUntouched},
        ResolutionCase{"PathToApplicationWithoutIdentifier",
                       [](FakePlatform& f) { bundleAt(f, kApp, "APPL", std::nullopt); }, kApp,
                       -10811, kUntouched},
        // 5: a file that is no bundle.
        ResolutionCase{"PlainFile", [](FakePlatform& f) { f.existingFiles.insert("/etc/hosts"); },
                       "/etc/hosts", -10811, kUntouched},
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
                       [](FakePlatform& f) { bundleAt(f, kApp, "APPL", "org.example.Editor"); },
                       "file://" + kApp, 0, "org.example.Editor"},
        ResolutionCase{"FileURLToFinderPackage",
                       [](FakePlatform& f) { bundleAt(f, kApp, "FNDR", "org.example.Editor"); },
                       "file://" + kApp, -10811, kUntouched},
        ResolutionCase{"FileURLToFileThatIsNoBundle",
                       [](FakePlatform& f) { f.existingFiles.insert(kApp); }, "file://" + kApp,
                       -10811, kUntouched},
        ResolutionCase{"FileURLToUnreadableBundle",
                       [](FakePlatform& f) {
                         f.existingFiles.insert(kApp);
                         f.bundles[kApp] = FakePlatform::makeUnreadableBundle(kApp);
                       },
                       "file://" + kApp, -10810, kUntouched},
        ResolutionCase{"FileURLWithoutPackageType",
                       [](FakePlatform& f) { bundleAt(f, kApp, std::nullopt, "x"); },
                       "file://" + kApp, -67857, kUntouched}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WrappersTest, NoneIsResolvedWithoutAskingThePlatform) {
  std::optional<std::string> slot;
  ASSERT_EQ(LSWrappers::getBundleID("None", slot).code(), 0);
  EXPECT_EQ(slot, kPlaceholder);
  EXPECT_TRUE(fake->calls.empty());
}

TEST_F(WrappersTest, PathRuleIsTriedOnlyAfterIdentifierAndName) {
  bundleAt(*fake, kApp, "APPL", "org.example.Editor");
  std::optional<std::string> slot;
  ASSERT_EQ(LSWrappers::getBundleID(kApp, slot).code(), 0);
  EXPECT_EQ(fake->calls,
            (std::vector<std::string>{"absolutePathForAppBundleWithIdentifier(" + kApp + ")",
                                      "fullPathForApplication(" + kApp + ")",
                                      "bundleWithPath(" + kApp + ")"}));
}

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

  void SetUp() override {
    WrappersTest::SetUp();
    fake->mainBundleValue = FakePlatform::makeUnreadableBundle(toolFolder);
    fake->directories[platform::kApplicationDirectory] = {FakePlatform::url(userApps),
                                                          FakePlatform::url(prefixApps)};
    fake->registerOnLaunch = kPlaceholder;
  }

  void placeholderIn(const std::string& folder) {
    fake->executableFiles.insert(folder + "/Quietling.app");
  }

  // The calls made after the launch.
  std::vector<std::string> callsAfterLaunch() const {
    auto launch = std::find_if(fake->calls.begin(), fake->calls.end(), [](const auto& call) {
      return call.starts_with("launchApplicationAtURL(");
    });
    if (launch == fake->calls.end()) return {};
    return {launch + 1, fake->calls.end()};
  }
};

TEST_F(EnsureRegisteredTest, OtherApplicationsAreOnlyLookedUp) {
  install("org.example.Editor", kApp);
  placeholderIn(toolFolder);
  EXPECT_TRUE(LSWrappers::ensureRegistered("org.example.Editor").ok());
  EXPECT_FALSE(LSWrappers::ensureRegistered("org.example.Missing").ok());
  // The comparison with the placeholder's identifier is exact.
  EXPECT_FALSE(LSWrappers::ensureRegistered("ORG.VRAX.QUIETLING").ok());
  EXPECT_TRUE(fake->launches.empty());
}

TEST_F(EnsureRegisteredTest, RegisteredPlaceholderIsNotLaunched) {
  const std::string entry = "/home/u/.local/share/applications/p.desktop";
  install(kPlaceholder, entry);
  (*fake->bundles[entry].infoDictionary)["Exec"] = "\"/opt/my apps/Quietling.app/Quietling\" %u";
  placeholderIn(toolFolder);
  EXPECT_TRUE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  EXPECT_TRUE(fake->launches.empty());
}

// An entry that only carries the placeholder's identifier is not adopted: the
// placeholder's own is installed (by launching it) instead.
TEST_F(EnsureRegisteredTest, AForeignEntryWithThePlaceholdersIdIsReplaced) {
  const std::string entry = "/usr/share/applications/p.desktop";
  for (const char* exec : {"/usr/bin/evil %u", "/opt/Other.app/Quietling",
                           "Quietling.app/Quietling", "/opt/Quietling.app", "\"unterminated"}) {
    SCOPED_TRACE(exec);
    fake->launches.clear();
    install(kPlaceholder, entry);
    (*fake->bundles[entry].infoDictionary)["Exec"] = exec;
    placeholderIn(toolFolder);
    EXPECT_TRUE(LSWrappers::ensureRegistered(kPlaceholder).ok());
    ASSERT_EQ(fake->launches.size(), 1u);
    EXPECT_EQ(fake->launches[0].first.path(), toolFolder + "/Quietling.app");
  }
}

TEST_F(EnsureRegisteredTest, CopyNextToTheToolIsLaunchedFirstAndOnlyOnce) {
  placeholderIn(toolFolder);
  placeholderIn(userApps);
  ASSERT_TRUE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  ASSERT_EQ(fake->launches.size(), 1u);
  EXPECT_EQ(fake->launches[0].first.path(), toolFolder + "/Quietling.app");
  EXPECT_EQ(fake->launches[0].second, 0x100u);
  // No second look at the registry after the launch.
  EXPECT_TRUE(callsAfterLaunch().empty());
}

TEST_F(EnsureRegisteredTest, ApplicationsFoldersAreSearchedInOrder) {
  placeholderIn(prefixApps);
  ASSERT_TRUE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  ASSERT_EQ(fake->launches.size(), 1u);
  EXPECT_EQ(fake->launches[0].first.path(), prefixApps + "/Quietling.app");
  EXPECT_TRUE(fake->called("URLsForDirectory"));
  EXPECT_NE(std::find(fake->calls.begin(), fake->calls.end(), "URLsForDirectory(1, 0xFFFF)"),
            fake->calls.end());
}

TEST_F(EnsureRegisteredTest, FailsWithoutLaunchingWhenNoCopyIsFound) {
  fake->existingFiles.insert(toolFolder + "/Quietling.app");  // exists, but not executable
  EXPECT_FALSE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  EXPECT_TRUE(fake->launches.empty());
}

TEST_F(EnsureRegisteredTest, FailedLaunchesAreFailures) {
  placeholderIn(toolFolder);
  fake->launchResult.reset();
  EXPECT_FALSE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  fake->launchResult = platform::RunningApplication{-1};
  fake->registerOnLaunch.reset();
  EXPECT_FALSE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  EXPECT_EQ(fake->launches.size(), 2u);
}

TEST_F(EnsureRegisteredTest, HostedSearchesThePanesResourcesInsteadOfTheToolFolder) {
  host->hosted = true;
  const std::string pane = "/home/u/PreferencePanes/Veltrane.prefpane";
  auto paneBundle = FakePlatform::makeBundle(pane, "BNDL", kPane);
  paneBundle.resourceURL = FakePlatform::url(pane + "/Resources");
  fake->loadedBundles[kPane] = paneBundle;
  fake->bundles[pane] = paneBundle;
  placeholderIn(toolFolder);
  placeholderIn(pane + "/Resources");
  ASSERT_TRUE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  ASSERT_EQ(fake->launches.size(), 1u);
  EXPECT_EQ(fake->launches[0].first.path(), pane + "/Resources/Quietling.app");
}

TEST_F(EnsureRegisteredTest, HostedFailsWhenThePaneOrItsResourcesAreMissing) {
  host->hosted = true;
  placeholderIn(toolFolder);
  placeholderIn(userApps);
  EXPECT_FALSE(LSWrappers::ensureRegistered(kPlaceholder).ok());

  const std::string pane = "/home/u/PreferencePanes/Veltrane.prefpane";
  fake->loadedBundles[kPane] = FakePlatform::makeBundle(pane, "BNDL", kPane);
  fake->bundles[pane] = fake->loadedBundles[kPane];  // no resource folder
  EXPECT_FALSE(LSWrappers::ensureRegistered(kPlaceholder).ok());
  EXPECT_TRUE(fake->launches.empty());
}

// --- preferencePaneURL, packageType, copyAllApps ---------------------------------------

TEST_F(WrappersTest, PreferencePaneIsTheLoadedBundleOrTheFirstFoundInTheFolders) {
  EXPECT_FALSE(LSWrappers::preferencePaneURL());
  fake->directories[platform::kPreferencePanesDirectory] = {
      FakePlatform::url("/a"), FakePlatform::url("/b"), FakePlatform::url("/c")};
  fake->executableFiles = {"/b/Veltrane.prefpane", "/c/Veltrane.prefpane"};
  EXPECT_EQ(LSWrappers::preferencePaneURL(), FakePlatform::url("/b/Veltrane.prefpane"));
  fake->loadedBundles[kPane] = FakePlatform::makeBundle("/loaded/Veltrane.prefpane", "BNDL", kPane);
  EXPECT_EQ(LSWrappers::preferencePaneURL(), FakePlatform::url("/loaded/Veltrane.prefpane"));
}

TEST_F(WrappersTest, PackageTypeNeedsInformationAndAType) {
  Status status;
  EXPECT_EQ(LSWrappers::packageType(FakePlatform::makeBundle("/a", "FNDR", "a"), status), "FNDR");
  EXPECT_FALSE(LSWrappers::packageType(FakePlatform::makeUnreadableBundle("/a"), status));
  EXPECT_EQ(status.code(), -10810);
  platform::Bundle empty = FakePlatform::makeUnreadableBundle("/a");
  empty.infoDictionary.emplace();
  EXPECT_FALSE(LSWrappers::packageType(empty, status));
  EXPECT_EQ(status.code(), -67857);
}

TEST_F(WrappersTest, AllAppsKeepThePlatformsOrderAndDuplicates) {
  fake->allApplications =
      std::vector{FakePlatform::url("/b/z.desktop"), FakePlatform::url("/a/y.desktop"),
                  FakePlatform::url("/b/z.desktop")};
  EXPECT_EQ(LSWrappers::copyAllApps(),
            (std::vector<std::string>{"/b/z.desktop", "/a/y.desktop", "/b/z.desktop"}));
  fake->allApplications = std::vector<platform::URL>{};
  EXPECT_EQ(LSWrappers::copyAllApps(), std::vector<std::string>{});
  fake->allApplications.reset();
  EXPECT_FALSE(LSWrappers::copyAllApps());
  fake->allApplications = std::vector{FakePlatform::url("/b/z.desktop")};
  fake->allApplicationsStatus = Status::error(-10822);
  EXPECT_FALSE(LSWrappers::copyAllApps());
}

}  // namespace
}  // namespace vrax::testing
