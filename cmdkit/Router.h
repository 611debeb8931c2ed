// The router decides which command a command line asks for. It resolves aliases (also
// aliases that stand for several words, in which case it rebuilds the argument list),
// matches the first unclassified word against the command names and marks that word as
// the command word.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace cmdkit {

class Command;
class RawArguments;

// Alias word -> command name, possibly several words separated by spaces.
using AliasTable = std::map<std::string, std::string>;

class Router {
 public:
  virtual ~Router() = default;
  // Answers the command the argument list asks for, or null. May replace `arguments`
  // with a rebuilt list; the caller continues with whatever it holds afterwards.
  virtual std::shared_ptr<Command> route(const std::vector<std::shared_ptr<Command>>& commands,
                                         const AliasTable& aliases,
                                         std::shared_ptr<RawArguments>& arguments) = 0;
};

class DefaultRouter : public Router {
 public:
  // `fallbackCommand` is answered whenever no command is found (null by default).
  explicit DefaultRouter(std::shared_ptr<Command> fallbackCommand = nullptr);

  const std::shared_ptr<Command>& fallbackCommand() const { return fallbackCommand_; }

  // A multi-word alias replaces each occurrence of the alias word on the command line
  // once; words that the expansion itself inserts are not expanded again, so an alias
  // whose expansion contains its own word still ends.
  std::shared_ptr<Command> route(const std::vector<std::shared_ptr<Command>>& commands,
                                 const AliasTable& aliases,
                                 std::shared_ptr<RawArguments>& arguments) override;

 private:
  const std::shared_ptr<Command> fallbackCommand_;
};

}  // namespace cmdkit
