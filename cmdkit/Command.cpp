#include "cmdkit/Command.h"

#include "cmdkit/CLI.h"

namespace cmdkit {

std::string Command::usageLine() const {
  std::string line = "Usage: " + CLI::name();
  const std::string commandName = name();
  if (!commandName.empty()) line += " " + commandName;
  const std::string commandSignature = signature();
  if (!commandSignature.empty()) line += " " + commandSignature;
  return line;
}

}  // namespace cmdkit
