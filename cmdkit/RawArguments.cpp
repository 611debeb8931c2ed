#include "cmdkit/RawArguments.h"

#include <fstream>
#include <iterator>
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
    for (std::size_t i = 1; i < string.size(); ++i) expanded.push_back(std::string{'-', string[i]});
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

RawArguments::RawArguments() {
  const std::vector<std::string> strings = processArguments();
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

std::vector<std::string> RawArguments::processArguments() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  if (!file) return {};
  const std::string contents((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
  // Each argument ends with a NUL byte; a final piece without one is an argument too.
  std::vector<std::string> strings;
  std::size_t start = 0;
  while (start < contents.size()) {
    std::size_t end = contents.find('\0', start);
    if (end == std::string::npos) end = contents.size();
    strings.push_back(contents.substr(start, end - start));
    start = end + 1;
  }
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
