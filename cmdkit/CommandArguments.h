// Positional arguments. After routing and option parsing, the words still unclassified
// are the command's positional arguments: CLI::commandArgumentParser() checks their
// number against the command's CommandSignature and binds them by position to the
// parameter names. The result, a CommandArguments, is handed to the command's execute.
#pragma once

#include <exception>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace cmdkit {

class CommandSignature;
class RawArguments;

// A bound value: one word, or the list a collecting parameter holds.
using ArgumentValue = std::variant<std::string, std::vector<std::string>>;
using KeyedArguments = std::map<std::string, ArgumentValue>;

// The positional words do not fit the signature. go prints message(), then the
// command's usage line, and the run fails with status 1.
class CommandArgumentParserError : public std::exception {
 public:
  enum class Kind { incorrectUsage };

  static CommandArgumentParserError incorrectUsage(std::string message);

  Kind kind() const noexcept { return Kind::incorrectUsage; }
  const std::string& message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  explicit CommandArgumentParserError(std::string message) : message_(std::move(message)) {}

  std::string message_;
};

class CommandArgumentParser {
 public:
  virtual ~CommandArgumentParser() = default;
  // Binds the unclassified words of `arguments` to the parameters of `signature`;
  // throws CommandArgumentParserError when their number does not fit.
  virtual KeyedArguments parse(const RawArguments& arguments,
                               const CommandSignature& signature) = 0;
};

class DefaultCommandArgumentParser : public CommandArgumentParser {
 public:
  KeyedArguments parse(const RawArguments& arguments, const CommandSignature& signature) override;
};

class CommandArguments {
 public:
  // No values.
  CommandArguments() = default;
  // The values CLI::commandArgumentParser() binds; throws its error.
  CommandArguments(const RawArguments& arguments, const CommandSignature& signature);
  virtual ~CommandArguments() = default;

  const KeyedArguments& keyedArguments() const { return keyedArguments_; }

  // The stored value, or none when the key is absent.
  virtual std::optional<ArgumentValue> operator[](const std::string& key) const;
  // The stored word. The key must hold a word: anything else stops the process (a
  // programming error; use it only for parameters the signature guarantees).
  virtual std::string requiredArgument(const std::string& key) const;
  // The stored word, or none when the key is absent or holds a list.
  virtual std::optional<std::string> optionalArgument(const std::string& key) const;
  // The stored list. The key must hold a list: anything else stops the process.
  virtual std::vector<std::string> requiredCollectedArgument(const std::string& key) const;
  // The stored list, or none when the key is absent or holds a single word.
  virtual std::optional<std::vector<std::string>> optionalCollectedArgument(
      const std::string& key) const;

 private:
  KeyedArguments keyedArguments_;
};

}  // namespace cmdkit
