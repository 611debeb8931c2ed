#include "platform/MimeAppsList.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "platform/KeyFile.h"

namespace platform {
namespace {

constexpr std::string_view kDefaultGroup = "Default Applications";
constexpr std::string_view kAddedGroup = "Added Associations";
constexpr std::string_view kRemovedGroup = "Removed Associations";
constexpr std::string_view kDesktopSuffix = ".desktop";

}  // namespace

namespace {

std::string_view withoutSuffix(std::string_view id) {
  if (id.size() > kDesktopSuffix.size() && id.ends_with(kDesktopSuffix)) {
    id.remove_suffix(kDesktopSuffix.size());
  }
  return id;
}

// Splits a raw list value at unescaped ';' into raw items, empty items dropped.
std::vector<std::string> rawItems(std::string_view raw) {
  std::vector<std::string> items;
  std::string current;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\\' && i + 1 < raw.size()) {
      current += c;
      current += raw[++i];
    } else if (c == ';') {
      if (!current.empty()) items.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) items.push_back(std::move(current));
  return items;
}

std::string unescapeItem(std::string_view raw) {
  std::string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == ';') {
      out += ';';
      ++i;
    } else if (raw[i] == '\\' && i + 1 < raw.size()) {
      out += unescapeKeyFileValue(raw.substr(i, 2));
      ++i;
    } else {
      out += raw[i];
    }
  }
  return out;
}

std::string joinItems(const std::vector<std::string>& items) {
  std::string out;
  for (const auto& item : items) {
    out += item;
    out += ';';
  }
  return out;
}

bool sameApplication(std::string_view rawItem, std::string_view id) {
  return withoutSuffix(unescapeItem(rawItem)) == withoutSuffix(id);
}

}  // namespace

MimeAppsList MimeAppsList::parse(std::string_view text) {
  MimeAppsList list;
  if (text.find('\0') != std::string_view::npos)
    list.problems_.push_back("the file holds a NUL byte");

  int section = -1;
  std::size_t start = 0;
  std::size_t number = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    Line line;
    line.newline = end != std::string_view::npos;
    line.text =
        std::string(text.substr(start, line.newline ? end - start : std::string_view::npos));
    start = line.newline ? end + 1 : text.size();
    ++number;
    const auto fault = [&](std::string_view what) {
      if (list.problems_.empty()) list.firstProblemLine_ = number;
      list.problems_.emplace_back(what);
    };

    // The one line grammar of key files; a line that is not UTF-8 is kept but not read.
    const KeyFileLine parsed = parseKeyFileLine(line.text);
    if (!isValidUtf8(line.text)) {
      fault("the line is not valid UTF-8");
    } else if (parsed.kind == Kind::kInvalid) {
      fault(parsed.fault);
    } else if (parsed.kind == Kind::kEntry && section < 0) {
      fault("key before the first group");
    } else {
      line.kind = parsed.kind;
      line.name = std::string(parsed.name);
      line.value = std::string(parsed.value);
      if (parsed.kind == Kind::kGroup) section = static_cast<int>(list.lines_.size());
    }
    line.section = section;
    list.lines_.push_back(std::move(line));
  }
  return list;
}

std::vector<std::string> MimeAppsList::groups() const {
  std::vector<std::string> result;
  for (const auto& line : lines_) {
    if (line.kind == Kind::kGroup &&
        std::find(result.begin(), result.end(), line.name) == result.end()) {
      result.push_back(line.name);
    }
  }
  return result;
}

std::vector<std::string> MimeAppsList::keys(std::string_view group) const {
  std::vector<std::string> result;
  std::unordered_set<std::string_view> listed;
  for (const auto& line : lines_) {
    if (line.kind == Kind::kEntry && lines_[line.section].name == group &&
        listed.insert(line.name).second) {
      result.push_back(line.name);
    }
  }
  return result;
}

std::vector<std::pair<std::string, std::vector<std::string>>> MimeAppsList::entries(
    std::string_view group) const {
  // One pass: each key's last line, found through a hash of the keys seen so far.
  std::vector<std::pair<std::string_view, std::size_t>> last;
  std::unordered_map<std::string_view, std::size_t> position;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind != Kind::kEntry || lines_[line.section].name != group) continue;
    const auto [known, added] = position.try_emplace(line.name, last.size());
    if (added) {
      last.emplace_back(line.name, i);
    } else {
      last[known->second].second = i;
    }
  }
  std::vector<std::pair<std::string, std::vector<std::string>>> result;
  result.reserve(last.size());
  for (const auto& [key, index] : last) {
    result.emplace_back(std::string(key), splitKeyFileList(lines_[index].value));
  }
  return result;
}

