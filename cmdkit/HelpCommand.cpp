#include "cmdkit/HelpCommand.h"

#include <utility>

#include "cmdkit/CLI.h"
#include "cmdkit/Text.h"

namespace cmdkit {
namespace {

// The listing aligns descriptions for names of up to this many characters.
constexpr long kNameColumnWidth = 40;

}  // namespace

const std::vector<std::shared_ptr<Command>>& DefaultHelpCommand::availableCommands() const {
  return availableCommands_;
}
void DefaultHelpCommand::setAvailableCommands(std::vector<std::shared_ptr<Command>> commands) {
  availableCommands_ = std::move(commands);
}

bool DefaultHelpCommand::printCLIDescription() const { return printCLIDescription_; }
void DefaultHelpCommand::setPrintCLIDescription(bool print) { printCLIDescription_ = print; }

void DefaultHelpCommand::setupOptions(OptionRegistry& /*options*/) {}

void DefaultHelpCommand::execute(const CommandArguments& /*arguments*/) {
  if (printCLIDescription() && !CLI::description().empty()) {
    cmdkit::printLine(CLI::description());
    cmdkit::printLine("");
  }
  cmdkit::printLine("Available commands: ");
  for (const std::shared_ptr<Command>& command : availableCommands()) printLine(*command);
}

void DefaultHelpCommand::printLine(const Command& command) {
  const std::string name = command.name();
  const long padding = kNameColumnWidth - characterCount(name);
  // A name wider than the column still gets one space before its description.
  cmdkit::printLine("- " + name + (padding >= 0 ? spaces(padding) : " ") +
                    command.shortDescription());
}

void VersionCommand::execute(const CommandArguments& /*arguments*/) {
  printLine("Version: " + CLI::version());
}

}  // namespace cmdkit
