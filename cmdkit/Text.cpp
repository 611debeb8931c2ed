#include "cmdkit/Text.h"

#include <utf8proc.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace cmdkit {
namespace {

struct FreeDeleter {
  void operator()(utf8proc_uint8_t* p) const { std::free(p); }
};
using Utf8procBuffer = std::unique_ptr<utf8proc_uint8_t, FreeDeleter>;

const utf8proc_uint8_t* bytes(std::string_view text) {
  return reinterpret_cast<const utf8proc_uint8_t*>(text.data());
}

bool isAscii(std::string_view text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalAsciiIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

// Case-folded, canonically composed form of `text`; none when it is not valid UTF-8.
std::optional<std::string> folded(std::string_view text) {
  utf8proc_uint8_t* out = nullptr;
  const auto options =
      static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE | UTF8PROC_CASEFOLD);
  const utf8proc_ssize_t length =
      utf8proc_map(bytes(text), static_cast<utf8proc_ssize_t>(text.size()), &out, options);
  Utf8procBuffer owned(out);
  if (length < 0) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(owned.get()), static_cast<std::size_t>(length));
}

}  // namespace

std::vector<std::string_view> characters(std::string_view text) {
  std::vector<std::string_view> pieces;
  utf8proc_int32_t state = 0;
  utf8proc_int32_t previous = -1;
  std::size_t start = 0;
  std::size_t offset = 0;
  const auto cut = [&](std::size_t at) {
    if (at > start) pieces.push_back(text.substr(start, at - start));
    start = at;
  };
  while (offset < text.size()) {
    utf8proc_int32_t codepoint = 0;
    const utf8proc_ssize_t read = utf8proc_iterate(
        bytes(text) + offset, static_cast<utf8proc_ssize_t>(text.size() - offset), &codepoint);
    if (read <= 0) {
      // A byte that starts no valid sequence stands for itself and breaks any cluster.
      cut(offset);
      ++offset;
      cut(offset);
      previous = -1;
      state = 0;
      continue;
    }
    if (previous >= 0 && utf8proc_grapheme_break_stateful(previous, codepoint, &state)) {
      cut(offset);
    }
    previous = codepoint;
    offset += static_cast<std::size_t>(read);
  }
  cut(offset);
  return pieces;
}

long characterCount(std::string_view text) { return static_cast<long>(characters(text).size()); }

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  if (isAscii(a) && isAscii(b)) return equalAsciiIgnoringCase(a, b);
  const std::optional<std::string> foldedA = folded(a);
  const std::optional<std::string> foldedB = folded(b);
  if (foldedA && foldedB) return *foldedA == *foldedB;
  return equalAsciiIgnoringCase(a, b);
}

std::string join(const std::vector<std::string>& texts, std::string_view separator) {
  std::string joined;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) joined += separator;
    joined += texts[i];
  }
  return joined;
}

std::string spaces(long count) {
  return count > 0 ? std::string(static_cast<std::size_t>(count), ' ') : std::string();
}

void printLine(std::string_view text) {
  std::string line;
  line.reserve(text.size() + 1);
  line.append(text);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stdout);
}

}  // namespace cmdkit