std::vector<std::size_t> MimeAppsList::entryLines(std::string_view group,
                                                  std::string_view key) const {
  std::vector<std::size_t> result;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::kEntry && line.name == key && lines_[line.section].name == group) {
      result.push_back(i);
    }
  }
  return result;
}

std::vector<std::size_t> MimeAppsList::typeLines(std::string_view group, std::string_view key,
                                                 const SameType& sameType) const {
  std::vector<std::size_t> result;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::kEntry && lines_[line.section].name == group &&
        (line.name == key || (sameType && sameType(line.name)))) {
      result.push_back(i);
    }
  }
  return result;
}

bool MimeAppsList::hasDefault(std::string_view mimeType, const SameType& sameType) const {
  for (const std::size_t index : typeLines(kDefaultGroup, mimeType, sameType)) {
    if (!rawItems(lines_[index].value).empty()) return true;
  }
  return false;
}

std::vector<std::string> MimeAppsList::values(std::string_view group, std::string_view key) const {
  const auto found = entryLines(group, key);
  if (found.empty()) return {};
  return splitKeyFileList(lines_[found.back()].value);
}

std::optional<std::string> MimeAppsList::value(std::string_view group, std::string_view key) const {
  const auto found = entryLines(group, key);
  if (found.empty()) return std::nullopt;
  return unescapeKeyFileValue(lines_[found.back()].value);
}

std::string MimeAppsList::lineEnding() const {
  if (!lines_.empty() && lines_.front().newline && lines_.front().text.ends_with('\r')) {
    return "\r\n";
  }
  return "\n";
}

void MimeAppsList::endLine(std::size_t index) {
  Line& line = lines_[index];
  if (line.newline) return;
  // The file's last line had no line end: it gets the file's own, CR included.
  if (lineEnding() == "\r\n" && !line.text.ends_with('\r')) line.text += '\r';
  line.newline = true;
}

void MimeAppsList::rewriteEntry(std::size_t index, const std::string& rawValue) {
  Line& line = lines_[index];
  const bool carriageReturn = line.text.ends_with('\r');
  line.text = line.name + "=" + rawValue + (carriageReturn ? "\r" : "");
  line.value = rawValue;
}

void MimeAppsList::addEntry(std::string_view group, std::string_view key,
                            const std::string& rawValue) {
  const std::string eol = lineEnding();
  const bool carriageReturn = eol == "\r\n";
  Line entry;
  entry.kind = Kind::kEntry;
  entry.name = std::string(key);
  entry.value = rawValue;
  entry.text = entry.name + "=" + rawValue + (carriageReturn ? "\r" : "");

  // The last header of the group; the new key goes after that section's last entry.
  int header = -1;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kGroup && lines_[i].name == group) header = static_cast<int>(i);
  }
  if (header >= 0) {
    std::size_t at = static_cast<std::size_t>(header);
    for (std::size_t i = at + 1; i < lines_.size() && lines_[i].section == header; ++i) {
      if (lines_[i].kind == Kind::kEntry) at = i;
    }
    endLine(at);
    entry.section = header;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at) + 1, std::move(entry));
    for (auto& line : lines_) {
      if (line.section > static_cast<int>(at)) ++line.section;
    }
    return;
  }

  if (!lines_.empty()) {
    endLine(lines_.size() - 1);
    if (lines_.back().kind != Kind::kBlank) {
      Line blank;
      blank.kind = Kind::kBlank;
      if (carriageReturn) blank.text.push_back('\r');
      blank.section = lines_.back().section;
      lines_.push_back(std::move(blank));
    }
  }
  Line headerLine;
  headerLine.kind = Kind::kGroup;
  headerLine.name = std::string(group);
  headerLine.text = "[" + headerLine.name + "]" + (carriageReturn ? "\r" : "");
  const int section = static_cast<int>(lines_.size());
  headerLine.section = section;
  lines_.push_back(std::move(headerLine));
  entry.section = section;
  lines_.push_back(std::move(entry));
}

void MimeAppsList::setDefaultApplication(std::string_view mimeType, std::string_view desktopId,
                                         const SameType& sameType) {
  const std::string id = std::string(withoutSuffix(desktopId)) + std::string(kDesktopSuffix);

  // The application first, the others kept in their order.
  // The type's own key is always there: readers that look a key up as written find it.
  if (entryLines(kDefaultGroup, mimeType).empty()) {
    addEntry(kDefaultGroup, mimeType, id + ";");
  }
  const auto defaults = typeLines(kDefaultGroup, mimeType, sameType);
  for (const std::size_t index : defaults) {
    std::vector<std::string> items{id};
    for (auto& item : rawItems(lines_[index].value)) {
      if (!sameApplication(item, id)) items.push_back(std::move(item));
    }
    const std::string raw = joinItems(items);
    // An unchanged line is left as written. A changed one is written "key=value" from
    // its first column, the form that line-oriented readers of the file also find.
    if (raw != lines_[index].value || !lines_[index].text.starts_with(lines_[index].name + "=")) {
      rewriteEntry(index, raw);
    }
  }
}

