// The usage statement tells a user how to call one command: its usage line with the
// option groups it knows, then one section per group with one line per option, the
// descriptions aligned at the registry's usageColumnWidth. go prints it for -h/--help;
// the misuse message includes it when the command's printing behaviour asks for it.
#pragma once

#include <string>

namespace cmdkit {

class Command;
class OptionRegistry;

class UsageStatementGenerator {
 public:
  virtual ~UsageStatementGenerator() = default;
  // `registry` may be null (no options).
  virtual std::string makeUsageStatement(const Command& command,
                                         const OptionRegistry* registry) = 0;
};

// Required groups first, then the other declared groups (each by name), then "options";
// inside a group the options are ordered by their first name.
class DefaultUsageStatementGenerator : public UsageStatementGenerator {
 public:
  std::string makeUsageStatement(const Command& command, const OptionRegistry* registry) override;
};

}  // namespace cmdkit
