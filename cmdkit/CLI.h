// CLI is the framework's single entry object: the process-wide configuration (program
// name, version, description, commands, aliases and the replaceable stages that do the
// work), the set-up and registration operations a program calls at start, and the run
// of one invocation.
//
// A program's main reads:
//
//   cmdkit::CLI::setup("tool", "1.0", "What the tool does.");
//   cmdkit::CLI::registerCommands({std::make_shared<MyCommand>(), ...});
//   return cmdkit::CLI::go();
//
// go routes the command line to a command, applies its options, binds its positional
// arguments, executes it, flushes standard output, reports any failure (output that
// could not be written included) on standard error and returns the exit status (0 or
// 1); it never throws and never ends the process. Everything lives in
// static members, initialised on first use; each stage may be replaced before go.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cmdkit/Router.h"

namespace cmdkit {

class ChainableCommand;
class Command;
class CommandArgumentParser;
class CommandSignature;
class HelpCommand;
class MisusedOptionsMessageGenerator;
class OptionParser;
class RawArgumentParser;
class RawArguments;
class UsageStatementGenerator;

// Makes the CommandSignature of a signature text.
using CommandSignatureFactory =
    std::function<std::shared_ptr<CommandSignature>(const std::string& signature)>;

class CLI {
 public:
  CLI() = delete;

  static const std::string& name();
  static void setName(std::string name);
  static const std::string& version();
  static void setVersion(std::string version);
  static const std::string& description();
  static void setDescription(std::string description);
  // The program's own commands, in registration order.
  static const std::vector<std::shared_ptr<Command>>& commands();
  // Alias word -> command name (possibly several words).
  static const AliasTable& aliases();

  static const std::shared_ptr<HelpCommand>& helpCommand();
  static void setHelpCommand(std::shared_ptr<HelpCommand> command);
  static const std::shared_ptr<Command>& versionCommand();
  static void setVersionCommand(std::shared_ptr<Command> command);
  static const std::shared_ptr<Router>& router();
  static void setRouter(std::shared_ptr<Router> router);
  static const std::shared_ptr<UsageStatementGenerator>& usageStatementGenerator();
  static void setUsageStatementGenerator(std::shared_ptr<UsageStatementGenerator> generator);
  static const std::shared_ptr<MisusedOptionsMessageGenerator>& misusedOptionsMessageGenerator();
  static void setMisusedOptionsMessageGenerator(
      std::shared_ptr<MisusedOptionsMessageGenerator> generator);
  static const std::shared_ptr<RawArgumentParser>& rawArgumentParser();
  static void setRawArgumentParser(std::shared_ptr<RawArgumentParser> parser);
  static const std::shared_ptr<CommandArgumentParser>& commandArgumentParser();
  static void setCommandArgumentParser(std::shared_ptr<CommandArgumentParser> parser);
  static const std::shared_ptr<OptionParser>& optionParser();
  static void setOptionParser(std::shared_ptr<OptionParser> parser);
  static const CommandSignatureFactory& commandSignatureType();
  static void setCommandSignatureType(CommandSignatureFactory factory);

  // Sets the name, and the version and description when given; installs the aliases
  // "-h" -> "help" and "-v" -> "version".
  static void setup(std::string name, std::optional<std::string> version = std::nullopt,
                    std::optional<std::string> description = std::nullopt);
  static void registerCommand(std::shared_ptr<Command> command);
  static void registerCommands(const std::vector<std::shared_ptr<Command>>& commands);
  // Registers a new ChainableCommand with that name and returns it for configuration.
  static std::shared_ptr<ChainableCommand> registerChainableCommand(std::string name);
  static void addAlias(std::string from, std::string to);
  static void removeAlias(const std::string& from);

  // Runs one invocation on the process's own argument vector; returns 0 or 1.
  static int go();
  // Prints "[Debug Mode]", then runs as go does on the tokens of `commandLine`, which
  // must begin with the program name.
  static int debugGo(const std::string& commandLine);
  // Runs one invocation on an argument list already built.
  static int run(std::shared_ptr<RawArguments> arguments);

  // Writes `message` and `terminator` to standard error with one write.
  static void printError(std::string_view message, std::string_view terminator = "\n");

  // Puts every static member back to its initial state, so tests can run go many times
  // in one process. Programs never need it.
  static void resetForTesting();
};

}  // namespace cmdkit
