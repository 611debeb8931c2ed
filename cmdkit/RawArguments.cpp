#include "cmdkit/RawArguments.h"

#include <utility>

#include "cmdkit/CLI.h"
#include "cmdkit/Text.h"

namespace cmdkit {
namespace {

// White space between tokens: the ASCII white-space characters.
bool isWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The tokens the current raw-argument parser makes of `strings`, the first one marked as
// the program name.
RawArguments::ArgumentList tokensOf(const std::vector<std::string>& strings) {
  RawArguments::ArgumentList tokens = CLI::rawArgumentParser()->parse(strings);
  if (!tokens.empty()) tokens.front()->setClassification(RawArgument::Classification::appName);
  return tokens;
}

}  // namespace

RawArgument::RawArgument(std::string value, long index) : value_(std::move(value)), index_(index) {}

RawArgument::~RawArgument() {
  // Unlink the chain iteratively: a recursive release of a long command line's tokens
  // would exhaust the stack.
  std::shared_ptr<RawArgument> following = std::move(next_);
  while (following && following.use_count() == 1) {
    std::shared_ptr<RawArgument> after = std::move(following->next_);
    following = std::move(after);
  }
}

std::shared_ptr<RawArgument> RawArgument::next() const { return next_; }
void RawArgument::setNext(std::shared_ptr<RawArgument> next) { next_ = std::move(next); }

RawArgument::Classification RawArgument::classification() const { return classification_; }
void RawArgument::setClassification(Classification classification) {
  classification_ = classification;
}

bool RawArgument::isUnclassified() const {
  return classification() == Classification::unclassified;
}

std::vector<std::shared_ptr<RawArgument>> DefaultRawArgumentParser::parse(
    const std::vector<std::string>& strings) {
  std::vector<std::string> expanded;
  expanded.reserve(strings.size());
  for (const std::string& string : strings) {
    if (string.empty() || string[0] != '-' || string.starts_with("--")) {
      expanded.push_back(string);
      continue;
    }
    // One flag per user-perceived character: "-é" is one flag whether the accent is
    // precomposed or combining; bytes that are not UTF-8 are one flag each.
    for (const std::string_view character : characters(std::string_view(string).substr(1))) {
      expanded.push_back("-" + std::string(character));
    }
  }

  std::vector<std::shared_ptr<RawArgument>> tokens;
  tokens.reserve(expanded.size());
  for (std::string& string : expanded) {
    auto token = std::make_shared<RawArgument>(std::move(string), static_cast<long>(tokens.size()));
    if (!tokens.empty()) tokens.back()->setNext(token);
    tokens.push_back(std::move(token));
  }
  return tokens;
}

RawArguments::RawArguments(int argc, const char* const* argv) {
  const std::vector<std::string> strings = processArguments(argc, argv);
  setOriginalString(join(strings, " "));
  setArguments(tokensOf(strings));
}

RawArguments::RawArguments(const std::string& commandLine)
    : RawArguments(tokenize(commandLine), commandLine) {}

RawArguments::RawArguments(const std::vector<std::string>& strings, std::string originalString) {
  setOriginalString(std::move(originalString));
  setArguments(tokensOf(strings));
}

std::shared_ptr<RawArguments> RawArguments::fromProcessArguments(
    const std::vector<std::string>& processArguments) {
  return std::make_shared<RawArguments>(processArguments, join(processArguments, " "));
}

std::vector<std::string> RawArguments::processArguments(int argc, const char* const* argv) {
  std::vector<std::string> strings;
  if (argv == nullptr || argc <= 0) return strings;
  strings.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc && argv[i] != nullptr; ++i) strings.emplace_back(argv[i]);
  return strings;
}

std::vector<std::string> RawArguments::tokenize(std::string_view commandLine) {
  std::vector<std::string> tokens;
  std::size_t i = 0;
  const std::size_t size = commandLine.size();
  while (i < size) {
    const char c = commandLine[i];
    if (c == '"') {
      const std::size_t closing = commandLine.find('"', i + 1);
      if (closing == std::string_view::npos) {
        // An unpaired quote is dropped; what follows is tokenised as if it were absent.
        ++i;
        continue;
      }
      tokens.emplace_back(commandLine.substr(i + 1, closing - i - 1));
      i = closing + 1;
    } else if (isWhiteSpace(c)) {
      ++i;
    } else {
      const std::size_t start = i;
      while (i < size && commandLine[i] != '"' && !isWhiteSpace(commandLine[i])) ++i;
      tokens.emplace_back(commandLine.substr(start, i - start));
    }
  }
  return tokens;
}

const RawArguments::ArgumentList& RawArguments::arguments() const { return arguments_; }
void RawArguments::setArguments(ArgumentList arguments) { arguments_ = std::move(arguments); }

const std::string& RawArguments::originalString() const { return originalString_; }
void RawArguments::setOriginalString(std::string originalString) {
  originalString_ = std::move(originalString);
}

RawArguments::ArgumentList RawArguments::unclassifiedArguments() const {
  ArgumentList unclassified;
  for (const std::shared_ptr<RawArgument>& argument : arguments()) {
    if (argument->isUnclassified()) unclassified.push_back(argument);
  }
  return unclassified;
}

}  // namespace cmdkit
