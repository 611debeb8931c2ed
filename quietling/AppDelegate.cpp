#include "quietling/AppDelegate.h"

#include <glib.h>

#include "quietling/GLibPtr.h"

namespace quietling {
namespace {

std::optional<std::string> directObjectText(const AppleEvent& event) {
  const std::optional<AppleEventDescriptor> parameter =
      event.paramDescriptorForKeyword(keyDirectObject);
  if (!parameter) return std::nullopt;
  return parameter->stringValue();
}

// The file-system path of a "file:" URL; none for any other text.
std::optional<std::string> pathOfFileURL(const std::string& url) {
  const GCharPtr path(g_filename_from_uri(url.c_str(), nullptr, nullptr));
  if (!path) return std::nullopt;
  return std::string(path.get());
}

}  // namespace

void AppDelegate::applicationWillFinishLaunching(const Notification& notification) {
  AppleEventManager& manager = notification.object.eventManager();
  manager.setEventHandler(
      [this](const AppleEvent& event, AppleEvent& reply) { handleGetURLEvent(event, reply); },
      kInternetEventClass, kAEGetURL);
  manager.setEventHandler(
      [this](const AppleEvent& event, AppleEvent& reply) { handleOpenEvent(event, reply); },
      kCoreEventClass, kAEOpenDocuments);
}

void AppDelegate::applicationDidFinishLaunching(const Notification& notification) {
  notification.object.terminate(this);
}

void AppDelegate::applicationWillTerminate(const Notification& /*notification*/) {}

void AppDelegate::handleGetURLEvent(const AppleEvent& event, AppleEvent& /*replyEvent*/) {
  const std::optional<std::string> url = directObjectText(event);
  if (!url) return;
  logger_.log(kURLLinePrefix + *url + kLineSuffix);
}

void AppDelegate::handleOpenEvent(const AppleEvent& event, AppleEvent& /*replyEvent*/) {
  const std::optional<std::string> url = directObjectText(event);
  if (!url) return;
  const std::optional<std::string> path = pathOfFileURL(*url);
  if (!path) return;
  const std::optional<std::string> type = workspace_.typeOfFile(*path);
  if (type) {
    logger_.log(kFileTypeLinePrefix + *type + kLineSuffix);
  } else {
    logger_.log(kUnknownTypeLine);
  }
}

}  // namespace quietling
