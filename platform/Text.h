// Small text helpers shared by the whole platform layer: ASCII case, checks of untrusted
// text, and maps of strings searched by view.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace platform {

// The text with ASCII capital letters lowercased (MIME types, URL schemes and host names
// ignore ASCII case).
std::string lowercase(std::string_view text);

// Checks of untrusted text shared by every reader of files. Whether the text is
// well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF):
bool isValidUtf8(std::string_view text);
// Whether the text holds an ASCII control character (below U+0020, or U+007F):
bool hasControlCharacter(std::string_view text);

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
