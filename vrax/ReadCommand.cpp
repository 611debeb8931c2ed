#include "vrax/ReadCommand.h"

#include <utility>

#include "cmdkit/CLIError.h"
#include "vrax/Output.h"

namespace vrax {

namespace {

// A role name outside the table asks for viewer and editor.
constexpr LSRolesMask kUnknownRoleBits = platform::kLSRolesViewer | platform::kLSRolesEditor;

std::optional<std::string> joinLines(const std::optional<std::vector<std::string>>& lines) {
  if (!lines) return std::nullopt;
  std::string text;
  for (const auto& line : *lines) {
    if (&line != &lines->front()) text += '\n';
    text += line;
  }
  return text;
}

}  // namespace

ReadCommand::ReadCommand() = default;

void ReadCommand::setupOptions(cmdkit::OptionRegistry& options) {
  options.addGroup("type", true, true);
  addTypeOptions(options, HandlerVerb::returns, contentType_, kind_);
  options.addFlags(
      {"--all"},
      "When this flag is added, a list of all applications registered for that content will "
      "printed.",
      "options", [this] { getAll_ = true; });
  options.addKeys(
      {"--role"}, std::string(kRoleUsage), "role", "options",
      [this](const std::string& value) { role_ = roleBits(roles_, value, kUnknownRoleBits); });
}

void ReadCommand::execute(const cmdkit::CommandArguments& /*arguments*/) {
  constexpr bool kAsPath = true;  // the commands always show applications by their paths
  if ((kind_ == "UTI" || kind_ == "URL") && contentType_) {
    if (getAll_) {
      handler_ = joinLines(
          kind_ == "URL" ? LSWrappers::Schemes::copyAllHandlers(*contentType_, kAsPath)
                         : LSWrappers::UTType::copyAllHandlers(*contentType_, role_, kAsPath));
    } else {
      handler_ = kind_ == "URL"
                     ? LSWrappers::Schemes::copyDefaultHandler(*contentType_, kAsPath)
                     : LSWrappers::UTType::copyDefaultHandler(*contentType_, role_, kAsPath);
    }
  } else if (isBuiltInScheme(kind_) && !getAll_) {
    handler_ = LSWrappers::Schemes::copyDefaultHandler(kind_, kAsPath);
  } else {
    handler_.reset();
  }

  if (!handler_) {
    throw cmdkit::CLIError::error(std::string(kNothingFound) + contentType_.value_or("<subtype>"));
  }
  writeStandardOutput(*handler_ + "\n");
}

}  // namespace vrax
