// Where the placeholder's lines go. A line is written the way the desktop's own log
// call writes it: to standard error, and to the system log (the syslog socket, which
// journald serves where it runs) when there is one. The text is literal: nothing in it
// is read as a format directive, so a "%" in a URL or a type is written as it is.
#pragma once

#include <string>
#include <string_view>

namespace quietling {

class Logger {
 public:
  virtual ~Logger() = default;
  virtual void log(std::string_view message) = 0;
};

// Sends messages to the local system logger, one datagram each, in the traditional
// "<priority>timestamp ident[pid]: message" form at user.notice. Best effort: with no
// logger listening at the socket, a message is dropped without a word.
class SystemLog final {
 public:
  static constexpr const char* kDefaultSocketPath = "/dev/log";

  explicit SystemLog(std::string ident, std::string socketPath = kDefaultSocketPath)
      : ident_(std::move(ident)), socketPath_(std::move(socketPath)) {}

  // Answers whether the logger took the message.
  bool send(std::string_view message) const;

 private:
  std::string ident_;
  std::string socketPath_;
};

class StandardLogger final : public Logger {
 public:
  StandardLogger(int errorFd, SystemLog systemLog)
      : errorFd_(errorFd), systemLog_(std::move(systemLog)) {}

  // The message and a newline in one write to the error stream, then the system log.
  void log(std::string_view message) override;

 private:
  int errorFd_;
  SystemLog systemLog_;
};

}  // namespace quietling
