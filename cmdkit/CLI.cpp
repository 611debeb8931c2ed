#include "cmdkit/CLI.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <system_error>
#include <utility>

#include "cmdkit/CLIError.h"
#include "cmdkit/CommandArguments.h"
#include "cmdkit/CommandSignature.h"
#include "cmdkit/HelpCommand.h"
#include "cmdkit/LightweightCommand.h"
#include "cmdkit/MisusedOptionsMessageGenerator.h"
#include "cmdkit/OptionParser.h"
#include "cmdkit/OptionRegistry.h"
#include "cmdkit/RawArguments.h"
#include "cmdkit/Text.h"
#include "cmdkit/UsageStatementGenerator.h"

namespace cmdkit {
namespace {

// Every static member of CLI, in its initial state.
struct State {
  std::string name;
  std::string version = "1.0";
  std::string description;
  std::vector<std::shared_ptr<Command>> commands;
  AliasTable aliases;
  std::shared_ptr<HelpCommand> helpCommand = std::make_shared<DefaultHelpCommand>();
  std::shared_ptr<Command> versionCommand = std::make_shared<VersionCommand>();
  std::shared_ptr<Router> router = std::make_shared<DefaultRouter>();
  std::shared_ptr<UsageStatementGenerator> usageStatementGenerator =
      std::make_shared<DefaultUsageStatementGenerator>();
  std::shared_ptr<MisusedOptionsMessageGenerator> misusedOptionsMessageGenerator =
      std::make_shared<DefaultMisusedOptionsMessageGenerator>();
  std::shared_ptr<RawArgumentParser> rawArgumentParser =
      std::make_shared<DefaultRawArgumentParser>();
  std::shared_ptr<CommandArgumentParser> commandArgumentParser =
      std::make_shared<DefaultCommandArgumentParser>();
  std::shared_ptr<OptionParser> optionParser = std::make_shared<DefaultOptionParser>();
  CommandSignatureFactory commandSignatureType = [](const std::string& signature) {
    return std::make_shared<DefaultCommandSignature>(signature);
  };
};

// The help command's list of available commands includes the help command itself; the
// list is cleared whenever a help command is dropped, so that the cycle cannot keep it
// alive.
void releaseHelpCommand(const std::shared_ptr<HelpCommand>& help) {
  if (help) help->setAvailableCommands({});
}

State& state() {
  static State instance;
  return instance;
}

// Stages are replaced, never removed: a null stage is a mistake in the program's code.
template <typename T>
void replaceStage(T& member, T replacement) {
  if (!replacement) std::abort();
  member = std::move(replacement);
}

constexpr std::string_view kHelpFlagUsage = "Show help information for this command";

// The text after "An error occurred: " for an error that is not a CLIError.
std::string describe(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown error";
  }
}

// Writes out what the run left buffered for standard output. Output that could not be
// written, now or earlier in the run, fails the run like any other error: a result that
// never reached its reader is not a success.
void flushStandardOutput() {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    const int error = errno != 0 ? errno : EIO;
    std::clearerr(stdout);
    throw std::system_error(error, std::generic_category(), "standard output");
  }
}

// Reports a failed run once, by the kind of its error.
void report(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const CLIError& e) {
    if (e.kind() == CLIError::Kind::error) CLI::printError(e.message());
  } catch (...) {
    CLI::printError("An error occurred: " + describe(std::current_exception()));
  }
}

