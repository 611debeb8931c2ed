// Desktop entries (the Desktop Entry Specification's "*.desktop" files) and the
// key-file format they share with mimeapps.list and mimeinfo.cache.
//
// readKeyFile makes one pass over a key file and hands every key=value line to a
// callback; it is the fast reader for the large generated files (mimeinfo.cache) and
// for desktop entries. A line that is not valid UTF-8 is skipped as a line. DesktopEntry
// keeps the untranslated keys of an entry's [Desktop Entry] group: an entry that holds a
// NUL byte or a line that is not a group, key=value, comment or blank line, or does not
// start with [Desktop Entry] is not a desktop entry at all, and is skipped by its
// readers.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Calls entry(group, key, rawValue) for every group header (with an empty key and
// value) and every key=value line, in file order, with the key and the raw (still
// escaped) value trimmed. In strict mode it stops at the first
// line that is malformed (or a key before any group, or a NUL byte) and answers false;
// otherwise such lines are skipped and the answer is true.
bool readKeyFile(std::string_view text, bool strict,
                 const std::function<void(std::string_view group, std::string_view key,
                                          std::string_view raw)>& entry);

// A list value split at unescaped ';', each item unescaped, empty items dropped.
std::vector<std::string> splitKeyFileList(std::string_view raw);

// Reads a whole file of at most maxBytes bytes; none when it cannot be read or is larger.
std::optional<std::string> readSmallFile(const std::string& path, std::size_t maxBytes);
// The same for a path relative to an open folder (a file descriptor), which spares the
// system walking the folder's own path again for every file in it.
std::optional<std::string> readSmallFileAt(int folder, const std::string& path,
                                           std::size_t maxBytes);

class DesktopEntry {
 public:
  // None when the text is not a well-formed desktop entry (see above). With keys given,
  // only those keys are kept (the whole text is checked all the same).
  static std::optional<DesktopEntry> parse(std::string_view text,
                                           const std::vector<std::string_view>* keys = nullptr);
  // None as well when the file cannot be read or is unreasonably large. The path is
  // relative to the open folder when one is given.
  static std::optional<DesktopEntry> load(const std::string& path, int folder = -1,
                                          const std::vector<std::string_view>* keys = nullptr);

  // The untranslated keys of [Desktop Entry] in file order, with their unescaped values
  // (a key written twice keeps its last value).
  std::vector<std::pair<std::string, std::string>> entries() const;
  std::optional<std::string> value(std::string_view key) const;
  std::vector<std::string> list(std::string_view key) const;
  // "true" or "1" is true; anything else, or no such key, is false.
  bool boolean(std::string_view key) const;

  // The value as written in the file, still escaped; none when the key is absent.
  std::optional<std::string_view> raw(std::string_view key) const;
  // The program Exec would start (its first word, quoting undone); none when Exec is
  // missing, empty or malformed.
  std::optional<std::string> execProgram() const;

 private:
  // Keys and raw values of [Desktop Entry]; values are unescaped only when asked for.
  std::vector<std::pair<std::string, std::string>> rawEntries_;
};

}  // namespace platform
