// The built-in "help" and "version" commands that every program on the framework has.
// CLI::go appends them after the registered commands, hands the help command the
// complete list before routing, and runs it when routing finds no command.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cmdkit/Command.h"

namespace cmdkit {

class HelpCommand : public OptionCommand {
 public:
  // The commands the listing shows, in order; set by go before routing.
  virtual const std::vector<std::shared_ptr<Command>>& availableCommands() const = 0;
  virtual void setAvailableCommands(std::vector<std::shared_ptr<Command>> commands) = 0;
  // Whether the listing starts with CLI::description(); go switches it off after
  // reporting a word that names no command.
  virtual bool printCLIDescription() const = 0;
  virtual void setPrintCLIDescription(bool print) = 0;
  // True: go runs the help command after reporting any error.
  virtual bool printHelpAfterError() const = 0;
};

// Prints the description (if any), "Available commands: " and one line per command:
// "- ", the name padded with spaces to 40 characters, the short description. A name
// longer than 40 characters is followed by one space.
class DefaultHelpCommand : public HelpCommand {
 public:
  DefaultHelpCommand() = default;

  std::string name() const override { return "help"; }
  std::string signature() const override { return "[<opt>] ..."; }
  std::string shortDescription() const override { return "Prints this help information"; }
  bool failOnUnrecognizedOptions() const override { return false; }
  UnrecognizedOptionsPrintingBehavior unrecognizedOptionsPrintingBehavior() const override {
    return UnrecognizedOptionsPrintingBehavior::printNone;
  }
  bool helpOnHFlag() const override { return false; }
  bool printHelpAfterError() const override { return false; }

  const std::vector<std::shared_ptr<Command>>& availableCommands() const override;
  void setAvailableCommands(std::vector<std::shared_ptr<Command>> commands) override;
  bool printCLIDescription() const override;
  void setPrintCLIDescription(bool print) override;

  // Declares nothing.
  void setupOptions(OptionRegistry& options) override;
  // Prints the listing on standard output; the arguments are ignored.
  void execute(const CommandArguments& arguments) override;
  // Prints the listing line of one command.
  virtual void printLine(const Command& command);

 private:
  std::vector<std::shared_ptr<Command>> availableCommands_;
  bool printCLIDescription_ = true;
};

// Prints "Version: " and CLI::version().
class VersionCommand : public Command {
 public:
  VersionCommand() = default;

  std::string name() const override { return "version"; }
  std::string signature() const override { return ""; }
  std::string shortDescription() const override { return "Prints the current version of this app"; }
  void execute(const CommandArguments& arguments) override;
};

}  // namespace cmdkit
