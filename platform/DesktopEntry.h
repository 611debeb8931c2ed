// Desktop entries ("*.desktop" files), read through the fast path of the key-file
// parser (KeyFile.h), which passes over the keys not asked for unread. DesktopEntry
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

#include "platform/KeyFile.h"

namespace platform {

class DesktopEntry {
 public:
  // None when the text is not a well-formed desktop entry (see above). With keys given,
  // only those keys are kept (the whole text is checked all the same); a translated key
  // such as "Name[de]" is kept only when keys names it.
  static std::optional<DesktopEntry> parse(std::string_view text,
                                           const std::vector<std::string_view>* keys = nullptr);
  // None as well when the file cannot be read or is unreasonably large. The path is
  // relative to the open folder when one is given. With a buffer, the file is read into
  // it (see readSmallFileInto), which spares a reader of many entries an allocation
  // for each.
  static std::optional<DesktopEntry> load(const std::string& path, int folder = -1,
                                          const std::vector<std::string_view>* keys = nullptr,
                                          std::string* buffer = nullptr);

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
