// Which applications open which MIME type, by the rules of the MIME-apps association
// standard: mimeapps.list files in precedence order (desktop-specific lists first),
// their [Default Applications], [Added Associations] and [Removed Associations], the
// associations the entries declare in MimeType= (through each folder's mimeinfo.cache
// where it has one), aliases resolved to canonical types, and parent types as fallback.
//
// Sources, in precedence order: the user's config folder, the user's applications
// folder, the system config folders, the system applications folders. A config folder
// holds only lists; an applications folder holds lists, the deprecated defaults.list
// and mimeinfo.cache. Everything is read when first needed, once.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Applications.h"
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
  // order, the default first when it is one of them. A default named only in
  // [Default Applications] is not an association of its own.
  std::vector<std::string> allFor(std::string_view type);
  // Every type that some source associates with an application or names a default
  // for, each once, canonical, in no particular order.
  std::vector<std::string> associatedTypes();

  // Forgets everything read, for after a list changed.
  void reload();

 private:
  struct Tweaks {
    std::vector<std::string> defaults;
    std::vector<std::string> additions;
    std::vector<std::string> removals;
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
    // and length): values are split only for the types asked about.
    std::string cache;
    std::unordered_map<std::string, std::vector<std::pair<std::size_t, std::size_t>>> cached;
    // For a folder without mimeinfo.cache: the IDs whose MimeType= names each type.
    std::unordered_map<std::string, std::vector<std::string>> declared;
    // The merged associations per type, computed on first use.
    std::unordered_map<std::string, Tweaks> merged;
  };
  void load();
  void readList(Source& source, const std::string& file, bool associationsAllowed);
  void readCache(Source& source);
  // All that the source says about a canonical type; null when it says nothing.
  const Tweaks* tweaksOf(Source& source, const std::string& type);
  // Adds the source's associations of type to hits, and its removals to blocked.
  void lookup(Source& source, const std::string& type, std::vector<std::string>& hits,
              std::vector<std::string>& blocked);

  const XdgDirs& dirs_;
  MimeDatabase& database_;
  Applications& applications_;
  std::optional<std::vector<Source>> sources_;
};

}  // namespace platform
