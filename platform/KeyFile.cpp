#include "platform/KeyFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/Text.h"

namespace platform {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string_view trimLeading(std::string_view s) {
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view trimTrailing(std::string_view s) {
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

KeyFileLine parseKeyFileLine(std::string_view line) {
  KeyFileLine result;
  const std::string_view content = trimTrailing(trimLeading(line));
  if (content.empty()) {
    result.kind = KeyFileLine::Kind::kBlank;
  } else if (content.front() == '#') {
    result.kind = KeyFileLine::Kind::kComment;
  } else if (content.front() == '[') {
    const std::size_t close = content.find(']');
    const std::string_view name =
        close == std::string_view::npos ? std::string_view() : content.substr(1, close - 1);
    if (close == std::string_view::npos || close + 1 != content.size() || name.empty() ||
        name.find('[') != std::string_view::npos || hasControlCharacter(name)) {
      result.fault = "malformed group header";
    } else {
      result.kind = KeyFileLine::Kind::kGroup;
      result.name = name;
    }
  } else if (const std::size_t eq = content.find('='); eq != std::string_view::npos) {
    // A value keeps its trailing blanks, as desktop readers keep them; only the
    // carriage return of a CRLF line ending goes.
    std::string_view body = line;
    if (body.ends_with('\r')) body.remove_suffix(1);
    body = trimLeading(body);
    const std::string_view key = trimTrailing(content.substr(0, eq));
    std::string_view value = body.substr(eq + 1);
    while (!value.empty() && isBlank(value.front())) value.remove_prefix(1);
    if (key.empty() || hasControlCharacter(key)) {
      result.fault = "malformed key";
    } else {
      result.kind = KeyFileLine::Kind::kEntry;
      result.name = key;
      result.value = value;
    }
  } else {
    result.fault = "neither a comment, a group header nor key=value";
  }
  return result;
}

namespace {

// What a byte is to the scan of a key: most bytes just belong to it.
enum KeyByte : unsigned char { kKeyChar, kEquals, kKeyBlank, kBracket, kControl };

constexpr std::array<KeyByte, 256> kKeyBytes = [] {
  std::array<KeyByte, 256> bytes{};
  for (int c = 0; c < 0x20; ++c) bytes[c] = kControl;
  bytes[0x7F] = kControl;
  bytes['='] = kEquals;
  bytes[' '] = kKeyBlank;
  bytes['['] = kBracket;
  return bytes;
}();

struct PlainKey {
  std::string_view key;  // empty when the line is not plainly key=value
  bool translation = false;
};

PlainKey scanPlainKey(std::string_view text, std::size_t start) {
  const char* p = text.data() + start;
  const char* const end = text.data() + text.size();
  while (p != end && isBlank(*p)) ++p;
  if (p == end || *p == '#' || *p == '[') return {};
  const char* const keyStart = p;
  const char* keyEnd = p;
  bool translation = false;
  for (;;) {
    // The bytes of a key run to the next byte of another kind.
    const char* const run = p;
    while (p != end && kKeyBytes[static_cast<unsigned char>(*p)] == kKeyChar) ++p;
    if (p != run) keyEnd = p;
    if (p == end) return {};
    // Tests rather than a switch: in a run of translations the answers alternate
    // ('[', then '='), which predicts well only as branches of their own.
    const char c = *p;
    if (c == '[') {
      translation = true;
      keyEnd = ++p;
    } else if (c == '=') {
      if (keyEnd == keyStart) return {};
      return {std::string_view(keyStart, static_cast<std::size_t>(keyEnd - keyStart)), translation};
    } else if (c == ' ') {
      ++p;
    } else {
      // A control character (a line feed, a tab, NUL...) leaves the line to the full
      // grammar.
      return {};
    }
  }
}

#if defined(__SSE2__)
// One bit per byte of x, set where the byte is c.
std::uint32_t bytesEqual(__m128i x, char c) {
  return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8(c))));
}
// One bit per byte of x, set where the byte is a control character (below 0x20, DEL).
std::uint32_t controlBytes(__m128i x) {
  // Unsigned x <= 0x1F: the smaller of the two is x itself.
  const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(0x1F)), x);
  return static_cast<std::uint32_t>(
      _mm_movemask_epi8(_mm_or_si128(low, _mm_cmpeq_epi8(x, _mm_set1_epi8(0x7F)))));
}
#endif

