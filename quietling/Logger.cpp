#include "quietling/Logger.h"

#include <errno.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

#include "quietling/UniqueFd.h"

namespace quietling {
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

}  // namespace

bool SystemLog::send(std::string_view message) const {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath_.empty() || socketPath_.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, socketPath_.data(), socketPath_.size());

  const UniqueFd socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!socket.valid()) return false;
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
  std::string line(message);
  line += '\n';
  writeAll(errorFd_, line);
  systemLog_.send(message);
}

}  // namespace quietling
