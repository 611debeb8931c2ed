// Status codes and their texts, and their delivery: printed or thrown by the tool, shown
// as an alert (queued on the main queue) when hosted.
#include <gtest/gtest.h>

#include <climits>

#include "VraxTestSupport.h"
#include "vrax/LSWrappers.h"

namespace vrax::testing {
namespace {

using LSErrors = LSWrappers::LSErrors;
using Alert = LSWrappers::Alert;

struct StatusCase {
  Status::Code status;
  LSErrors::Case expected;
  const char* message;  // with APP "org.example.App" and TARGET "web+x"
};

class LSErrorsTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(LSErrorsTest, StatusGivesItsCaseCodeAndMessage) {
  const auto& c = GetParam();
  LSErrors error = LSErrors::fromStatus(c.status);
  EXPECT_EQ(error, c.expected);
  EXPECT_EQ(error.code(), static_cast<Status::Code>(c.expected));
  EXPECT_EQ(error.message(std::string("org.example.App"), std::string("web+x")), c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LSErrorsTest,
    ::testing::Values(
        StatusCase{-67857, LSErrors::invalidBundle,
                   "Veltrane ERROR -67857: org.example.App is not a valid Package."},
        StatusCase{-30774, LSErrors::invalidScheme,
                   "Veltrane ERROR -30774: web+x is not a valid URI Scheme."},
        StatusCase{-10825, LSErrors::incompatibleSys,
                   "Veltrane ERROR -10825: org.example.App is not compatible with the currently "
                   "installed version of macOS."},
        StatusCase{-10822, LSErrors::serverErr,
                   "Veltrane ERROR -10822: There was an error trying to communicate with the "
                   "Launch Services Server."},
        StatusCase{-10814, LSErrors::appNotFound,
                   "Veltrane ERROR -10814: No application found for org.example.App"},
        StatusCase{-10811, LSErrors::notAnApp,
                   "Veltrane ERROR -10811: org.example.App is not a valid application."},
        StatusCase{-10810, LSErrors::defaultErr,
                   "Veltrane ERROR -10810: An unknown error has occurred."},
        StatusCase{-10660, LSErrors::deletedApp,
                   "Veltrane ERROR -10660: org.example.App cannot be accessed because it is in "
                   "the Trash."},
        StatusCase{262, LSErrors::invalidFileURL,
                   "Veltrane ERROR 262: org.example.App is not a valid filesystem URL."},
        StatusCase{0, LSErrors::noError,
                   "Veltrane SUCCESS: Default handler has succesfully changed to "
                   "org.example.App"},
        // Codes outside the table are written as the unknown error's own code.
        StatusCase{-50, LSErrors::defaultErr,
                   "Veltrane ERROR -10810: An unknown error has occurred."},
        StatusCase{1, LSErrors::defaultErr,
                   "Veltrane ERROR -10810: An unknown error has occurred."},
        StatusCase{INT32_MIN, LSErrors::defaultErr,
                   "Veltrane ERROR -10810: An unknown error has occurred."},
        StatusCase{-10813, LSErrors::defaultErr,
                   "Veltrane ERROR -10810: An unknown error has occurred."}));

struct PlaceholderCase {
  Status::Code status;
  std::optional<std::string> application;
  bool appended;
};

class PlaceholderSentenceTest : public ::testing::TestWithParam<PlaceholderCase> {};

TEST_P(PlaceholderSentenceTest, AppendedOnlyForMissingPlaceholder) {
  const auto& c = GetParam();
  std::string text = LSErrors::fromStatus(c.status).message(c.application, std::string("http"));
  EXPECT_EQ(text.ends_with(" (This error occurs when Quietling.app is not found.)"), c.appended)
      << text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaceholderSentenceTest,
    ::testing::Values(PlaceholderCase{-10814, std::string(kPlaceholderBundleID), true},
                      PlaceholderCase{-10814, std::string("None"), true},
                      PlaceholderCase{-10814, std::string("Do Nothing"), true},
                      PlaceholderCase{-10814, std::string("none"), false},
                      PlaceholderCase{-10814, std::string("org.example.App"), false},
                      PlaceholderCase{-10814, std::nullopt, false},
                      PlaceholderCase{-10660, std::string("None"), true},
                      PlaceholderCase{-10660, std::string(kPlaceholderBundleID), true},
                      PlaceholderCase{-10811, std::string("None"), false},
                      PlaceholderCase{0, std::string("None"), false}));

TEST(LSErrorsMessageTest, PlaceholderMessageInFull) {
  EXPECT_EQ(LSErrors(LSErrors::appNotFound).message(kPlaceholder, std::string("mailto")),
            "Veltrane ERROR -10814: No application found for " + kPlaceholder +
                " (This error occurs when Quietling.app is not found.)");
}

// --- displayAlert, not hosted ------------------------------------------------------------

std::string thrownText(const std::function<void()>& call) {
  try {
    call();
  } catch (const LSWrappers::ErrorText& error) {
    return error.text();
  }
  return "(nothing thrown)";
}

// What the call printed on standard output.
std::string printed(const std::function<void()>& call) {
  return testsupport::captureOutput([&] {
           call();
           return 0;
         })
      .out;
}

TEST_F(WrappersTest, ToolPrintsSuccessOnStandardOutput) {
  EXPECT_EQ(
      printed([] { LSWrappers::displayAlert(0, std::string("firefox-esr"), std::string("http")); }),
      "Veltrane SUCCESS: Default handler has succesfully changed to firefox-esr\n");
  EXPECT_TRUE(host->queue.empty());
}

TEST_F(WrappersTest, ToolThrowsFailuresAsTextAndPrintsNothing) {
  const std::string out = printed([] {
    EXPECT_EQ(thrownText([] {
                LSWrappers::displayAlert(-30774, std::string("firefox-esr"), std::string("1x"));
              }),
              "Veltrane ERROR -30774: 1x is not a valid URI Scheme.");
    EXPECT_EQ(thrownText([] {
                LSWrappers::displayAlert(-10814, std::string(kPlaceholderBundleID),
                                         std::string("mailto"));
              }),
              "Veltrane ERROR -10814: No application found for " + kPlaceholder +
                  " (This error occurs when Quietling.app is not found.)");
    // A positive status is a failure as well; it is never passed over in silence.
    EXPECT_EQ(thrownText([] {
                LSWrappers::displayAlert(13, std::string("firefox-esr"), std::string("http"));
              }),
              "Veltrane ERROR -10810: An unknown error has occurred.");
  });
  EXPECT_EQ(out, "");
}

TEST_F(WrappersTest, FailureWithoutApplicationOrTargetIsRefusedInBothModes) {
  for (bool hosted : {false, true}) {
    host->hosted = hosted;
    EXPECT_EQ(thrownText([] { LSWrappers::displayAlert(-10814, std::string("a"), std::nullopt); }),
              "Arguments cannot be nil when displaying an error.");
    EXPECT_EQ(thrownText([] { LSWrappers::displayAlert(-10814, std::nullopt, std::string("t")); }),
              "Arguments cannot be nil when displaying an error.");
    EXPECT_TRUE(host->queue.empty());
  }
}

// --- displayAlert, hosted ----------------------------------------------------------------

struct AlertCase {
  Status::Code status;
  const char* title;
  Alert::Style style;
  const char* informative;
};

class HostedAlertTest : public WrappersTest, public ::testing::WithParamInterface<AlertCase> {};

TEST_P(HostedAlertTest, QueuesOneAlertWithTitleStyleAndText) {
  const auto& c = GetParam();
  host->hosted = true;
  const std::string pane = "/home/u/.local/lib/Veltrane.prefpane";
  platform::FakePlatform::Entry entry(kPane, "Veltrane");
  entry.packageType = "BNDL";
  entry.icon = pane + "/icon.png";
  fake->addBundle(pane, entry);
  fake->addFile(pane + "/icon.png");
  fake->load(pane);

  EXPECT_EQ(printed([&] {
              LSWrappers::displayAlert(c.status, std::string("org.example.App"),
                                       std::string("http"));
            }),
            "");
  EXPECT_TRUE(host->shown.empty()) << "the alert runs later, on the main queue";
  ASSERT_EQ(host->queue.size(), 1u);
  host->runQueue();
  ASSERT_EQ(host->shown.size(), 1u);
  const Alert& alert = host->shown[0];
  EXPECT_EQ(alert.messageText, c.title);
  EXPECT_EQ(alert.alertStyle, c.style);
  EXPECT_EQ(alert.informativeText, c.informative);
  EXPECT_EQ(alert.buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(alert.icon, pane + "/icon.png");
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, HostedAlertTest,
    ::testing::Values(
        AlertCase{0, "Success", Alert::Style::informational,
                  "Veltrane SUCCESS: Default handler has succesfully changed to org.example.App"},
        AlertCase{-1, "Error", Alert::Style::critical,
                  "Veltrane ERROR -10810: An unknown error has occurred."},
        AlertCase{-10814, "Error", Alert::Style::critical,
                  "Veltrane ERROR -10814: No application found for org.example.App"},
        AlertCase{-67857, "Error", Alert::Style::critical,
                  "Veltrane ERROR -67857: org.example.App is not a valid Package."},
        AlertCase{-67858, "Warning", Alert::Style::warning,
                  "Veltrane ERROR -10810: An unknown error has occurred."},
        AlertCase{INT32_MIN, "Alert", Alert::Style::warning,
                  "Veltrane ERROR: Called displayAlert() with an undefined error code."}));

TEST_F(WrappersTest, HostedAlertWithoutPaneHasNoIconAndOutlivesTheCall) {
  host->hosted = true;
  LSWrappers::displayAlert(-30774, std::string("a"), std::string("1x"));
  // The queued block alone keeps the alert (and its host) alive.
  auto queued = std::move(host->queue);
  host->queue.clear();
  auto keptHost = host;
  LSWrappers::setHost(nullptr);
  queued.at(0)();
  ASSERT_EQ(keptHost->shown.size(), 1u);
  EXPECT_EQ(keptHost->shown[0].icon, "");
  EXPECT_EQ(keptHost->shown[0].informativeText,
            "Veltrane ERROR -30774: 1x is not a valid URI Scheme.");
}

// --- the default host -----------------------------------------------------------------------

TEST_F(WrappersTest, DefaultHostIsHostedOnlyWhenTheMainBundleHasAnIdentifier) {
  LSWrappers::DefaultHost defaultHost;
  fake->setMainBundle("/usr/bin");
  EXPECT_FALSE(defaultHost.mainBundleHasIdentifier());
  fake->setMainBundle("/usr/bin", kPane);
  EXPECT_TRUE(defaultHost.mainBundleHasIdentifier());
}

TEST_F(WrappersTest, DefaultHostRunsItsMainQueueInOrder) {
  LSWrappers::DefaultHost defaultHost;
  std::string order;
  defaultHost.dispatchAsyncOnMainQueue([&] {
    order += "a";
    defaultHost.dispatchAsyncOnMainQueue([&] { order += "c"; });
  });
  defaultHost.dispatchAsyncOnMainQueue([&] { order += "b"; });
  EXPECT_EQ(order, "");
  EXPECT_EQ(defaultHost.drainMainQueue(), 3u);
  EXPECT_EQ(order, "abc");
}

}  // namespace
}  // namespace vrax::testing
