#include "fuzz/FuzzCommandLine.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cmdkit/CLI.h"
#include "cmdkit/CommandArguments.h"
#include "cmdkit/CommandSignature.h"
#include "cmdkit/HelpCommand.h"
#include "cmdkit/LightweightCommand.h"
#include "cmdkit/MisusedOptionsMessageGenerator.h"
#include "cmdkit/OptionParser.h"
#include "cmdkit/OptionRegistry.h"
#include "cmdkit/RawArguments.h"
#include "cmdkit/Router.h"
#include "cmdkit/UsageStatementGenerator.h"

namespace fuzz {
namespace {

using cmdkit::RawArgument;
using Classification = RawArgument::Classification;

[[noreturn]] void broken(const char* promise) {
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

void check(bool holds, const char* promise) {
  if (!holds) broken(promise);
}

// Counts the actions the parser runs.
struct Tally {
  std::size_t flags = 0;
  std::size_t keys = 0;
};

std::shared_ptr<cmdkit::ChainableCommand> makeQueryCommand(const std::shared_ptr<Tally>& tally) {
  auto query = std::make_shared<cmdkit::ChainableCommand>("query");
  query->withSignature("<target> [<extra>] ...")
      .withOptionsSetupBlock([tally](cmdkit::OptionRegistry& options) {
        const auto flag = [tally] { ++tally->flags; };
        const auto key = [tally](const std::string&) { ++tally->keys; };
        options.addGroup("type", true, true);
        options.addGroup("mode", false, true);
        options.addGroup("r\xC3\xB4le", true, false);
        options.addFlags({"--internet", "--web", "-i"}, "Web", "type", flag);
        options.addFlags({"--mail", "-m"}, "Mail", "type", flag);
        options.addKeys({"--URL", "-u"}, "Subtype", "subtype", "type", key);
        options.addFlags({"--fast"}, "Fast", "mode", flag);
        options.addFlags({"--slow", "--\xC3\x89T\xC3\x89"}, "Slow", "mode", flag);
        options.addKeys({"--role", "-r"}, "Role", "role", "r\xC3\xB4le", key);
        options.addFlags({"--all", "-a"}, "All", "options", flag);
        options.addFlags({"--all"}, "All again", "options", flag);
        options.addKeys({"--" + std::string(45, 'k')}, "Long", "v", "options", key);
        options.addFlags({"-h", "--help"}, "Help", "options", flag);
        options.setExitEarlyOptions({"-h", "--help"});
      });
  return query;
}

void checkLinks(const cmdkit::RawArguments& arguments) {
  const auto& tokens = arguments.arguments();
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    check(tokens[i]->index() == static_cast<long>(i), "tokens are indexed in order");
    check(tokens[i]->next() == (i + 1 < tokens.size() ? tokens[i + 1] : nullptr),
          "each token links to the next");
    check(tokens[i]->value() != "-", "a lone dash vanishes");
    check(tokens[i]->classification() ==
              (i == 0 ? Classification::appName : Classification::unclassified),
          "only the program name is classified at first");
  }
}

}  // namespace

void fuzzCommandLine(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  cmdkit::CLI::resetForTesting();
  cmdkit::CLI::setup("prog");
  cmdkit::CLI::addAlias("q", "query");
  cmdkit::CLI::addAlias("ls", "query --all");
  cmdkit::CLI::addAlias("query", "query query");  // contains its own word
  auto tally = std::make_shared<Tally>();
  const auto query = makeQueryCommand(tally);
  cmdkit::CLI::registerCommand(query);

  auto arguments = std::make_shared<cmdkit::RawArguments>(text);
  checkLinks(*arguments);

  std::vector<std::shared_ptr<cmdkit::Command>> available = cmdkit::CLI::commands();
  available.push_back(cmdkit::CLI::helpCommand());
  available.push_back(cmdkit::CLI::versionCommand());
  const std::shared_ptr<cmdkit::Command> command =
      cmdkit::CLI::router()->route(available, cmdkit::CLI::aliases(), arguments);
  if (!command) {
    for (const auto& token : arguments->arguments()) {
      check(token->classification() != Classification::commandName,
            "no command word without a command");
    }
    return;
  }

  // The command word is the first word after the program name.
  const auto& tokens = arguments->arguments();
  check(tokens.size() >= 2 && tokens[1]->classification() == Classification::commandName,
        "the routed word is the command word");
  check(tokens[0]->classification() == Classification::appName, "the program name stays");
  for (std::size_t i = 2; i < tokens.size(); ++i) {
    check(tokens[i]->isUnclassified(), "routing classifies one word");
  }

  std::shared_ptr<cmdkit::OptionRegistry> registry;
  std::set<const RawArgument*> expectedOptions;
  if (auto optionCommand = std::dynamic_pointer_cast<cmdkit::OptionCommand>(command)) {
    registry = std::make_shared<cmdkit::OptionRegistry>();
    optionCommand->setupOptions(*registry);
    // What the parser owes: every unclassified token beginning with "-", and the value
    // each key takes.
    std::size_t optionArguments = 0;
    for (const auto& token : arguments->unclassifiedArguments()) {
      if (!token->value().starts_with('-')) continue;
      ++optionArguments;
      expectedOptions.insert(token.get());
      const auto next = token->next();
      if (!registry->flagBlocks().contains(token->value()) &&
          registry->keyBlocks().contains(token->value()) && next && next->isUnclassified() &&
          !next->value().starts_with('-')) {
        expectedOptions.insert(next.get());
      }
    }
    const cmdkit::OptionParserResult result =
        cmdkit::CLI::optionParser()->parseOptions(*arguments, registry);
    std::size_t misused = 0;
    if (result.kind() == cmdkit::OptionParserResult::Kind::incorrectOptionUsage) {
      const cmdkit::IncorrectOptionUsage& misuse = *result.usage();
      check(!misuse.empty(), "misuse is reported only when there is some");
      misused = misuse.unrecognizedOptions.size() + misuse.keysNotGivenValue.size();
      const std::optional<std::string> message =
          cmdkit::CLI::misusedOptionsMessageGenerator()->makeMisusedOptionsMessage(*command,
                                                                                   misuse);
      const bool silent = optionCommand->unrecognizedOptionsPrintingBehavior() ==
                          cmdkit::UnrecognizedOptionsPrintingBehavior::printNone;
      check(message.has_value() != silent, "a message exactly unless the command wants none");
      check(!message || (!message->empty() && message->back() == '\n'),
            "the misuse message ends a line");
    } else if (result.kind() == cmdkit::OptionParserResult::Kind::success) {
      check(tally->flags + tally->keys == optionArguments, "success means every option acted");
    }
    if (result.kind() != cmdkit::OptionParserResult::Kind::exitEarly) {
      check(tally->flags + tally->keys + misused == optionArguments,
            "each option argument acts or is reported once");
    }
    const std::string usage =
        cmdkit::CLI::usageStatementGenerator()->makeUsageStatement(*command, registry.get());
    check(usage.starts_with(command->usageLine()),
          "the usage statement starts with the usage line");
  }

  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const RawArgument& token = *tokens[i];
    const Classification expected = i == 0   ? Classification::appName
                                    : i == 1 ? Classification::commandName
                                    : expectedOptions.contains(&token)
                                        ? Classification::option
                                        : Classification::unclassified;
    check(token.classification() == expected, "each token is classified exactly as owed");
  }

  const auto signature = cmdkit::CLI::commandSignatureType()(command->signature());
  const std::size_t words = arguments->unclassifiedArguments().size();
  const std::size_t required = signature->requiredParameters().size();
  const std::size_t optional = signature->optionalParameters().size();
  const bool fits = signature->isEmpty()
                        ? words == 0
                        : words >= required && (signature->collectRemainingArguments() ||
                                                words <= required + optional);
  try {
    const cmdkit::CommandArguments bound(*arguments, *signature);
    check(fits, "a count that does not fit is refused");
    std::size_t boundWords = 0;
    for (const auto& [name, value] : bound.keyedArguments()) {
      boundWords += std::holds_alternative<std::string>(value)
                        ? 1
                        : std::get<std::vector<std::string>>(value).size();
    }
    check(boundWords == words, "every positional word is bound once");
  } catch (const cmdkit::CommandArgumentParserError& e) {
    check(!fits, "a count that fits is accepted");
    check(e.message().starts_with("Expected "), "the count message");
  }
}

}  // namespace fuzz
