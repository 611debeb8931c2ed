// The event a launch is for. A desktop opener starts the application with the URL or
// file to open as its argument ("Exec=Quietling %u"); each argument becomes the event
// that delivers it: a URL whose scheme is not "file" is a get-URL event, a file-system
// path or a "file:" URL is an open-documents event. The direct object of either is a
// URL text: the URL as given, or the file's "file:" URL.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quietling/AppleEvent.h"

namespace quietling {

enum class LaunchEventKind { getURL, openDocuments };

// A text that starts with a URL scheme (a letter, then letters, digits, '+', '-' or
// '.', then ':') is a URL; anything else is a path. The scheme "file" (in any letter
// case) names a file.
LaunchEventKind classifyLaunchArgument(std::string_view argument);

// The event for one argument; none for the empty text, or a relative path when the
// current folder cannot be determined.
std::optional<AppleEvent> launchEventForArgument(std::string_view argument);

// The events for the arguments after the program name, in order.
std::vector<AppleEvent> launchEventsForArguments(const std::vector<std::string>& arguments);

}  // namespace quietling
