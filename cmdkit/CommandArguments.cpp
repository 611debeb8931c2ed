#include "cmdkit/CommandArguments.h"

#include <cstdlib>
#include <utility>

#include "cmdkit/CLI.h"
#include "cmdkit/CommandSignature.h"
#include "cmdkit/RawArguments.h"

namespace cmdkit {
namespace {

// "Expected 1 argument, but got 0." / "Expected 2 arguments, but got 3."
std::string countMessage(std::size_t expected, std::size_t actual) {
  return "Expected " + std::to_string(expected) + (expected == 1 ? " argument" : " arguments") +
         ", but got " + std::to_string(actual) + ".";
}

}  // namespace

CommandArgumentParserError CommandArgumentParserError::incorrectUsage(std::string message) {
  return CommandArgumentParserError(std::move(message));
}

KeyedArguments DefaultCommandArgumentParser::parse(const RawArguments& arguments,
                                                   const CommandSignature& signature) {
  const RawArguments::ArgumentList words = arguments.unclassifiedArguments();
  const std::size_t n = words.size();
  if (signature.isEmpty()) {
    if (n == 0) return {};
    throw CommandArgumentParserError::incorrectUsage("Expected no arguments, got " +
                                                     std::to_string(n) + ".");
  }

  const std::vector<std::string>& required = signature.requiredParameters();
  const std::vector<std::string>& optional = signature.optionalParameters();
  const std::size_t r = required.size();
  const std::size_t o = optional.size();
  const bool collect = signature.collectRemainingArguments();
  if (n < r) throw CommandArgumentParserError::incorrectUsage(countMessage(r, n));
  if (!collect && n > r + o)
    throw CommandArgumentParserError::incorrectUsage(countMessage(r + o, n));

  KeyedArguments keyed;
  for (std::size_t i = 0; i < r; ++i) keyed[required[i]] = words[i]->value();
  for (std::size_t j = 0; j < o && r + j < n; ++j) keyed[optional[j]] = words[r + j]->value();

  if (collect) {
    const std::string& collecting = o > 0 ? optional.back() : required.back();
    const auto bound = keyed.find(collecting);
    if (bound != keyed.end() && std::holds_alternative<std::string>(bound->second)) {
      std::vector<std::string> collected{std::get<std::string>(bound->second)};
      for (std::size_t k = r + o; k < n; ++k) collected.push_back(words[k]->value());
      bound->second = std::move(collected);
    }
  }
  return keyed;
}

CommandArguments::CommandArguments(const RawArguments& arguments, const CommandSignature& signature)
    : keyedArguments_(CLI::commandArgumentParser()->parse(arguments, signature)) {}

std::optional<ArgumentValue> CommandArguments::operator[](const std::string& key) const {
  const auto found = keyedArguments_.find(key);
  if (found == keyedArguments_.end()) return std::nullopt;
  return found->second;
}

std::string CommandArguments::requiredArgument(const std::string& key) const {
  std::optional<std::string> value = optionalArgument(key);
  if (!value) std::abort();  // The signature does not guarantee this parameter.
  return std::move(*value);
}

std::optional<std::string> CommandArguments::optionalArgument(const std::string& key) const {
  const auto found = keyedArguments_.find(key);
  if (found == keyedArguments_.end()) return std::nullopt;
  if (const auto* word = std::get_if<std::string>(&found->second)) return *word;
  return std::nullopt;
}

std::vector<std::string> CommandArguments::requiredCollectedArgument(const std::string& key) const {
  std::optional<std::vector<std::string>> value = optionalCollectedArgument(key);
  if (!value) std::abort();  // The signature does not guarantee this collecting parameter.
  return std::move(*value);
}

std::optional<std::vector<std::string>> CommandArguments::optionalCollectedArgument(
    const std::string& key) const {
  const auto found = keyedArguments_.find(key);
  if (found == keyedArguments_.end()) return std::nullopt;
  if (const auto* list = std::get_if<std::vector<std::string>>(&found->second)) return *list;
  return std::nullopt;
}

}  // namespace cmdkit
