// Which applications open which MIME type, by the rules of the MIME-apps association
// standard: mimeapps.list files in precedence order (desktop-specific lists first),
// their [Default Applications], [Added Associations] and [Removed Associations], the
// associations the entries declare in MimeType= (through each folder's mimeinfo.cache
// where it has one), aliases resolved to canonical types, and parent types as fallback.
//
// Sources, in precedence order: the user's config folder, the system config folders,
// the user's applications folder, the system applications folders. A config folder
// holds only lists; an applications folder holds lists, the deprecated defaults.list
// and mimeinfo.cache. Everything is read when first needed, once.
//
// Desktop file IDs are interned: each distinct ID is stored once and known by its
// index, so the association lists are lists of small integers, and whether an ID is
// installed or masked by an earlier folder is asked of the applications once per ID.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/Applications.h"
#include "platform/MimeAppsList.h"
#include "platform/MimeDatabase.h"
#include "platform/XdgDirs.h"

namespace platform {

class Associations final {
 public:
  // database and applications must outlive this object.
  Associations(const XdgDirs& dirs, MimeDatabase& database, Applications& applications);
  Associations(const Associations&) = delete;
  Associations& operator=(const Associations&) = delete;

  // The desktop file ID that opening something of this type launches; none when no
  // installed application handles it or one of its parent types.
  std::optional<std::string> defaultFor(std::string_view type);
  // Every installed application associated with the type or a parent type (through
  // added associations and MimeType= keys, less removed ones), each once, in precedence
  // order, the default (defaultFor) always first, even when it is named only in
  // [Default Applications].
  std::vector<std::string> allFor(std::string_view type);
  // Every type that some source associates with an application or names a default
  // for, each once, canonical, in no particular order.
  std::vector<std::string> associatedTypes();

  // Whether some entry declares this canonical type, exactly as written (MimeType= or
  // mimeinfo.cache).
  bool declares(const std::string& type);
  // The type as the sources name it, matched ignoring letter case (the first in byte
  // order when they spell it several ways); none when no source names it.
  std::optional<std::string> spellingIgnoringCase(std::string_view type);

  // Forgets everything read, for after a list changed.
  void reload();

 private:
  using Id = std::uint32_t;
  struct Tweaks {
    std::vector<Id> defaults;
    std::vector<Id> additions;
    std::vector<Id> removals;
    bool empty() const { return defaults.empty() && additions.empty() && removals.empty(); }
  };
  struct Source {
    std::string path;
    // Index of the applications folder this source is, or none for a config folder.
    std::optional<std::size_t> applications;
    // Associations of an application whose ID a file in one of the first maskedBy
    // applications folders claims are not this source's to make.
    std::size_t maskedBy = 0;
    // What the lists say, per canonical type.
    std::unordered_map<std::string, Tweaks> listed;
    // mimeinfo.cache as read, and per canonical type where its values are in it (offset
    // and length): values are split only for the types asked about. The keys are views
    // into the cache where it spells a type canonically, else into respelled.
    std::string cache;
    std::deque<std::string> respelled;
    std::unordered_map<std::string_view, std::vector<std::pair<std::size_t, std::size_t>>> cached;
    // For a folder without mimeinfo.cache: the IDs whose MimeType= names each type.
    std::unordered_map<std::string, std::vector<Id>> declared;
    // Whether cache and declared are read (see readCache); a source that is no
    // applications folder has neither to read.
    bool cacheRead = true;
    // The merged associations per type, computed on first use.
    std::unordered_map<std::string, Tweaks> merged;
  };
  // What is known about one desktop file ID, each asked once.
  struct Known {
    std::string id;
    bool resolved = false;
    const Application* application = nullptr;  // when resolved: the installed entry
    // The first applications folder holding a file with this ID, asked once.
    bool firstFolderKnown = false;
    std::optional<std::size_t> firstFolder;
  };
  // A set of IDs that empties in constant time (a stamp per ID).
  class IdSet {
   public:
    void clear();
    bool contains(Id id) const { return id < stamps_.size() && stamps_[id] == epoch_; }
    // False when the ID was in the set already.
    bool insert(Id id);

   private:
    std::vector<std::uint32_t> stamps_;
    std::uint32_t epoch_ = 1;
  };

  void load();
  // Files what a list says. A scheme's type spelled in capitals ("x-scheme-handler/Zed")
  // is filed in a second pass (respelled), after the lowercase spelling that opening a
  // URL uses, so that within one source the lowercase spelling decides.
  void readList(Source& source, const MimeAppsList& list, bool associationsAllowed, bool respelled);
  // Reads an applications folder's cache (or its entries' MimeType= keys) once.
  void readCache(Source& source);
  // Reads what no query has needed yet: every applications folder's cache, or its
  // entries' MimeType= keys where it has none.
  void readCaches();
  // The sources (indexes into sources_, in precedence order) that may name a canonical
  // type: those that do, or every source when there are few.
  const std::vector<std::size_t>& sourcesNaming(const std::string& type) const;
  // All that the source says about a canonical type; null when it says nothing.
  const Tweaks* tweaksOf(Source& source, const std::string& type);
  // Appends the items not yet in list and not in excluded.
  void expand(std::vector<Id>& list, const std::vector<Id>& items, const std::vector<Id>* excluded);
  Id intern(std::string_view id);
  std::vector<Id> internAll(const std::vector<std::string>& ids);
  const Application* installed(Id id);
  // Whether a file in one of the first `folders` applications folders claims the ID.
  bool maskedBefore(Id id, std::size_t folders);
  // Gives the source's associations of type, in order, to take(id): those not seen,
  // blocked or masked, each then seen. When take answers true, lookup stops there and
  // answers true. Otherwise the source's removals are added to blocked (blocks is set
  // when one blocked an ID) and it answers false.
  template <typename Take>
  bool lookup(Source& source, const std::string& type, IdSet& seen, IdSet& blocked, bool& blocks,
              Take take);

  // The default of a canonical type through its ancestors; with ownOnly, of the type's
  // own sources alone, blocks then telling whether they removed an application.
  std::optional<Id> walkDefault(const std::string& type, bool ownOnly, bool* blocks);

  const XdgDirs& dirs_;
  MimeDatabase& database_;
  Applications& applications_;
  std::optional<std::vector<Source>> sources_;
  StringMap<std::vector<std::size_t>> naming_;
  std::vector<std::size_t> everySource_;
  std::deque<Known> known_;  // a deque: the index below points into its strings
  std::unordered_map<std::string_view, Id> ids_;
  // Lowercased type -> the spelling of the sources, built when first asked.
  std::optional<std::unordered_map<std::string, std::string>> spellings_;
  // The default of each canonical type asked for (none: no default).
  std::unordered_map<std::string, std::optional<Id>> defaults_;
  // Working sets of the queries, kept so that a query allocates nothing for them.
  IdSet scratch_;
  IdSet seen_;
  IdSet blocked_;
};

}  // namespace platform
