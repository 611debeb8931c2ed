// setHandler: makes an application the default handler of a URL scheme or content type.
// One "type" option chooses the target, as for getHandler; --app names the application
// by bundle identifier, name, path or file URL, or "None" for the placeholder. The
// outcome is reported by displayAlert: the success line, or the failure text, both on
// standard output; a failure's reason (the file, the line, why) follows on standard
// error as "vrax: PATH:LINE: reason". Only an application that cannot be resolved fails
// the run.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "cmdkit/Command.h"
#include "vrax/HandlerOptions.h"
#include "vrax/LSWrappers.h"

namespace vrax {

class SetCommand final : public cmdkit::OptionCommand {
 public:
  SetCommand();

  bool failOnUnrecognizedOptions() const override { return failOnUnrecognizedOptions_; }
  std::string name() const override { return name_; }
  std::string signature() const override { return signature_; }
  std::string shortDescription() const override { return shortDescription_; }
  void setupOptions(cmdkit::OptionRegistry& options) override;
  void execute(const cmdkit::CommandArguments& arguments) override;

  // The settings the options and the run made, for inspection.
  const std::string& kind() const { return kind_; }
  const std::optional<std::string>& contentType() const { return contentType_; }
  const std::string& inApplication() const { return inApplication_; }
  const std::optional<std::string>& bundleID() const { return bundleID_; }
  Status::Code statusCode() const { return status_.code(); }
  const Status& status() const { return status_; }
  LSRolesMask role() const { return role_; }

 private:
  bool failOnUnrecognizedOptions_ = true;
  const std::string name_ = "setHandler";
  const std::string signature_;
  const std::string shortDescription_ =
      "Sets <application> as the default handler for a given <type>/<subtype> combination.";
  std::string kind_;
  std::optional<std::string> contentType_;
  std::string inApplication_ = "None";
  std::optional<std::string> bundleID_;
  Status status_ = Status::error(LSWrappers::LSErrors::defaultErr);
  std::map<std::string, LSRolesMask> roles_ = roleNameTable();
  LSRolesMask role_ = platform::kLSRolesAll;
};

}  // namespace vrax