// Declares the command's options on a fresh registry, applies them and answers whether
// the run goes on; throws when option misuse ends it.
bool applyOptions(const std::shared_ptr<OptionCommand>& command, RawArguments& arguments) {
  auto registry = std::make_shared<OptionRegistry>();
  command->setupOptions(*registry);
  if (command->helpOnHFlag()) {
    // The action lives in the registry, so it refers to it without owning it.
    OptionRegistry* const declaring = registry.get();
    registry->addFlags(
        {"-h", "--help"}, std::string(kHelpFlagUsage), std::string(kDefaultGroupName),
        [command, declaring] {
          printLine(CLI::usageStatementGenerator()->makeUsageStatement(*command, declaring));
        });
    std::vector<std::string> exitEarly = registry->exitEarlyOptions();
    exitEarly.push_back("-h");
    exitEarly.push_back("--help");
    registry->setExitEarlyOptions(std::move(exitEarly));
  }

  const OptionParserResult result = CLI::optionParser()->parseOptions(arguments, registry);
  switch (result.kind()) {
    case OptionParserResult::Kind::success:
      return true;
    case OptionParserResult::Kind::exitEarly:
      return false;
    case OptionParserResult::Kind::incorrectOptionUsage:
      break;
  }
  const std::optional<std::string> message =
      CLI::misusedOptionsMessageGenerator()->makeMisusedOptionsMessage(*command, *result.usage());
  if (message) CLI::printError(*message);
  if (command->failOnUnrecognizedOptions()) throw CLIError::emptyError();
  return true;
}

// Binds the positional words to the command's signature; reports a count that does not
// fit and throws.
CommandArguments bindArguments(const Command& command, const RawArguments& arguments) {
  std::shared_ptr<CommandSignature> signature = CLI::commandSignatureType()(command.signature());
  if (!signature) std::abort();  // The signature factory must make a signature.
  try {
    return CommandArguments(arguments, *signature);
  } catch (const CommandArgumentParserError& e) {
    CLI::printError(e.message());
    CLI::printError(command.usageLine());
    throw CLIError::emptyError();
  }
}

// Steps of one run; returns normally on success and throws the error that ends a failed run.
void runSteps(std::shared_ptr<RawArguments>& arguments) {
  std::vector<std::shared_ptr<Command>> available = state().commands;
  available.push_back(CLI::helpCommand());
  available.push_back(CLI::versionCommand());
  CLI::helpCommand()->setAvailableCommands(available);

  const std::shared_ptr<Command> command =
      CLI::router()->route(available, CLI::aliases(), arguments);
  if (!command) {
    const RawArguments::ArgumentList unclassified = arguments->unclassifiedArguments();
    if (!unclassified.empty()) {
      CLI::printError("Command \"" + unclassified.front()->value() + "\" not found\n");
      CLI::helpCommand()->setPrintCLIDescription(false);
    }
    CLI::helpCommand()->execute(CommandArguments());
    throw CLIError::emptyError();
  }

  if (auto optionCommand = std::dynamic_pointer_cast<OptionCommand>(command)) {
    if (!applyOptions(optionCommand, *arguments)) return;
  }
  command->execute(bindArguments(*command, *arguments));
}

}  // namespace

const std::string& CLI::name() { return state().name; }
void CLI::setName(std::string name) { state().name = std::move(name); }
const std::string& CLI::version() { return state().version; }
void CLI::setVersion(std::string version) { state().version = std::move(version); }
const std::string& CLI::description() { return state().description; }
void CLI::setDescription(std::string description) { state().description = std::move(description); }
const std::vector<std::shared_ptr<Command>>& CLI::commands() { return state().commands; }
const AliasTable& CLI::aliases() { return state().aliases; }

