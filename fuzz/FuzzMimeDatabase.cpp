// Fuzz target of the shared MIME-info database files: the input is cut at NUL bytes into
// `types`, `aliases` and `subclasses` of a first folder and the same of a second, and
// the database built from them must keep its promises: only valid type names come out,
// each type once; a type's ancestors are each listed once, closed under "parent of",
// and it conforms to every one of them; a type is found again in any letter case.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTree.h"
#include "platform/MimeAppsList.h"
#include "platform/MimeDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using fuzz::check;
  static const fuzz::ScratchFolder scratch;
  const auto parts =
      fuzz::splitInput(std::string_view(reinterpret_cast<const char*>(data), size), 6);
  static const char* const kFiles[] = {"a/types", "a/aliases", "a/subclasses",
                                       "b/types", "b/aliases", "b/subclasses"};
  for (std::size_t i = 0; i < parts.size(); ++i) scratch.write(kFiles[i], parts[i]);

  platform::MimeDatabase database({scratch.path() + "/a", scratch.path() + "/b"});
  std::set<std::string> seen;
  for (const auto& type : database.types()) {
    check(platform::isValidMimeType(type), "declared types are valid type names");
    check(seen.insert(type).second, "each type is declared once");
    check(database.isKnown(type), "a declared type is known");
    const auto chain = database.withAncestors(type);
    check(!chain.empty() && chain.front() == database.unalias(type), "a type leads its ancestors");
    const std::set<std::string> members(chain.begin(), chain.end());
    check(members.size() == chain.size(), "each ancestor is listed once");
    for (const auto& member : chain) {
      check(platform::isValidMimeType(member), "ancestors are valid type names");
      check(database.conformsTo(type, member), "a type conforms to its ancestors");
      for (const auto& parent : database.parents(member)) {
        check(members.count(parent) > 0, "the ancestors hold every parent of an ancestor");
      }
    }
    check(database.canonicalIgnoringCase(platform::lowercase(type)).has_value(),
          "a type is found in any letter case");
  }
  return 0;
}
