#include "cmdkit/LightweightCommand.h"

#include <utility>

namespace cmdkit {

LightweightCommand::LightweightCommand(std::string name) : name_(std::move(name)) {}

std::string LightweightCommand::name() const { return name_; }
void LightweightCommand::setName(std::string name) { name_ = std::move(name); }

std::string LightweightCommand::signature() const { return signature_; }
void LightweightCommand::setSignature(std::string signature) { signature_ = std::move(signature); }

std::string LightweightCommand::shortDescription() const { return shortDescription_; }
void LightweightCommand::setShortDescription(std::string shortDescription) {
  shortDescription_ = std::move(shortDescription);
}

bool LightweightCommand::failOnUnrecognizedOptions() const { return failOnUnrecognizedOptions_; }
void LightweightCommand::setFailOnUnrecognizedOptions(bool fail) {
  failOnUnrecognizedOptions_ = fail;
}

UnrecognizedOptionsPrintingBehavior LightweightCommand::unrecognizedOptionsPrintingBehavior()
    const {
  return unrecognizedOptionsPrintingBehavior_;
}
void LightweightCommand::setUnrecognizedOptionsPrintingBehavior(
    UnrecognizedOptionsPrintingBehavior value) {
  unrecognizedOptionsPrintingBehavior_ = value;
}

const LightweightCommand::ExecutionBlock& LightweightCommand::executionBlock() const {
  return executionBlock_;
}
void LightweightCommand::setExecutionBlock(ExecutionBlock block) {
  executionBlock_ = std::move(block);
}

const LightweightCommand::OptionsSetupBlock& LightweightCommand::optionsSetupBlock() const {
  return optionsSetupBlock_;
}
void LightweightCommand::setOptionsSetupBlock(OptionsSetupBlock block) {
  optionsSetupBlock_ = std::move(block);
}

void LightweightCommand::setupOptions(OptionRegistry& options) {
  if (const OptionsSetupBlock& block = optionsSetupBlock()) block(options);
}

void LightweightCommand::execute(const CommandArguments& arguments) {
  if (const ExecutionBlock& block = executionBlock()) block(arguments);
}

ChainableCommand& ChainableCommand::withSignature(std::string signature) {
  setSignature(std::move(signature));
  return *this;
}

ChainableCommand& ChainableCommand::withShortDescription(std::string shortDescription) {
  setShortDescription(std::move(shortDescription));
  return *this;
}

ChainableCommand& ChainableCommand::withOptionsSetupBlock(OptionsSetupBlock block) {
  setOptionsSetupBlock(std::move(block));
  return *this;
}

ChainableCommand& ChainableCommand::withUnrecognizedOptionsPrintingBehavior(
    UnrecognizedOptionsPrintingBehavior value) {
  setUnrecognizedOptionsPrintingBehavior(value);
  return *this;
}

ChainableCommand& ChainableCommand::withFailOnUnrecognizedOptions(bool fail) {
  setFailOnUnrecognizedOptions(fail);
  return *this;
}

ChainableCommand& ChainableCommand::withExecutionBlock(ExecutionBlock block) {
  setExecutionBlock(std::move(block));
  return *this;
}

}  // namespace cmdkit
