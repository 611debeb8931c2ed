#include "vrax/Output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <system_error>

namespace vrax {

void writeStandardOutput(std::string_view text) {
  std::cout.flush();
  std::fflush(stdout);
  while (!text.empty()) {
    ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "standard output");
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

void writeStandardError(std::string_view text) {
  std::cerr.flush();
  std::fflush(stderr);
  while (!text.empty()) {
    const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace vrax