// scanPlainKey for the common line: one that starts with its key and has its '=' within
// 32 bytes, which are looked at 16 at a time. Any other line goes to scanPlainKey.
PlainKey plainKeyAt(std::string_view text, std::size_t start) {
#if defined(__SSE2__)
  constexpr std::size_t kSpan = 32;
  const char* const p = text.data() + start;
  if (text.size() - start >= kSpan && !isBlank(*p)) {
    if (*p == '#' || *p == '[') return {};
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const std::uint32_t equals = bytesEqual(low, '=') | bytesEqual(high, '=') << 16;
    if (equals != 0) {
      const auto at = static_cast<std::size_t>(std::countr_zero(equals));
      const std::uint32_t before = (std::uint32_t{1} << at) - 1;
      const std::uint32_t controls = controlBytes(low) | controlBytes(high) << 16;
      // A control character before the '=' leaves the line to the full grammar.
      if (at == 0 || (controls & before) != 0) return {};
      std::size_t end = at;
      while (p[end - 1] == ' ') --end;
      const std::uint32_t brackets = bytesEqual(low, '[') | bytesEqual(high, '[') << 16;
      return {std::string_view(p, end), (brackets & before) != 0};
    }
  }
#endif
  return scanPlainKey(text, start);
}

// The line feeds of a text, found a window at a time: the window's bytes are compared
// 16 at a time, and the positions of its line feeds listed, so that going from line to
// line costs neither a call nor a branch that depends on how long a line is.
class LineFeeds {
 public:
  static constexpr std::size_t npos = std::string_view::npos;

  explicit LineFeeds(std::string_view text) : text_(text) {}

  // The first line feed at or after at; npos when none. Each call asks for a position
  // no earlier than the one before.
  std::size_t next(std::size_t at) {
    while (index_ < count_ && feeds_[index_] < at) ++index_;
    if (index_ < count_) return feeds_[index_];
    return nextInLaterWindow(at);
  }

 private:
  static constexpr std::size_t kWindow = 4096;  // bytes, a multiple of 64

  // No line feed between at and the end of the window: the next one lies beyond.
  [[gnu::noinline]] std::size_t nextInLaterWindow(std::size_t at) {
    while (scanned_ < text_.size()) {
      list(std::max(at, scanned_));
      if (count_ != 0) return feeds_[0];
    }
    return npos;
  }

  // Lists the line feeds of the window from `from` on.
  void list(std::size_t from) {
    const std::size_t end = std::min(text_.size(), from + kWindow);
    std::size_t count = 0;
    std::size_t at = from;
    for (; end - at >= 64; at += 64) count = add(count, at, lineFeedsOf64(text_.data() + at));
    for (; at < end; ++at) {
      if (text_[at] == '\n') feeds_[count++] = at;
    }
    index_ = 0;
    count_ = count;
    scanned_ = end;
  }

  // The line feeds of 64 bytes, one bit per byte.
  static std::uint64_t lineFeedsOf64(const char* bytes) {
#if defined(__SSE2__)
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const auto part = [&](unsigned offset) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + offset));
      return static_cast<std::uint64_t>(
          static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, lineFeed))));
    };
    return part(0) | part(16) << 16 | part(32) << 32 | part(48) << 48;
#else
    std::uint64_t bits = 0;
    for (unsigned i = 0; i < 64; ++i) bits |= std::uint64_t{bytes[i] == '\n'} << i;
    return bits;
#endif
  }

  // Lists the positions of the bits after the first count, base being that of bit 0;
  // answers the new count. A real line is about as long as 64 bytes: two positions are
  // written whatever the bits (the array has room to spare) and counted without a
  // branch, and only a third takes a loop.
  std::size_t add(std::size_t count, std::size_t base, std::uint64_t bits) {
    // The lowest bit set (63 for none): counting zeros needs no case, and so no branch,
    // for a word without any.
    const auto lowest = [](std::uint64_t word) {
      return static_cast<std::size_t>(__builtin_ctzll(word | std::uint64_t{1} << 63));
    };
    std::size_t* const out = feeds_.data() + count;
    const std::uint64_t rest = bits & (bits - 1);
    out[0] = base + lowest(bits);
    out[1] = base + lowest(rest);
    count += static_cast<std::size_t>(bits != 0) + static_cast<std::size_t>(rest != 0);
    for (std::uint64_t more = rest & (rest - 1); more != 0; more &= more - 1) {
      feeds_[count++] = base + static_cast<std::size_t>(std::countr_zero(more));
    }
    return count;
  }

  std::string_view text_;
  std::size_t scanned_ = 0;  // the line feeds before this are listed or past
  std::size_t index_ = 0;    // the first listed line feed not yet passed
  std::size_t count_ = 0;    // how many are listed
  std::array<std::size_t, kWindow + 2> feeds_;
};

}  // namespace