void MimeAppsList::setDefault(std::string_view mimeType, std::string_view desktopId,
                              const SameType& sameType) {
  const std::string id = std::string(withoutSuffix(desktopId)) + std::string(kDesktopSuffix);
  setDefaultApplication(mimeType, id, sameType);

  // [Added Associations]: the association exists; an existing one is left alone.
  if (entryLines(kAddedGroup, mimeType).empty()) addEntry(kAddedGroup, mimeType, id + ";");
  const auto added = typeLines(kAddedGroup, mimeType, sameType);
  for (const std::size_t index : added) {
    auto items = rawItems(lines_[index].value);
    if (std::none_of(items.begin(), items.end(),
                     [&](const std::string& item) { return sameApplication(item, id); })) {
      items.insert(items.begin(), id);
      rewriteEntry(index, joinItems(items));
    }
  }

  // [Removed Associations]: the application is taken out; a key left empty goes.
  const auto removed = typeLines(kRemovedGroup, mimeType, sameType);
  std::vector<std::size_t> emptied;
  for (const std::size_t index : removed) {
    auto items = rawItems(lines_[index].value);
    const auto kept = std::remove_if(items.begin(), items.end(), [&](const std::string& item) {
      return sameApplication(item, id);
    });
    if (kept == items.end()) continue;
    items.erase(kept, items.end());
    if (items.empty()) {
      emptied.push_back(index);
    } else {
      rewriteEntry(index, joinItems(items));
    }
  }
  for (auto it = emptied.rbegin(); it != emptied.rend(); ++it) {
    const std::size_t index = *it;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
    for (auto& line : lines_) {
      if (line.section > static_cast<int>(index)) --line.section;
    }
  }
}

void MimeAppsList::setValue(std::string_view group, std::string_view key, std::string_view value) {
  const std::string raw = escapeKeyFileValue(value);
  const auto found = entryLines(group, key);
  if (found.empty()) addEntry(group, key, raw);
  for (const std::size_t index : found) rewriteEntry(index, raw);
}

std::string MimeAppsList::serialize() const {
  std::string out;
  for (const auto& line : lines_) {
    out += line.text;
    if (line.newline) out += '\n';
  }
  return out;
}

bool isValidMimeType(std::string_view text) {
  if (text.empty() || text.size() > 255) return false;
  const std::size_t slash = text.find('/');
  if (slash == 0 || slash == std::string_view::npos || slash + 1 == text.size()) return false;
  // A key starting with '#' is a comment line to every reader of a list.
  if (text.front() == '#') return false;
  // The characters of a token: printable ASCII less the separators.
  static constexpr auto kTokenCharacters = [] {
    std::array<bool, 256> allowed{};
    constexpr std::string_view kSpecials = "()<>@,;:\\\"/[]?=";
    for (unsigned c = 0x21; c < 0x7F; ++c) {
      allowed[c] = kSpecials.find(static_cast<char>(c)) == std::string_view::npos;
    }
    return allowed;
  }();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i != slash && !kTokenCharacters[static_cast<unsigned char>(text[i])]) return false;
  }
  // A URL scheme's pseudo type, in any letter case as types are compared, holds a valid
  // URI scheme: a letter, then letters, digits, '+', '-' and '.'.
  constexpr std::string_view kSchemePrefix = "x-scheme-handler/";
  const auto samePrefix = [&] {
    for (std::size_t i = 0; i < kSchemePrefix.size(); ++i) {
      if (asciiLower(text[i]) != kSchemePrefix[i]) return false;
    }
    return true;
  };
  if (text.size() > kSchemePrefix.size() && samePrefix()) {
    const std::string_view scheme = text.substr(kSchemePrefix.size());
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!letter(scheme.front())) return false;
    return std::all_of(scheme.begin(), scheme.end(), [&](char c) {
      return letter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    });
  }
  return true;
}

bool isValidDesktopFileId(std::string_view text) {
  const std::string_view base = withoutSuffix(text);
  if (base.empty() || text.size() > 255 || base == kDesktopSuffix) return false;
  if (base.front() == '.' || base.front() == '-') return false;
  return std::all_of(base.begin(), base.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-' || c == '+';
  });
}

}  // namespace platform
