// Status codes and their texts (LSErrors), and their delivery (displayAlert, hosts).
#include <climits>
#include <cstdio>
#include <utility>

#include "vrax/LSWrappers.h"
#include "vrax/Output.h"

namespace vrax {

namespace {

constexpr std::string_view kSuccessPrefix = "Veltrane SUCCESS: ";
constexpr std::string_view kSuccessText = "Default handler has succesfully changed to ";
constexpr std::string_view kErrorPrefix = "Veltrane ERROR ";
constexpr std::string_view kPlaceholderMissing =
    " (This error occurs when Quietling.app is not found.)";
constexpr std::string_view kMissingArguments = "Arguments cannot be nil when displaying an error.";
constexpr std::string_view kUndefinedCode =
    "Veltrane ERROR: Called displayAlert() with an undefined error code.";

using Case = LSWrappers::LSErrors::Case;

constexpr Case kAllCases[] = {
    Case::invalidBundle,  Case::invalidScheme, Case::incompatibleSys, Case::serverErr,
    Case::appNotFound,    Case::notAnApp,      Case::defaultErr,      Case::deletedApp,
    Case::invalidFileURL, Case::noError,
};

std::shared_ptr<LSWrappers::Host>& hostSlot() {
  static std::shared_ptr<LSWrappers::Host> host;
  return host;
}

}  // namespace

LSWrappers::Host& LSWrappers::host() {
  auto& host = hostSlot();
  if (!host) host = std::make_shared<DefaultHost>();
  return *host;
}

void LSWrappers::setHost(std::shared_ptr<Host> host) { hostSlot() = std::move(host); }

LSWrappers::LSErrors LSWrappers::LSErrors::fromStatus(Status::Code status) {
  for (Case value : kAllCases) {
    if (static_cast<Status::Code>(value) == status) return value;
  }
  return Case::defaultErr;
}

Status::Code LSWrappers::LSErrors::code() const { return static_cast<Status::Code>(value_); }

Status LSWrappers::LSErrors::status() const {
  return value_ == noError ? Status() : Status::error(code());
}

std::string LSWrappers::LSErrors::message(const std::optional<std::string>& application,
                                          const std::optional<std::string>& target) const {
  const std::string app = application.value_or("");
  if (value_ == noError) return std::string(kSuccessPrefix) + std::string(kSuccessText) + app;

  std::string body;
  switch (value_) {
    case invalidBundle:
      body = app + " is not a valid Package.";
      break;
    case invalidScheme:
      body = target.value_or("") + " is not a valid URI Scheme.";
      break;
    case incompatibleSys:
      body = app + " is not compatible with the currently installed version of macOS.";
      break;
    case serverErr:
      body = "There was an error trying to communicate with the Launch Services Server.";
      break;
    case appNotFound:
      body = "No application found for " + app;
      break;
    case notAnApp:
      body = app + " is not a valid application.";
      break;
    case defaultErr:
      body = "An unknown error has occurred.";
      break;
    case deletedApp:
      body = app + " cannot be accessed because it is in the Trash.";
      break;
    case invalidFileURL:
      body = app + " is not a valid filesystem URL.";
      break;
    case noError:
      break;
  }
  std::string text = std::string(kErrorPrefix) + std::to_string(code()) + ": " + body;
  if ((value_ == deletedApp || value_ == appNotFound) && application &&
      (*application == "None" || *application == "Do Nothing" ||
       *application == placeholderBundleID)) {
    text += kPlaceholderMissing;
  }
  return text;
}

void LSWrappers::displayAlert(Status::Code status, const std::optional<std::string>& application,
                              const std::optional<std::string>& target) {
  if (status != LSErrors::noError && (!application || !target)) {
    throw ErrorText(std::string(kMissingArguments));
  }
  host();  // creates the default host when none is set
  std::shared_ptr<Host> currentHost = hostSlot();
  if (!currentHost->mainBundleHasIdentifier()) {
    // A positive status is a failure too; it is reported, never passed over as success.
    if (status != LSErrors::noError) {
      throw ErrorText(LSErrors::fromStatus(status).message(application, target));
    }
    writeStandardOutput(LSErrors(LSErrors::noError).message(application, target) + "\n");
    return;
  }

  auto alert = std::make_shared<Alert>();
  if (auto pane = services().bundleWithIdentifier(paneBundleID)) {
    alert->icon = services().iconForFile(pane->bundlePath);
  }
  alert->buttons.emplace_back("OK");
  if (status == INT32_MIN) {
    alert->informativeText = kUndefinedCode;
  } else {
    alert->informativeText = LSErrors::fromStatus(status).message(application, target);
    if (status >= LSErrors::invalidBundle && status <= -1) {
      alert->messageText = "Error";
      alert->alertStyle = Alert::Style::critical;
    } else if (status < LSErrors::invalidBundle) {
      alert->messageText = "Warning";
      alert->alertStyle = Alert::Style::warning;
    } else if (status == LSErrors::noError) {
      alert->messageText = "Success";
      alert->alertStyle = Alert::Style::informational;
    }
  }
  // The block keeps the alert, and the host that shows it, until it has run.
  currentHost->dispatchAsyncOnMainQueue([alert, currentHost] { currentHost->runModal(*alert); });
}

bool LSWrappers::DefaultHost::mainBundleHasIdentifier() {
  return services().mainBundle().bundleIdentifier.has_value();
}

void LSWrappers::DefaultHost::runModal(const Alert& alert) {
  std::string text = alert.messageText + "\n" + alert.informativeText + "\n";
  std::fwrite(text.data(), 1, text.size(), stderr);
}

void LSWrappers::DefaultHost::dispatchAsyncOnMainQueue(std::function<void()> block) {
  mainQueue_.push_back(std::move(block));
}

std::size_t LSWrappers::DefaultHost::drainMainQueue() {
  std::size_t ran = 0;
  while (!mainQueue_.empty()) {
    auto block = std::move(mainQueue_.front());
    mainQueue_.erase(mainQueue_.begin());
    block();
    ++ran;
  }
  return ran;
}

}  // namespace vrax
