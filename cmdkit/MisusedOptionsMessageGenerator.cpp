#include "cmdkit/MisusedOptionsMessageGenerator.h"

#include <algorithm>

#include "cmdkit/CLI.h"
#include "cmdkit/Command.h"
#include "cmdkit/OptionParser.h"
#include "cmdkit/OptionRegistry.h"
#include "cmdkit/Text.h"
#include "cmdkit/UsageStatementGenerator.h"

namespace cmdkit {
namespace {

// The column used when a misuse carries no registry.
constexpr long kDefaultColumnWidth = 40;

// Spaces between a label and its values so the values start at `column`; one space when
// the label reaches past it.
std::string separatorAfterLabel(long column, long labelWidth) {
  const long padding = column - labelWidth;
  return padding >= 0 ? spaces(padding) : std::string(" ");
}

std::string replacedAll(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

}  // namespace

std::string IncorrectOptionUsage::misuseReport() const {
  const long width = optionRegistry ? optionRegistry->usageColumnWidth() : kDefaultColumnWidth;
  std::string report;

  if (!requiredOptionsMissing.empty()) {
    report += "Missing options:";
    for (const auto& [group, names] : requiredOptionsMissing) {
      report += "\n<" + group + ">:" + separatorAfterLabel(width, characterCount(group) + 3) +
                replacedAll(names, "|", ", ");
    }
    report += "\n";
  }

  if (!unrecognizedOptions.empty()) {
    report += "Unrecognized options:";
    for (const std::string& option : unrecognizedOptions) {
      // Right-aligned at the column; a longer option starts at the beginning of the line.
      report += '\n';
      report += spaces(width - characterCount(option));
      report += option;
    }
    report += "\n";
  }

  if (!conflictingOptions.empty()) {
    report += "Conflicting options:";
    for (const auto& [group, given] : conflictingOptions) {
      const std::shared_ptr<OptionGroup> declared =
          optionRegistry ? optionRegistry->group(group) : nullptr;
      const std::string label =
          declared && declared->required() ? "<" + group + ">" : "[" + group + "]";
      report += "\n" + label + ":" + separatorAfterLabel(width, characterCount(label) + 1) +
                join(given, ", ");
    }
    report += "\n";
  }

  if (!keysNotGivenValue.empty()) {
    report += "Required values for options but given none:";
    for (const std::string& key : keysNotGivenValue) report += "\n\t" + key;
    report += "\n";
  }
  return report;
}

std::optional<std::string> DefaultMisusedOptionsMessageGenerator::makeMisusedOptionsMessage(
    const Command& command, const IncorrectOptionUsage& misuse) {
  const auto* optionCommand = dynamic_cast<const OptionCommand*>(&command);
  if (optionCommand == nullptr) return std::nullopt;
  const auto usageStatement = [&] {
    return CLI::usageStatementGenerator()->makeUsageStatement(command, misuse.optionRegistry.get());
  };
  switch (optionCommand->unrecognizedOptionsPrintingBehavior()) {
    case UnrecognizedOptionsPrintingBehavior::printNone:
      return std::nullopt;
    case UnrecognizedOptionsPrintingBehavior::printOnlyUnrecognizedOptions:
      return misuse.misuseReport();
    case UnrecognizedOptionsPrintingBehavior::printOnlyUsage:
      return usageStatement();
    case UnrecognizedOptionsPrintingBehavior::printAll:
      return usageStatement() + "\n" + misuse.misuseReport();
  }
  return std::nullopt;
}

}  // namespace cmdkit
