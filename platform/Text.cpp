#include "platform/Text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/Handles.h"

namespace platform {

std::string lowercase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = asciiLower(c);
  return out;
}

bool hasAsciiCapital(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

bool isValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    // Runs of ASCII, the bulk of every file, eight bytes at a time.
    while (i + 8 <= s.size()) {
      std::uint64_t word = 0;
      std::memcpy(&word, s.data() + i, sizeof word);
      if ((word & 0x8080808080808080ULL) != 0) break;
      i += 8;
    }
    if (i == s.size()) break;
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

bool hasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
  });
}

namespace {

// Reads the open file into buffer from its start, growing the buffer as needed but
// never shrinking it; the number of bytes read, or none when the file cannot be read
// or holds more than maxBytes.
std::optional<std::size_t> readOpenFile(int fd, std::size_t maxBytes, std::string& buffer) {
  constexpr std::size_t kFirstRead = 16384;
  if (buffer.size() < kFirstRead) buffer.resize(kFirstRead);
  const std::size_t first = std::min(buffer.size(), maxBytes + 1);
  const ssize_t n = ::read(fd, buffer.data(), first);
  if (n < 0) return std::nullopt;
  std::size_t got = static_cast<std::size_t>(n);
  // A short read of a file is its end; a larger file's size says how much room the rest
  // needs.
  if (got == first) {
    struct stat info {};
    const std::size_t size = ::fstat(fd, &info) == 0 && info.st_size > 0
                                 ? static_cast<std::size_t>(info.st_size)
                                 : 2 * got;
    std::size_t room = std::min(std::max({size + 1, got + 1, buffer.size()}), maxBytes + 1);
    if (buffer.size() < room) buffer.resize(room);
    for (;;) {
      if (got == room) {
        if (room > maxBytes) break;
        room = std::min(room * 2, maxBytes + 1);
        if (buffer.size() < room) buffer.resize(room);
      }
      const ssize_t more = ::read(fd, buffer.data() + got, room - got);
      if (more < 0) return std::nullopt;
      if (more == 0) break;
      got += static_cast<std::size_t>(more);
    }
  }
  if (got > maxBytes) return std::nullopt;
  return got;
}

UniqueFd openSmallFile(int folder, const std::string& path) {
  // No stat first: an open and one read is all a small file costs. A folder fails to
  // read; a pipe or device never blocks (O_NONBLOCK) and cannot grow past maxBytes.
  return UniqueFd(::openat(folder, path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
}

}  // namespace

std::optional<std::string> readSmallFile(const std::string& path, std::size_t maxBytes) {
  return readSmallFileAt(AT_FDCWD, path, maxBytes);
}

std::optional<std::string> readSmallFileAt(int folder, const std::string& path,
                                           std::size_t maxBytes) {
  std::string text;
  const auto read = readSmallFileInto(folder, path, maxBytes, text);
  if (!read) return std::nullopt;
  text.resize(read->size());
  return text;
}

std::optional<std::string_view> readSmallFileInto(int folder, const std::string& path,
                                                  std::size_t maxBytes, std::string& buffer) {
  const UniqueFd file = openSmallFile(folder, path);
  if (!file) return std::nullopt;
  const auto size = readOpenFile(file.get(), maxBytes, buffer);
  if (!size) return std::nullopt;
  return std::string_view(buffer.data(), *size);
}

}  // namespace platform
