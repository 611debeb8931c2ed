// The option parser picks the option arguments (every unclassified token that begins
// with "-") out of the raw arguments, checks the rules of the required and conflicting
// groups, runs the declared actions in command-line order, and marks every option
// argument and every value a key takes as `option`, so positional binding never sees
// them. Problems are collected, never thrown: printing them and failing the run is
// CLI::go's decision.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cmdkit {

class RawArguments;
class OptionRegistry;

// The option misuse of one parse.
struct IncorrectOptionUsage {
  // The registry the parse used; the misuse report is laid out with it.
  std::shared_ptr<OptionRegistry> optionRegistry;
  // Option arguments matching no declared name, in command-line order, repeats kept.
  std::vector<std::string> unrecognizedOptions;
  // Key names given without a usable value, in command-line order.
  std::vector<std::string> keysNotGivenValue;
  // Required group that got none of its options -> its option names joined with "|".
  std::map<std::string, std::string> requiredOptionsMissing;
  // Conflicting group that got two or more -> those arguments as typed, in order.
  std::map<std::string, std::vector<std::string>> conflictingOptions;

  // True when no misuse is recorded.
  bool empty() const;
  // The four sections "Missing options:", "Unrecognized options:", "Conflicting
  // options:" and "Required values for options but given none:", each present only when
  // it has entries, aligned on the registry's usageColumnWidth. Where a label is longer
  // than that column, one space separates it from its values; an unrecognized option
  // longer than the column starts at the beginning of its line.
  std::string misuseReport() const;
};

class OptionParserResult {
 public:
  enum class Kind { success, exitEarly, incorrectOptionUsage };

  static OptionParserResult success() { return OptionParserResult(Kind::success, {}); }
  static OptionParserResult exitEarly() { return OptionParserResult(Kind::exitEarly, {}); }
  static OptionParserResult incorrectOptionUsage(IncorrectOptionUsage usage) {
    return OptionParserResult(Kind::incorrectOptionUsage, std::move(usage));
  }

  Kind kind() const { return kind_; }
  // The misuse; present exactly for incorrectOptionUsage.
  const std::optional<IncorrectOptionUsage>& usage() const { return usage_; }

 private:
  OptionParserResult(Kind kind, std::optional<IncorrectOptionUsage> usage)
      : kind_(kind), usage_(std::move(usage)) {}

  Kind kind_;
  std::optional<IncorrectOptionUsage> usage_;
};

class OptionParser {
 public:
  virtual ~OptionParser() = default;
  // Never throws; every problem is reported in the result. An exit-early option wins
  // over any misuse.
  virtual OptionParserResult parseOptions(RawArguments& arguments,
                                          const std::shared_ptr<OptionRegistry>& registry) = 0;
};

// Group rules compare names ignoring letter case (Unicode case folding, canonically
// equivalent spellings compare equal); action lookups compare exactly.
class DefaultOptionParser : public OptionParser {
 public:
  OptionParserResult parseOptions(RawArguments& arguments,
                                  const std::shared_ptr<OptionRegistry>& registry) override;
};

}  // namespace cmdkit
