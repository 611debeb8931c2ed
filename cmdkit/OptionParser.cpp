#include "cmdkit/OptionParser.h"

#include <algorithm>

#include "cmdkit/OptionRegistry.h"
#include "cmdkit/RawArguments.h"
#include "cmdkit/Text.h"

namespace cmdkit {
namespace {

bool namesOneOf(const std::string& argument, const std::vector<std::string>& names) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& name) { return equalIgnoringCase(argument, name); });
}

}  // namespace

bool IncorrectOptionUsage::empty() const {
  return unrecognizedOptions.empty() && keysNotGivenValue.empty() &&
         requiredOptionsMissing.empty() && conflictingOptions.empty();
}

OptionParserResult DefaultOptionParser::parseOptions(
    RawArguments& arguments, const std::shared_ptr<OptionRegistry>& registry) {
  RawArguments::ArgumentList optionArguments;
  for (std::shared_ptr<RawArgument>& argument : arguments.unclassifiedArguments()) {
    if (argument->value().starts_with('-')) optionArguments.push_back(std::move(argument));
  }

  IncorrectOptionUsage misuse;
  misuse.optionRegistry = registry;

  for (const std::shared_ptr<Option>& summary : registry->requiredGroupOptions()) {
    const bool satisfied = std::any_of(
        optionArguments.begin(), optionArguments.end(),
        [&](const auto& argument) { return namesOneOf(argument->value(), summary->options()); });
    if (!satisfied) misuse.requiredOptionsMissing[summary->group()] = join(summary->options(), "|");
  }

  for (const std::shared_ptr<Option>& summary : registry->conflictingGroupOptions()) {
    if (summary->options().empty()) continue;
    std::vector<std::string> given;
    for (const std::shared_ptr<RawArgument>& argument : optionArguments) {
      if (namesOneOf(argument->value(), summary->options())) given.push_back(argument->value());
    }
    if (given.size() >= 2) misuse.conflictingOptions[summary->group()] = std::move(given);
  }

  const std::map<std::string, FlagAction>& flagBlocks = registry->flagBlocks();
  const std::map<std::string, KeyAction>& keyBlocks = registry->keyBlocks();
  const std::vector<std::string>& exitEarlyOptions = registry->exitEarlyOptions();
  bool exitEarly = false;
  for (const std::shared_ptr<RawArgument>& argument : optionArguments) {
    argument->setClassification(RawArgument::Classification::option);
    const std::string& value = argument->value();
    if (const auto flag = flagBlocks.find(value); flag != flagBlocks.end()) {
      if (flag->second) flag->second();
    } else if (const auto key = keyBlocks.find(value); key != keyBlocks.end()) {
      const std::shared_ptr<RawArgument> next = argument->next();
      if (next && next->isUnclassified() && !next->value().starts_with('-')) {
        next->setClassification(RawArgument::Classification::option);
        if (key->second) key->second(next->value());
      } else {
        misuse.keysNotGivenValue.push_back(value);
      }
    } else {
      misuse.unrecognizedOptions.push_back(value);
    }
    if (std::find(exitEarlyOptions.begin(), exitEarlyOptions.end(), value) !=
        exitEarlyOptions.end()) {
      exitEarly = true;
    }
  }

  if (exitEarly) return OptionParserResult::exitEarly();
  if (!misuse.empty()) return OptionParserResult::incorrectOptionUsage(std::move(misuse));
  return OptionParserResult::success();
}

}  // namespace cmdkit