const std::shared_ptr<HelpCommand>& CLI::helpCommand() { return state().helpCommand; }
void CLI::setHelpCommand(std::shared_ptr<HelpCommand> command) {
  if (!command) std::abort();
  if (command != state().helpCommand) releaseHelpCommand(state().helpCommand);
  state().helpCommand = std::move(command);
}
const std::shared_ptr<Command>& CLI::versionCommand() { return state().versionCommand; }
void CLI::setVersionCommand(std::shared_ptr<Command> command) {
  replaceStage(state().versionCommand, std::move(command));
}
const std::shared_ptr<Router>& CLI::router() { return state().router; }
void CLI::setRouter(std::shared_ptr<Router> router) {
  replaceStage(state().router, std::move(router));
}
const std::shared_ptr<UsageStatementGenerator>& CLI::usageStatementGenerator() {
  return state().usageStatementGenerator;
}
void CLI::setUsageStatementGenerator(std::shared_ptr<UsageStatementGenerator> generator) {
  replaceStage(state().usageStatementGenerator, std::move(generator));
}
const std::shared_ptr<MisusedOptionsMessageGenerator>& CLI::misusedOptionsMessageGenerator() {
  return state().misusedOptionsMessageGenerator;
}
void CLI::setMisusedOptionsMessageGenerator(
    std::shared_ptr<MisusedOptionsMessageGenerator> generator) {
  replaceStage(state().misusedOptionsMessageGenerator, std::move(generator));
}
const std::shared_ptr<RawArgumentParser>& CLI::rawArgumentParser() {
  return state().rawArgumentParser;
}
void CLI::setRawArgumentParser(std::shared_ptr<RawArgumentParser> parser) {
  replaceStage(state().rawArgumentParser, std::move(parser));
}
const std::shared_ptr<CommandArgumentParser>& CLI::commandArgumentParser() {
  return state().commandArgumentParser;
}
void CLI::setCommandArgumentParser(std::shared_ptr<CommandArgumentParser> parser) {
  replaceStage(state().commandArgumentParser, std::move(parser));
}
const std::shared_ptr<OptionParser>& CLI::optionParser() { return state().optionParser; }
void CLI::setOptionParser(std::shared_ptr<OptionParser> parser) {
  replaceStage(state().optionParser, std::move(parser));
}
const CommandSignatureFactory& CLI::commandSignatureType() { return state().commandSignatureType; }
void CLI::setCommandSignatureType(CommandSignatureFactory factory) {
  replaceStage(state().commandSignatureType, std::move(factory));
}

void CLI::setup(std::string name, std::optional<std::string> version,
                std::optional<std::string> description) {
  setName(std::move(name));
  if (version) setVersion(std::move(*version));
  if (description) setDescription(std::move(*description));
  addAlias("-h", "help");
  addAlias("-v", "version");
}

void CLI::registerCommand(std::shared_ptr<Command> command) {
  if (!command) std::abort();  // A null command is a mistake in the program's code.
  state().commands.push_back(std::move(command));
}

void CLI::registerCommands(const std::vector<std::shared_ptr<Command>>& commands) {
  for (const std::shared_ptr<Command>& command : commands) registerCommand(command);
}

std::shared_ptr<ChainableCommand> CLI::registerChainableCommand(std::string name) {
  auto command = std::make_shared<ChainableCommand>(std::move(name));
  registerCommand(command);
  return command;
}

void CLI::addAlias(std::string from, std::string to) {
  state().aliases[std::move(from)] = std::move(to);
}

void CLI::removeAlias(const std::string& from) { state().aliases.erase(from); }

int CLI::go() { return run(std::make_shared<RawArguments>()); }

int CLI::debugGo(const std::string& commandLine) {
  printLine("[Debug Mode]");
  return run(std::make_shared<RawArguments>(commandLine));
}

int CLI::run(std::shared_ptr<RawArguments> arguments) {
  try {
    runSteps(arguments);
    flushStandardOutput();
    return 0;
  } catch (...) {
    report(std::current_exception());
  }
  if (helpCommand()->printHelpAfterError()) {
    try {
      helpCommand()->execute(CommandArguments());
    } catch (...) {
      printError("An error occurred: " + describe(std::current_exception()));
    }
  }
  return 1;
}

void CLI::printError(std::string_view message, std::string_view terminator) {
  // Keep the order of the two streams when both go to the same place.
  std::fflush(stdout);
  std::string text;
  text.reserve(message.size() + terminator.size());
  text.append(message);
  text.append(terminator);
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t result = ::write(STDERR_FILENO, text.data() + written, text.size() - written);
    if (result < 0) {
      if (errno == EINTR) continue;
      return;
    }
    written += static_cast<std::size_t>(result);
  }
}

void CLI::resetForTesting() {
  releaseHelpCommand(state().helpCommand);
  state() = State();
}

}  // namespace cmdkit
