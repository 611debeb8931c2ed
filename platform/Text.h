// Small helpers shared by the whole platform layer: ASCII case, checks of untrusted
// text, reading small files whole, and maps of strings searched by view.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace platform {

// The text with ASCII capital letters lowercased (MIME types, URL schemes and host names
// ignore ASCII case).
std::string lowercase(std::string_view text);
inline char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
// Whether the text holds an ASCII capital letter, that is whether lowercase changes it.
bool hasAsciiCapital(std::string_view text);

// Checks of untrusted text shared by every reader of files. Whether the text is
// well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF):
bool isValidUtf8(std::string_view text);
// Whether the text holds an ASCII control character (below U+0020, or U+007F):
bool hasControlCharacter(std::string_view text);

// Reads a whole file of at most maxBytes bytes; none when it cannot be read or is larger.
std::optional<std::string> readSmallFile(const std::string& path, std::size_t maxBytes);
// The same for a path relative to an open folder (a file descriptor), which spares the
// system walking the folder's own path again for every file in it.
std::optional<std::string> readSmallFileAt(int folder, const std::string& path,
                                           std::size_t maxBytes);
// The same into buffer, for reading many files one after the other: the buffer keeps
// its size (it only grows), and the answer is a view of its first bytes, valid until
// the next use of the buffer.
std::optional<std::string_view> readSmallFileInto(int folder, const std::string& path,
                                                  std::size_t maxBytes, std::string& buffer);

// A hash of strings that also takes views, so that maps of strings are searched with a
// view and no copy is made for a lookup.
struct StringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return std::hash<std::string_view>{}(text);
  }
};
template <typename Value>
using StringMap = std::unordered_map<std::string, Value, StringHash, std::equal_to<>>;
using StringSet = std::unordered_set<std::string, StringHash, std::equal_to<>>;

}  // namespace platform
