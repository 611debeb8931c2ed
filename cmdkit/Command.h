// The command model: every command the framework can run is a Command (a name, a
// positional-argument signature, a one-line description and execute). A command that
// also declares options is an OptionCommand, which adds setupOptions and three switches
// that steer how CLI::go treats its options.
#pragma once

#include <string>

namespace cmdkit {

class CommandArguments;
class OptionRegistry;

// What the misused-options message generator prints when option parsing finds misuse.
enum class UnrecognizedOptionsPrintingBehavior {
  printNone = 0,
  printOnlyUnrecognizedOptions = 1,
  printOnlyUsage = 2,
  printAll = 3,
};

class Command {
 public:
  virtual ~Command() = default;

  // The command word the router matches.
  virtual std::string name() const = 0;
  // Positional-parameter signature text such as "<a> [<b>] ..."; may be empty.
  virtual std::string signature() const = 0;
  // One line shown in the help listing.
  virtual std::string shortDescription() const = 0;
  // Runs the command. Fails by throwing, normally a CLIError.
  virtual void execute(const CommandArguments& arguments) = 0;

  // "Usage: " + CLI::name(), then " " + name() if not empty, then " " + signature() if
  // not empty. No line break.
  std::string usageLine() const;
};

class OptionCommand : public Command {
 public:
  // True: any option misuse ends the run with status 1 after the message.
  virtual bool failOnUnrecognizedOptions() const { return true; }
  // What the misuse message shows.
  virtual UnrecognizedOptionsPrintingBehavior unrecognizedOptionsPrintingBehavior() const {
    return UnrecognizedOptionsPrintingBehavior::printAll;
  }
  // True: go adds the "-h"/"--help" flag that prints the usage statement, status 0.
  virtual bool helpOnHFlag() const { return true; }
  // Declares the command's flags and keyed options on a fresh registry.
  virtual void setupOptions(OptionRegistry& options) = 0;
};

}  // namespace cmdkit
