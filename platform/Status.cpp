#include "platform/Status.h"

namespace platform {

Status Status::error(Code code, std::string reason) {
  Status status;
  status.code_ = code == 0 ? kLSUnknownErr : code;
  status.reason_ = std::move(reason);
  return status;
}

Status Status::fileError(Code code, std::string path, std::string reason, std::size_t line) {
  Status status = error(code, std::move(reason));
  status.path_ = std::move(path);
  status.line_ = line;
  return status;
}

namespace {

// The text with its control characters written as escapes ("\n", "\x01").
std::string printable(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (u < 0x20 || u == 0x7F) {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string Status::toString() const {
  if (ok()) return "";
  std::string text = path_;
  if (!text.empty() && line_ > 0) text += ":" + std::to_string(line_);
  if (!text.empty() && !reason_.empty()) text += ": ";
  return printable(text + reason_);
}

Status Status::withCode(Code code) const {
  Status status = *this;
  status.code_ = code == 0 ? kLSUnknownErr : code;
  return status;
}

}  // namespace platform
