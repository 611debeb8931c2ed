// getHandler: prints the path of the default application of a URL scheme or content type
// or, with --all, of every application registered for it. Exactly one "type" option
// chooses the target: a scheme (--URL) or type (--UTI) given by value, or one of five
// built-in schemes chosen by a flag.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "cmdkit/Command.h"
#include "vrax/HandlerOptions.h"
#include "vrax/LSWrappers.h"

namespace vrax {

class ReadCommand final : public cmdkit::OptionCommand {
 public:
  // Message of a lookup that found nothing; the scheme or type (or "<subtype>") follows.
  static constexpr std::string_view kNothingFound =
      "Veltrane ERROR: An incompatible combination was used, or no application is registered "
      "to handle ";

  ReadCommand();

  std::string name() const override { return name_; }
  std::string signature() const override { return signature_; }
  std::string shortDescription() const override { return shortDescription_; }
  void setupOptions(cmdkit::OptionRegistry& options) override;
  void execute(const cmdkit::CommandArguments& arguments) override;

  // The settings the options made, for inspection.
  const std::string& kind() const { return kind_; }
  bool getAll() const { return getAll_; }
  const std::optional<std::string>& contentType() const { return contentType_; }
  LSRolesMask role() const { return role_; }

 private:
  const std::string name_ = "getHandler";
  const std::string signature_;
  const std::string shortDescription_ =
      "Returns the default application registered for the URI Scheme or <subtype> you specify.";
  std::string kind_;
  bool getAll_ = false;
  std::optional<std::string> contentType_;
  std::optional<std::string> handler_;
  std::map<std::string, LSRolesMask> roles_ = roleNameTable();
  LSRolesMask role_ = platform::kLSRolesAll;
};

}  // namespace vrax