std::string_view plainKeyOfLine(std::string_view text, std::size_t start) {
  return plainKeyAt(text, start).key;
}

namespace {

// Whether the selection wants this key of a group: the group is the selection's.
bool selects(const KeyFileSelection& selection, bool translationsNamed, std::string_view key,
             bool translation) {
  if (selection.keys == nullptr) return !translation;
  if (translation && !translationsNamed) return false;
  return std::find(selection.keys->begin(), selection.keys->end(), key) != selection.keys->end();
}

}  // namespace

bool readKeyFile(std::string_view text, bool strict,
                 const std::function<void(std::string_view group, std::string_view key,
                                          std::string_view raw)>& entry,
                 const KeyFileSelection* selection) {
  // Whether the selection names a translated key: if not, a line with a translated key
  // is known to be unwanted by its key alone.
  const bool translationsNamed =
      selection != nullptr && selection->keys != nullptr &&
      std::any_of(selection->keys->begin(), selection->keys->end(),
                  [](std::string_view key) { return key.find('[') != std::string_view::npos; });
  std::string_view group;
  bool inGroup = false;
  // Whether the current group's lines are wanted at all.
  bool groupSelected = true;
  const auto unwanted = [&](std::string_view key, bool translation) {
    return selection != nullptr && inGroup &&
           (!groupSelected || !selects(*selection, translationsNamed, key, translation));
  };
  LineFeeds feeds(text);
  std::size_t start = 0;
  while (start < text.size()) {
    // Most lines of a real entry are translations no reader asks for: such a line is
    // passed over by its key, its value never looked at.
    if (selection != nullptr && inGroup) {
      const PlainKey plain = plainKeyAt(text, start);
      if (!plain.key.empty() && unwanted(plain.key, plain.translation)) {
        const std::size_t end = feeds.next(start);
        if (end == LineFeeds::npos) break;
        start = end + 1;
        continue;
      }
    }
    std::size_t end = feeds.next(start);
    if (end == LineFeeds::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    const KeyFileLine parsed = parseKeyFileLine(line);
    using Kind = KeyFileLine::Kind;
    if (parsed.kind == Kind::kBlank || parsed.kind == Kind::kComment) continue;
    // A line the caller does not want is passed over unread.
    if (parsed.kind == Kind::kEntry &&
        unwanted(parsed.name, parsed.name.find('[') != std::string_view::npos)) {
      continue;
    }
    // A line that is not UTF-8 is ignored as a line: real entries carry a translation in
    // another encoding, and the rest of the file is still good.
    if (!isValidUtf8(line)) continue;
    if (parsed.kind == Kind::kGroup) {
      group = parsed.name;
      inGroup = true;
      groupSelected = selection == nullptr || group == selection->group;
      entry(group, {}, {});
    } else if (parsed.kind == Kind::kEntry && inGroup) {
      entry(group, parsed.name, parsed.value);
    } else if (strict) {
      return false;
    }
  }
  return true;
}

std::string escapeKeyFileValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case ' ':
        out += i == 0 ? "\\s" : " ";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string unescapeKeyFileValue(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\' || i + 1 == raw.size()) {
      out += raw[i];
      continue;
    }
    switch (raw[++i]) {
      case 's':
        out += ' ';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        out += '\\';
        out += raw[i];
    }
  }
  return out;
}

std::vector<std::string> splitKeyFileList(std::string_view raw) {
  std::vector<std::string> items;
  if (raw.find('\\') == std::string_view::npos) {
    forEachKeyFileListItem(raw, [&](std::string_view item) { items.emplace_back(item); });
    return items;
  }
  std::string current;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\\' && i + 1 < raw.size()) {
      // "\;" is a ';' inside an item; other escapes are undone with the item.
      if (raw[i + 1] != ';') current += c;
      current += raw[++i];
    } else if (c == ';') {
      if (!current.empty()) items.push_back(unescapeKeyFileValue(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) items.push_back(unescapeKeyFileValue(current));
  items.erase(std::remove(items.begin(), items.end(), std::string()), items.end());
  return items;
}

}  // namespace platform
