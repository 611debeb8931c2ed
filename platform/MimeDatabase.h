// The shared MIME-info database as far as handler lookups need it: the list of types
// (`types`), aliases (`aliases`) and subclass relations (`subclasses`) of every
// "mime" folder in the data directories. Each file is read the first time a question
// needs it, so a lookup that needs no parents never reads `subclasses`.
//
// Where folders disagree, the folder earlier in precedence wins for an alias; types and
// parents are the union of all folders.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/Text.h"

namespace platform {

class MimeDatabase final {
 public:
  // mimeDirs: the "mime" folders in precedence order.
  explicit MimeDatabase(std::vector<std::string> mimeDirs);
  MimeDatabase(const MimeDatabase&) = delete;
  MimeDatabase& operator=(const MimeDatabase&) = delete;

  // The canonical name of a type: its alias target, or the type itself.
  std::string unalias(std::string_view type);
  // The one name of a type however it is spelled, as lists and queries are compared:
  // aliases resolved and letter case ignored; the database's own name where it knows the
  // type, else the text in lower case.
  std::string canonical(std::string_view type);
  // Whether canonical(type) is the type as written, asked without making a copy for
  // the types the database declares.
  bool isCanonical(std::string_view type);
  // The canonical name of a type the database knows under another letter case (MIME
  // types ignore case): "TEXT/PLAIN" is "text/plain", "Text/X-C" is "text/x-csrc",
  // "audio/amr" is "audio/AMR"; none when no type or alias matches ignoring case.
  std::optional<std::string> canonicalIgnoringCase(std::string_view type);
  // The direct parents of a type (after unaliasing), canonical, in database order.
  std::vector<std::string> parents(std::string_view type);
  // The type (unaliased) followed by all its ancestors, breadth first, each once: the
  // order in which a handler lookup falls back.
  std::vector<std::string> withAncestors(std::string_view type);
  // Every type the database declares (canonical names), each once, in database order.
  const std::vector<std::string>& types();
  // Whether the database declares the type (an alias of a declared type counts).
  bool isKnown(std::string_view type);
  // Whether type is parent or one of its descendants (reflexive, transitive, through
  // aliases). As in the database's own rules, every text/* type is a text/plain and
  // every type outside inode/* is an application/octet-stream.
  bool conformsTo(std::string_view type, std::string_view parent);

 private:
  using View = std::string_view;
  // Reads one database file and keeps its text; none when it cannot be read.
  const std::string* readFile(const std::string& path);
  void loadAliases();
  void loadParents();
  void loadTypes();
  void loadFoldedNames();
  // The direct parents of a canonical type, without a copy.
  const std::vector<std::string>& parentsOf(const std::string& canonical);
  // The alias target of a type, or the type itself; a view into texts_ or into type.
  View unaliased(View type);

  std::vector<std::string> mimeDirs_;
  // The files as read: the views below point into them. A deque, so they never move.
  std::deque<std::string> texts_;
  // Alias -> canonical type, as views into the files.
  std::optional<std::unordered_map<View, View>> aliases_;
  std::optional<StringMap<std::vector<std::string>>> parents_;
  // The declared types, canonical, in database order.
  std::optional<std::vector<View>> typeOrder_;
  std::unordered_set<View> typeSet_;
  // typeOrder_ as strings, made when the list is asked for.
  std::optional<std::vector<std::string>> types_;
  // Lowercased -> canonical, for the types and aliases whose name has capital letters.
  std::optional<StringMap<std::string>> foldedNames_;
};

}  // namespace platform
