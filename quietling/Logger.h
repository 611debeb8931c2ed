// Where the placeholder's lines go. A line is written the way the desktop's own log
// call writes it: to standard error, and to the system log (the syslog socket, which
// journald serves where it runs) when there is one. The text is literal: nothing in it
// is read as a format directive, so a "%" in a URL or a type is written as it is. What
// a message holds comes from outside (an opened URL, a file's type), so it cannot end
// or split a line: control characters are written as escapes (see escapeForLog).
#pragma once

#include <string>
#include <string_view>

namespace quietling {

// The message with every character that could end, split or rewrite a line escaped:
// ASCII control characters and DEL ("\n", "\t", "\r", else "\xHH"), the C1 controls
// and the Unicode line and paragraph separators ("\u0085"), a byte that is not part of
// valid UTF-8 ("\xHH"), and the backslash itself ("\\"), so that an escape in the
// log always stands for one of these. Everything else is kept as it is.
std::string escapeForLog(std::string_view message);

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
