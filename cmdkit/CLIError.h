// CLIError is the error that ends a run of the command-line framework.
//
// A command throws CLIError::error(message) from execute() when the user asked for
// something that cannot be done; CLI::go prints the message once on standard error and
// returns status 1. CLIError::emptyError() means everything has been reported already:
// go prints nothing more and returns 1. Any other exception that reaches go is reported
// generically ("An error occurred: " and its description).
#pragma once

#include <exception>
#include <string>

namespace cmdkit {

class CLIError : public std::exception {
 public:
  enum class Kind { error, emptyError };

  // An error whose message go prints to standard error.
  static CLIError error(std::string message);
  // An error that was reported already; go prints nothing.
  static CLIError emptyError();

  Kind kind() const noexcept { return kind_; }
  // The message of an `error`; empty for `emptyError`.
  const std::string& message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  CLIError(Kind kind, std::string message);

  Kind kind_;
  std::string message_;
};

}  // namespace cmdkit
