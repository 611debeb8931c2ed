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

// The fast read-only path: calls entry(group, key, rawValue) for every group header
// (with an empty key and value) and every key=value line, in file order, without
// copying. A line that is not UTF-8 is skipped. With skipTranslations, keys of the form
// Key[locale] are skipped without being checked or decoded. In strict mode it stops at
// the first malformed line (or a key before any group) and answers false; otherwise
// such lines are skipped and the answer is true.
bool readKeyFile(std::string_view text, bool strict,
                 const std::function<void(std::string_view group, std::string_view key,
                                          std::string_view raw)>& entry,
                 bool skipTranslations = false);

// A list value split at unescaped ';', each item unescaped, empty items dropped.
std::vector<std::string> splitKeyFileList(std::string_view raw);

// Reads a whole file of at most maxBytes bytes; none when it cannot be read or is larger.
std::optional<std::string> readSmallFile(const std::string& path, std::size_t maxBytes);
// The same for a path relative to an open folder (a file descriptor), which spares the
// system walking the folder's own path again for every file in it.
std::optional<std::string> readSmallFileAt(int folder, const std::string& path,
                                           std::size_t maxBytes);

}  // namespace platform
