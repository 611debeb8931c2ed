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

  statusCode_ = LSWrappers::getBundleID(inApplication_, bundleID_);
  if (statusCode_ != LSErrors::noError) {
    throw cmdkit::CLIError::error(
        LSErrors::fromStatus(statusCode_).message(inApplication_, target));
  }

  if (kind_ == "URL" && contentType_) {
    statusCode_ = LSWrappers::Schemes::setDefaultHandler(*contentType_, *bundleID_);
  } else if (kind_ == "UTI" && contentType_) {
    statusCode_ = LSWrappers::ensureRegistered(*bundleID_)
                      ? LSWrappers::services().LSSetDefaultRoleHandlerForContentType(
                            *contentType_, role_, *bundleID_)
                      : Status{LSErrors::appNotFound};
  } else if (isBuiltInScheme(kind_)) {
    statusCode_ = LSWrappers::Schemes::setDefaultHandler(kind_, *bundleID_);
  } else {
    statusCode_ = LSErrors::defaultErr;
  }

  try {
    LSWrappers::displayAlert(statusCode_, bundleID_, target);
  } catch (const LSWrappers::ErrorText& failure) {
    writeStandardOutput(failure.text() + "\n");
  }
}

}  // namespace vrax
