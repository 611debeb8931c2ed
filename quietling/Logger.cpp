#include "quietling/Logger.h"

#include <errno.h>
#include <glib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

#include "platform/Handles.h"

namespace quietling {

using platform::UniqueFd;
namespace {

constexpr int kFacilityUser = 1;
constexpr int kSeverityNotice = 5;

// Writes all of the text, going on after short writes and interruptions.
void writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

std::string timestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[32] = {};
  if (::localtime_r(&now, &local) == nullptr) return "Jan  1 00:00:00";
  std::strftime(text, sizeof text, "%b %e %H:%M:%S", &local);
  return text;
}

constexpr char kHex[] = "0123456789abcdef";

void appendByteEscape(std::string& out, unsigned char byte) {
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 0xF];
}

}  // namespace

std::string escapeForLog(std::string_view message) {
  std::string out;
  out.reserve(message.size());
  for (std::size_t i = 0; i < message.size();) {
    const auto byte = static_cast<unsigned char>(message[i]);
    if (byte >= 0x80) {
      const gunichar codePoint =
          g_utf8_get_char_validated(message.data() + i, static_cast<gssize>(message.size() - i));
      const std::size_t length =
          codePoint < 0x110000 ? static_cast<std::size_t>(g_utf8_skip[byte]) : 0;
      if (length == 0) {
        appendByteEscape(out, byte);
        ++i;
      } else if ((codePoint >= 0x80 && codePoint <= 0x9F) || codePoint == 0x2028 ||
                 codePoint == 0x2029) {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(codePoint >> shift) & 0xF];
        i += length;
      } else {
        out.append(message.substr(i, length));
        i += length;
      }
      continue;
    }
    ++i;
    switch (byte) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          appendByteEscape(out, byte);
        } else {
          out += static_cast<char>(byte);
        }
    }
  }
  return out;
}

bool SystemLog::send(std::string_view message) const {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath_.empty() || socketPath_.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, socketPath_.data(), socketPath_.size());

  const UniqueFd socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!socket) return false;
  if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return false;
  }
  std::string datagram = "<";
  datagram += std::to_string(kFacilityUser * 8 + kSeverityNotice);
  datagram += '>';
  datagram += timestamp();
  datagram += ' ';
  datagram += ident_;
  datagram += '[' + std::to_string(::getpid()) + "]: ";
  datagram += message;
  ssize_t sent;
  do {
    sent = ::send(socket.get(), datagram.data(), datagram.size(), MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  return sent == static_cast<ssize_t>(datagram.size());
}

void StandardLogger::log(std::string_view message) {
  const std::string escaped = escapeForLog(message);
  writeAll(errorFd_, escaped + '\n');
  systemLog_.send(escaped);
}

}  // namespace quietling
