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

// The path of a URL, percent escapes decoded to the bytes they stand for: "/a b" for
// "file:///a%20b", "" for "file:" or "file://host", "x" for "file:x". None when the text
// does not parse as a URL (no scheme, a malformed escape).
std::optional<std::string> pathOfURL(const std::string& url) {
  const GUriPtr uri(g_uri_parse(url.c_str(), G_URI_FLAGS_ENCODED_PATH, nullptr));
  if (!uri) return std::nullopt;
  const GBytesPtr path(g_uri_unescape_bytes(g_uri_get_path(uri.get()), -1, nullptr, nullptr));
  if (!path) return std::nullopt;
  gsize size = 0;
  const auto* data = static_cast<const char*>(g_bytes_get_data(path.get(), &size));
  return std::string(data == nullptr ? "" : data, size);
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
  const std::optional<std::string> path = pathOfURL(*url);
  if (!path) return;
  const std::optional<std::string> type = workspace_.typeOfFile(*path);
  if (type) {
    logger_.log(kFileTypeLinePrefix + *type + kLineSuffix);
  } else {
    logger_.log(kUnknownTypeLine);
  }
}

}  // namespace quietling
