#include "vrax/SetCommand.h"

#include "cmdkit/CLIError.h"
#include "vrax/Output.h"

namespace vrax {

SetCommand::SetCommand() = default;

void SetCommand::setupOptions(cmdkit::OptionRegistry& options) {
  options.addGroup("type", true, true);
  options.addGroup("application", true, true);
  addTypeOptions(options, HandlerVerb::changes, contentType_, kind_);
  options.addKeys({"--app", "--application"},
                  "The <application> to register as default handler. Specifying \"None\" will "
                  "remove the currently registered handler.",
                  "application", "application",
                  [this](const std::string& value) { inApplication_ = value; });
  options.addKeys(
      {"--role"}, std::string(kRoleUsage), "role", "options",
      [this](const std::string& value) { role_ = roleBits(roles_, value, platform::kLSRolesAll); });
}

void SetCommand::execute(const cmdkit::CommandArguments& /*arguments*/) {
  using LSErrors = LSWrappers::LSErrors;
  const std::string target = contentType_.value_or(kind_);

  status_ = LSWrappers::getBundleID(inApplication_, bundleID_);
  if (!status_.ok()) {
    throw cmdkit::CLIError::error(
        LSErrors::fromStatus(status_.code()).message(inApplication_, target));
  }

  if (kind_ == "URL" && contentType_) {
    status_ = LSWrappers::Schemes::setDefaultHandler(*contentType_, *bundleID_);
  } else if (kind_ == "UTI" && contentType_) {
    status_ = LSWrappers::ensureRegistered(*bundleID_);
    status_ = status_.ok() ? LSWrappers::services().LSSetDefaultRoleHandlerForContentType(
                                 *contentType_, role_, *bundleID_)
                           : status_.withCode(LSErrors::appNotFound);
  } else if (isBuiltInScheme(kind_)) {
    status_ = LSWrappers::Schemes::setDefaultHandler(kind_, *bundleID_);
  } else {
    status_ = LSErrors(LSErrors::defaultErr).status();
  }

  try {
    LSWrappers::displayAlert(status_.code(), bundleID_, target);
  } catch (const LSWrappers::ErrorText& failure) {
    writeStandardOutput(failure.text() + "\n");
  }
  // The status line says what failed; the reason says which file and why.
  if (!status_.ok() && !status_.toString().empty()) {
    writeStandardError("vrax: " + status_.toString() + "\n");
  }
}

}  // namespace vrax
