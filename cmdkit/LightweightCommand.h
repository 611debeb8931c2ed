// LightweightCommand builds a command from stored properties and closures instead of a
// class of its own; ChainableCommand adds setters that return the command itself, so a
// program can configure the object that CLI::registerChainableCommand returned in one
// expression:
//
//   cmdkit::CLI::registerChainableCommand("greet")
//       ->withSignature("<name>")
//       .withShortDescription("Greets someone")
//       .withExecutionBlock([](const cmdkit::CommandArguments& a) { ... });
#pragma once

#include <functional>
#include <string>

#include "cmdkit/Command.h"

namespace cmdkit {

class LightweightCommand : public OptionCommand {
 public:
  using ExecutionBlock = std::function<void(const CommandArguments&)>;
  using OptionsSetupBlock = std::function<void(OptionRegistry&)>;

  explicit LightweightCommand(std::string name);

  std::string name() const override;
  virtual void setName(std::string name);
  std::string signature() const override;
  virtual void setSignature(std::string signature);
  std::string shortDescription() const override;
  virtual void setShortDescription(std::string shortDescription);
  bool failOnUnrecognizedOptions() const override;
  virtual void setFailOnUnrecognizedOptions(bool fail);
  UnrecognizedOptionsPrintingBehavior unrecognizedOptionsPrintingBehavior() const override;
  virtual void setUnrecognizedOptionsPrintingBehavior(UnrecognizedOptionsPrintingBehavior value);
  // Empty (no target) when none is set.
  virtual const ExecutionBlock& executionBlock() const;
  virtual void setExecutionBlock(ExecutionBlock block);
  virtual const OptionsSetupBlock& optionsSetupBlock() const;
  virtual void setOptionsSetupBlock(OptionsSetupBlock block);

  // Always true: a lightweight command answers -h/--help with its usage statement.
  bool helpOnHFlag() const override { return true; }

  // Calls optionsSetupBlock when set; otherwise declares nothing.
  void setupOptions(OptionRegistry& options) override;
  // Calls executionBlock when set and lets its error pass; otherwise does nothing.
  void execute(const CommandArguments& arguments) override;

 private:
  std::string name_;
  std::string signature_;
  std::string shortDescription_;
  bool failOnUnrecognizedOptions_ = true;
  UnrecognizedOptionsPrintingBehavior unrecognizedOptionsPrintingBehavior_ =
      UnrecognizedOptionsPrintingBehavior::printAll;
  ExecutionBlock executionBlock_;
  OptionsSetupBlock optionsSetupBlock_;
};

// Each with... setter stores its value through the matching (overridable) set accessor,
// replacing any earlier value, and returns this same object.
class ChainableCommand : public LightweightCommand {
 public:
  using LightweightCommand::LightweightCommand;

  virtual ChainableCommand& withSignature(std::string signature);
  virtual ChainableCommand& withShortDescription(std::string shortDescription);
  virtual ChainableCommand& withOptionsSetupBlock(OptionsSetupBlock block);
  virtual ChainableCommand& withUnrecognizedOptionsPrintingBehavior(
      UnrecognizedOptionsPrintingBehavior value);
  virtual ChainableCommand& withFailOnUnrecognizedOptions(bool fail);
  virtual ChainableCommand& withExecutionBlock(ExecutionBlock block);
};

}  // namespace cmdkit
