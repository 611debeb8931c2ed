// The text printed on standard error when option parsing finds misuse. Which text is
// shown is chosen by the command's unrecognizedOptionsPrintingBehavior: nothing, the
// misuse report, the usage statement, or both.
#pragma once

#include <optional>
#include <string>

namespace cmdkit {

class Command;
struct IncorrectOptionUsage;

class MisusedOptionsMessageGenerator {
 public:
  virtual ~MisusedOptionsMessageGenerator() = default;
  // The message, or none when nothing is to be shown.
  virtual std::optional<std::string> makeMisusedOptionsMessage(
      const Command& command, const IncorrectOptionUsage& misuse) = 0;
};

// None for a command that is not an OptionCommand and for printNone; the misuse report
// for printOnlyUnrecognizedOptions; the usage statement (CLI::usageStatementGenerator())
// for printOnlyUsage; the usage statement, "\n" and the report for printAll.
class DefaultMisusedOptionsMessageGenerator : public MisusedOptionsMessageGenerator {
 public:
  std::optional<std::string> makeMisusedOptionsMessage(const Command& command,
                                                       const IncorrectOptionUsage& misuse) override;
};

}  // namespace cmdkit
