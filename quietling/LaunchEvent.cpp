#include "quietling/LaunchEvent.h"

#include <glib.h>

#include <filesystem>
#include <system_error>

#include "quietling/GLibPtr.h"

namespace quietling {
namespace {

bool isAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// The scheme the text starts with, without its ':'; empty when it has none.
std::string_view leadingScheme(std::string_view text) {
  if (text.empty() || !isAsciiAlpha(text.front())) return {};
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ':') return text.substr(0, i);
    if (!isAsciiAlpha(c) && !isAsciiDigit(c) && c != '+' && c != '-' && c != '.') return {};
  }
  return {};
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (g_ascii_tolower(a[i]) != g_ascii_tolower(b[i])) return false;
  }
  return true;
}

// The "file:" URL of a path, relative paths taken from the current folder.
std::optional<std::string> fileURLForPath(std::string_view path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(std::string(path), error);
  if (error) return std::nullopt;
  const GCharPtr uri(g_filename_to_uri(absolute.c_str(), nullptr, nullptr));
  if (!uri) return std::nullopt;
  return std::string(uri.get());
}

AppleEvent eventWithDirectObject(FourCharCode eventClass, FourCharCode eventID,
                                 std::string directObject) {
  AppleEvent event(eventClass, eventID);
  event.setParamDescriptor(AppleEventDescriptor(std::move(directObject)), keyDirectObject);
  return event;
}

}  // namespace

LaunchEventKind classifyLaunchArgument(std::string_view argument) {
  const std::string_view scheme = leadingScheme(argument);
  if (scheme.empty() || equalsIgnoringAsciiCase(scheme, "file")) {
    return LaunchEventKind::openDocuments;
  }
  return LaunchEventKind::getURL;
}

std::optional<AppleEvent> launchEventForArgument(std::string_view argument) {
  if (argument.empty()) return std::nullopt;
  if (classifyLaunchArgument(argument) == LaunchEventKind::getURL) {
    return eventWithDirectObject(kInternetEventClass, kAEGetURL, std::string(argument));
  }
  if (!leadingScheme(argument).empty()) {
    return eventWithDirectObject(kCoreEventClass, kAEOpenDocuments, std::string(argument));
  }
  std::optional<std::string> url = fileURLForPath(argument);
  if (!url) return std::nullopt;
  return eventWithDirectObject(kCoreEventClass, kAEOpenDocuments, std::move(*url));
}

std::vector<AppleEvent> launchEventsForArguments(const std::vector<std::string>& arguments) {
  std::vector<AppleEvent> events;
  for (const std::string& argument : arguments) {
    if (std::optional<AppleEvent> event = launchEventForArgument(argument)) {
      events.push_back(std::move(*event));
    }
  }
  return events;
}

}  // namespace quietling
