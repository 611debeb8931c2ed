// A mimeapps.list file (the freedesktop.org MIME-apps association file) held as its
// original lines, so that reading it skips what it cannot understand and editing it
// changes only the lines an edit must change: comments, blank lines, unknown groups,
// key order and every other key stay byte for byte.
//
// Lines are read by the one key-file grammar (KeyFile.h) that every reader of desktop
// entries, mimeinfo.cache and lists uses; this is its model for lossless editing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/KeyFile.h"
#include "platform/Text.h"

namespace platform {

// The largest list (mimeapps.list, defaults.list, mimeinfo.cache) that is read, and so
// the largest that is edited: a list is either read and editable, or refused by both.
inline constexpr std::size_t kMaxListBytes = std::size_t{64} << 20;

class MimeAppsList {
 public:
  // Never fails: lines it cannot understand are skipped for reading; editable() tells
  // whether an edit could be written back without losing or altering anything.
  static MimeAppsList parse(std::string_view text);

  // False when the text holds a NUL byte, a line that is not UTF-8 (which readers skip),
  // a key before the first group,
  // or a line that is neither a comment, a blank line, a group header nor key=value.
  bool editable() const { return problems_.empty(); }
  // What makes the file not editable, one text per fault; empty when it is editable.
  const std::vector<std::string>& problems() const { return problems_; }
  // The line of the first fault (1 for the first line); 0 when it concerns the whole file
  // or there is none.
  std::size_t firstProblemLine() const { return firstProblemLine_; }

  // Groups in file order (a group written twice is listed once).
  std::vector<std::string> groups() const;
  // Keys of a group in file order, each once; a group written twice is one group.
  std::vector<std::string> keys(std::string_view group) const;
  // Values of a key split at ';' (empty items dropped, escapes as in the key-file
  // format: \s \n \t \r \\ and \; inside an item). A key written twice: the last wins.
  std::vector<std::string> values(std::string_view group, std::string_view key) const;
  // Every key of a group, each once in file order, with its values as values() gives
  // them: one pass over the file, however many keys it has.
  std::vector<std::pair<std::string, std::vector<std::string>>> entries(
      std::string_view group) const;
  // The value of a key as one string, unescaped (\s \n \t \r \\); none when absent.
  std::optional<std::string> value(std::string_view group, std::string_view key) const;

  // Whether a key names the type being edited (an alias, another letter case); null
  // compares keys byte for byte.
  using SameType = std::function<bool(std::string_view key)>;

  // desktopId (".desktop" added when missing) first in [Default Applications] for
  // mimeType, present in [Added Associations], absent from [Removed Associations];
  // nothing else changes. Every key of the group that names the same type (sameType),
  // and every occurrence of a key written twice, is updated alike, so that every reader
  // finds the change, whichever of them it takes.
  void setDefault(std::string_view mimeType, std::string_view desktopId,
                  const SameType& sameType = nullptr);
  // Only the [Default Applications] part of setDefault: the edit a desktop-specific
  // list takes, since such a list may hold no associations.
  void setDefaultApplication(std::string_view mimeType, std::string_view desktopId,
                             const SameType& sameType = nullptr);
  // Whether [Default Applications] names a default for the type under any of its keys.
  bool hasDefault(std::string_view mimeType, const SameType& sameType = nullptr) const;
  // Sets a key to a string value (escaped as the key-file format requires): rewrites
  // every line holding the key, or adds one line at the end of the group's last
  // section, or a new group at the end of the file.
  void setValue(std::string_view group, std::string_view key, std::string_view value);

  // parse(x).serialize() == x byte for byte.
  std::string serialize() const;

 private:
  using Kind = KeyFileLine::Kind;
  struct Line {
    std::string text;     // the line without its line feed ('\r' kept)
    bool newline = true;  // whether a line feed followed it in the text
    Kind kind = Kind::kInvalid;
    std::string name;   // group name (kGroup) or key (kEntry)
    std::string value;  // raw value of kEntry: after '=' and leading blanks, without a final '\r'
    int section = -1;   // index of the group header line this line belongs to
  };

  // Indexes of the entry lines of key in every section of group, in file order.
  std::vector<std::size_t> entryLines(std::string_view group, std::string_view key) const;
  // The same for every key naming the type: key itself, and those sameType accepts.
  std::vector<std::size_t> typeLines(std::string_view group, std::string_view key,
                                     const SameType& sameType) const;
  // Replaces the entry line at index with "key=rawValue", keeping a trailing '\r'.
  void rewriteEntry(std::size_t index, const std::string& rawValue);
  // Adds "key=rawValue" to the last section of group, or a new group at the end.
  void addEntry(std::string_view group, std::string_view key, const std::string& rawValue);
  std::string lineEnding() const;
  // Gives the line at index a line end (the file's: LF, or CR LF) when it has none.
  void endLine(std::size_t index);

  std::vector<Line> lines_;
  std::vector<std::string> problems_;
  std::size_t firstProblemLine_ = 0;
};

// The names that may pass from a file into a lookup, a listing or a list. Every reader
// and writer asks these two, so that a name is used everywhere or nowhere; none of
// them can hold a line break, a tab, white space, '=', ';' or '[', so none can add,
// split or fake a line of output or of a list.
//
// "type/subtype", both MIME tokens (printable ASCII without white space or any of
// ()<>@,;:\"/[]?=), not starting with '#' (a comment line in a list); at most 255
// bytes. For "x-scheme-handler/SCHEME", SCHEME is a valid URI scheme (a letter, then
// letters, digits, '+', '-', '.').
bool isValidMimeType(std::string_view text);
// A desktop file ID, with or without its ".desktop" suffix: letters, digits and
// "._-+", not starting with '.' or '-', at most 255 bytes.
bool isValidDesktopFileId(std::string_view text);

}  // namespace platform
