#include "cmdkit/CommandSignature.h"

#include <string_view>
#include <utility>

namespace cmdkit {
namespace {

// True when `piece` begins with `open`, ends with `close` (not overlapping) and has no
// line break in between.
bool hasForm(std::string_view piece, std::string_view open, std::string_view close) {
  if (piece.size() < open.size() + close.size()) return false;
  if (!piece.starts_with(open) || !piece.ends_with(close)) return false;
  const std::string_view inside =
      piece.substr(open.size(), piece.size() - open.size() - close.size());
  return inside.find_first_of("\n\r") == std::string_view::npos;
}

}  // namespace

DefaultCommandSignature::DefaultCommandSignature(const std::string& signature) { parse(signature); }

void DefaultCommandSignature::parse(const std::string& signature) {
  std::size_t start = 0;
  while (start <= signature.size()) {
    std::size_t space = signature.find(' ', start);
    if (space == std::string::npos) space = signature.size();
    const std::string_view piece = std::string_view(signature).substr(start, space - start);
    start = space + 1;
    if (piece.empty()) continue;
    if (piece == "...") {
      setCollectRemainingArguments(true);
    } else if (hasForm(piece, "<", ">")) {
      addRequiredParameter(std::string(piece.substr(1, piece.size() - 2)));
    } else if (hasForm(piece, "[<", ">]")) {
      addOptionalParameter(std::string(piece.substr(2, piece.size() - 4)));
    }
  }
}

const std::vector<std::string>& DefaultCommandSignature::requiredParameters() const {
  return requiredParameters_;
}
void DefaultCommandSignature::setRequiredParameters(std::vector<std::string> parameters) {
  requiredParameters_ = std::move(parameters);
}

const std::vector<std::string>& DefaultCommandSignature::optionalParameters() const {
  return optionalParameters_;
}
void DefaultCommandSignature::setOptionalParameters(std::vector<std::string> parameters) {
  optionalParameters_ = std::move(parameters);
}

bool DefaultCommandSignature::collectRemainingArguments() const {
  return collectRemainingArguments_;
}
void DefaultCommandSignature::setCollectRemainingArguments(bool collect) {
  collectRemainingArguments_ = collect;
}

void DefaultCommandSignature::addRequiredParameter(const std::string& name) {
  requiredParameters_.push_back(name);
}

void DefaultCommandSignature::addOptionalParameter(const std::string& name) {
  optionalParameters_.push_back(name);
}

bool DefaultCommandSignature::isEmpty() const {
  return requiredParameters().empty() && optionalParameters().empty();
}

}  // namespace cmdkit
