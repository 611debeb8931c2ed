// The key-file format shared by desktop entries, mimeapps.list and mimeinfo.cache: one
// grammar for a line, used by every reader and by the writer of this layer alike.
//
// A line is blank, a "#" comment, a group header "[Name]" or "key=value"; anything else
// is malformed. Leading white space of a line is ignored; a key loses the white space
// around it; a value loses the blanks after '=' and the carriage return of a CRLF line
// ending, and keeps any other trailing blanks. A line that is not UTF-8 is ignored as a
// line by every reader (the rest of the file is still good); MimeAppsList, which keeps
// every line for lossless editing, also refuses to edit a file that holds one.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct KeyFileLine {
  enum class Kind { kBlank, kComment, kGroup, kEntry, kInvalid };
  Kind kind = Kind::kInvalid;
  std::string_view name;   // group name (kGroup) or key (kEntry)
  std::string_view value;  // raw, still escaped value (kEntry)
  std::string_view fault;  // what is wrong with a kInvalid line
};

// Classifies one line (without its line feed). The views point into line.
KeyFileLine parseKeyFileLine(std::string_view line);

// The key=value lines a reader wants of a file: the keys of one group, either those
// named or (with keys null) every untranslated one, that is every key but Key[locale].
struct KeyFileSelection {
  std::string_view group;
  const std::vector<std::string_view>* keys = nullptr;
};

// The fast read-only path: calls entry(group, key, rawValue) for every group header
// (with an empty key and value) and every key=value line, in file order, without
// copying. A line that is not UTF-8 is skipped. With a selection, the key=value lines
// of a group that it does not want are passed over without their value being looked
// at (neither checked nor decoded); only whether the line is well formed counts. In
// strict mode it stops at the first malformed line (or a key before any group) and
// answers false; otherwise such lines are skipped and the answer is true.
bool readKeyFile(std::string_view text, bool strict,
                 const std::function<void(std::string_view group, std::string_view key,
                                          std::string_view raw)>& entry,
                 const KeyFileSelection* selection = nullptr);

// The key of a line (from start to its line feed or the end of text) when the line is
// plainly key=value: no control character before the '=', nor anything but blanks
// before the key; then parseKeyFileLine makes it an entry with that very key. Empty
// for every other line. This is how readKeyFile passes over unwanted lines while
// looking at their keys alone.
std::string_view plainKeyOfLine(std::string_view text, std::size_t start);

// The value format.
// Escapes a string value: backslash, line feed, tab, carriage return, leading space.
std::string escapeKeyFileValue(std::string_view value);
// Undoes escapeKeyFileValue; an unknown escape keeps its backslash.
std::string unescapeKeyFileValue(std::string_view raw);
// A list value split at unescaped ';', each item unescaped, empty items dropped.
std::vector<std::string> splitKeyFileList(std::string_view raw);
// The same, each item given to visit(std::string_view); without a copy when the value
// holds no escape.
template <typename Visit>
void forEachKeyFileListItem(std::string_view raw, Visit visit) {
  if (raw.find('\\') != std::string_view::npos) {
    for (const auto& item : splitKeyFileList(raw)) visit(std::string_view(item));
    return;
  }
  std::size_t start = 0;
  while (start < raw.size()) {
    std::size_t end = raw.find(';', start);
    if (end == std::string_view::npos) end = raw.size();
    if (end > start) visit(raw.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace platform
