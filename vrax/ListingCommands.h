// getApps, getSchemes and getUTIs: list the registered applications, every known URL
// scheme with its default handler, and every declared content type with its default
// handler. Each gathers and formats everything first and writes its output with one
// write; when the data cannot be obtained, nothing reaches standard output.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cmdkit/Command.h"

namespace vrax {

using Pair = std::pair<std::string, std::string>;

// The entries of the map as pairs sorted by key: keys compare by Unicode code points
// after canonical (NFC) normalisation; texts that are not UTF-8 compare by their bytes.
std::vector<Pair> sortedPairs(const std::map<std::string, std::string>& map);
// One line per pair: key, four tabs, value, line feed. No list gives none; an empty
// list gives the empty text.
std::optional<std::string> formatPairs(const std::optional<std::vector<Pair>>& pairs);

// The part the three commands share: a name, an empty signature and a description,
// fixed at construction.
class ListingCommand : public cmdkit::Command {
 public:
  ListingCommand(std::string name, std::string signature, std::string shortDescription);

  std::string name() const override { return name_; }
  std::string signature() const override { return signature_; }
  std::string shortDescription() const override { return shortDescription_; }

 private:
  const std::string name_;
  const std::string signature_;
  const std::string shortDescription_;
};

class GetApps final : public ListingCommand {
 public:
  using ListingCommand::ListingCommand;
  void execute(const cmdkit::CommandArguments& arguments) override;
};

class GetSchemes final : public ListingCommand {
 public:
  using ListingCommand::ListingCommand;
  void execute(const cmdkit::CommandArguments& arguments) override;
};

class GetUTIs final : public ListingCommand {
 public:
  using ListingCommand::ListingCommand;
  void execute(const cmdkit::CommandArguments& arguments) override;
};

}  // namespace vrax
