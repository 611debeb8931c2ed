#include "platform/KeyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/Handles.h"
#include "platform/MimeAppsList.h"

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

bool readKeyFile(std::string_view text, bool strict,
                 const std::function<void(std::string_view group, std::string_view key,
                                          std::string_view raw)>& entry,
                 bool skipTranslations) {
  std::string_view group;
  bool inGroup = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    const KeyFileLine parsed = parseKeyFileLine(line);
    using Kind = KeyFileLine::Kind;
    if (parsed.kind == Kind::kBlank || parsed.kind == Kind::kComment) continue;
    const bool translation =
        parsed.kind == Kind::kEntry && parsed.name.find('[') != std::string_view::npos;
    // A translation the caller does not want is passed over unread.
    if (skipTranslations && translation && inGroup) continue;
    // A line that is not UTF-8 is ignored as a line: real entries carry a translation in
    // another encoding, and the rest of the file is still good.
    if (!isValidUtf8(line)) continue;
    if (parsed.kind == Kind::kGroup) {
      group = parsed.name;
      inGroup = true;
      entry(group, {}, {});
    } else if (parsed.kind == Kind::kEntry && inGroup) {
      entry(group, parsed.name, parsed.value);
    } else if (strict) {
      return false;
    }
  }
  return true;
}

std::vector<std::string> splitKeyFileList(std::string_view raw) {
  std::vector<std::string> items;
  if (raw.find('\\') == std::string_view::npos) {
    std::size_t start = 0;
    while (start < raw.size()) {
      std::size_t end = raw.find(';', start);
      if (end == std::string_view::npos) end = raw.size();
      if (end > start) items.emplace_back(raw.substr(start, end - start));
      start = end + 1;
    }
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

std::optional<std::string> readSmallFile(const std::string& path, std::size_t maxBytes) {
  return readSmallFileAt(AT_FDCWD, path, maxBytes);
}

std::optional<std::string> readSmallFileAt(int folder, const std::string& path,
                                           std::size_t maxBytes) {
  // No stat first: an open and one read is all a small file costs. A folder fails to
  // read; a pipe or device never blocks (O_NONBLOCK) and cannot grow past maxBytes.
  const UniqueFd file(
      ::openat(folder, path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file) return std::nullopt;
  const int fd = file.get();
  char first[16384];
  const ssize_t n = ::read(fd, first, std::min(sizeof first, maxBytes + 1));
  if (n < 0) {
    return std::nullopt;
  }
  std::string text(first, static_cast<std::size_t>(n));
  // A short read of a file is its end; a larger file's size says how much room the rest
  // needs.
  if (static_cast<std::size_t>(n) == sizeof first) {
    struct stat info {};
    const std::size_t size = ::fstat(fd, &info) == 0 && info.st_size > 0
                                 ? static_cast<std::size_t>(info.st_size)
                                 : 2 * sizeof first;
    std::size_t got = text.size();
    text.resize(std::min(std::max(size + 1, got + 1), maxBytes + 1));
    for (;;) {
      if (got == text.size()) {
        if (text.size() > maxBytes) break;
        text.resize(std::min(text.size() * 2, maxBytes + 1));
      }
      const ssize_t more = ::read(fd, text.data() + got, text.size() - got);
      if (more < 0) {
        return std::nullopt;
      }
      if (more == 0) break;
      got += static_cast<std::size_t>(more);
    }
    text.resize(got);
  }
  if (text.size() > maxBytes) return std::nullopt;
  return text;
}

}  // namespace platform
