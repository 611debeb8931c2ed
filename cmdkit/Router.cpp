#include "cmdkit/Router.h"

#include <utility>

#include "cmdkit/Command.h"
#include "cmdkit/RawArguments.h"
#include "cmdkit/Text.h"

namespace cmdkit {
namespace {

// Splits at every single space; consecutive spaces give empty parts, and the result
// always has at least one part.
std::vector<std::string> splitAtSpaces(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t space = text.find(' ', start);
    if (space == std::string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, space - start));
    start = space + 1;
  }
}

}  // namespace

DefaultRouter::DefaultRouter(std::shared_ptr<Command> fallbackCommand)
    : fallbackCommand_(std::move(fallbackCommand)) {}

std::shared_ptr<Command> DefaultRouter::route(const std::vector<std::shared_ptr<Command>>& commands,
                                              const AliasTable& aliases,
                                              std::shared_ptr<RawArguments>& arguments) {
  const RawArguments::ArgumentList unclassified = arguments->unclassifiedArguments();
  if (unclassified.empty()) return fallbackCommand_;

  const std::string tokenWord = unclassified.front()->value();
  const auto alias = aliases.find(tokenWord);
  const std::string& target = alias != aliases.end() ? alias->second : tokenWord;
  const std::vector<std::string> parts = splitAtSpaces(target);

  if (parts.size() >= 2) {
    // Every occurrence of the alias word in the command line is replaced by the parts,
    // once: words that the replacement inserts are not looked at again, so an expansion
    // that contains the alias word itself cannot repeat without end.
    std::vector<std::string> words;
    bool replaced = false;
    for (std::string& word : splitAtSpaces(arguments->originalString())) {
      if (word == tokenWord) {
        words.insert(words.end(), parts.begin(), parts.end());
        replaced = true;
      } else {
        words.push_back(std::move(word));
      }
    }
    if (replaced) arguments = std::make_shared<RawArguments>(join(words, " "));
  }

  std::shared_ptr<Command> found;
  for (const std::shared_ptr<Command>& command : commands) {
    if (command->name() == parts.front()) {
      found = command;
      break;
    }
  }
  if (!found) return fallbackCommand_;

  const RawArguments::ArgumentList remaining = arguments->unclassifiedArguments();
  if (remaining.empty()) return fallbackCommand_;
  remaining.front()->setClassification(RawArgument::Classification::commandName);
  return found;
}

}  // namespace cmdkit
