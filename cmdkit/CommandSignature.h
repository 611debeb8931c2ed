// A command's positional parameters, parsed from its signature text: "<name>" is a
// required parameter, "[<name>]" an optional one, and "..." collects the remaining words
// into the last parameter. Other pieces are ignored. CLI::commandSignatureType() makes
// the signature of a run from the command's text.
#pragma once

#include <string>
#include <vector>

namespace cmdkit {

class CommandSignature {
 public:
  virtual ~CommandSignature() = default;

  virtual const std::vector<std::string>& requiredParameters() const = 0;
  virtual void setRequiredParameters(std::vector<std::string> parameters) = 0;
  virtual const std::vector<std::string>& optionalParameters() const = 0;
  virtual void setOptionalParameters(std::vector<std::string> parameters) = 0;
  virtual bool collectRemainingArguments() const = 0;
  virtual void setCollectRemainingArguments(bool collect) = 0;
  virtual void addRequiredParameter(const std::string& name) = 0;
  virtual void addOptionalParameter(const std::string& name) = 0;
  // True when both parameter lists are empty, whatever collectRemainingArguments says.
  virtual bool isEmpty() const = 0;
};

class DefaultCommandSignature : public CommandSignature {
 public:
  DefaultCommandSignature() = default;
  // Parses `signature`; unrecognised pieces are skipped. Calls the (overridable)
  // add... operations, which a subclass sees only if it parses from its own
  // constructor through parse().
  explicit DefaultCommandSignature(const std::string& signature);

  const std::vector<std::string>& requiredParameters() const override;
  void setRequiredParameters(std::vector<std::string> parameters) override;
  const std::vector<std::string>& optionalParameters() const override;
  void setOptionalParameters(std::vector<std::string> parameters) override;
  bool collectRemainingArguments() const override;
  void setCollectRemainingArguments(bool collect) override;
  void addRequiredParameter(const std::string& name) override;
  void addOptionalParameter(const std::string& name) override;
  bool isEmpty() const override;

 protected:
  // Adds the parameters of `signature` through the add... operations.
  void parse(const std::string& signature);

 private:
  std::vector<std::string> requiredParameters_;
  std::vector<std::string> optionalParameters_;
  bool collectRemainingArguments_ = false;
};

}  // namespace cmdkit
