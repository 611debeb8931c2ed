#include "platform/Associations.h"

#include <algorithm>
#include <unordered_set>

#include "platform/DesktopEntry.h"
#include "platform/MimeAppsList.h"

namespace platform {
namespace {

constexpr std::string_view kDefaultGroup = "Default Applications";
constexpr std::string_view kAddedGroup = "Added Associations";
constexpr std::string_view kRemovedGroup = "Removed Associations";
constexpr std::string_view kCacheGroup = "MIME Cache";
constexpr std::string_view kSchemePrefix = "x-scheme-handler/";
// Up to this many sources, a query asks each of them rather than an index.
constexpr std::size_t kSourcesWithoutIndex = 16;

}  // namespace

void Associations::IdSet::clear() {
  if (++epoch_ == 0) {
    std::fill(stamps_.begin(), stamps_.end(), 0);
    epoch_ = 1;
  }
}

bool Associations::IdSet::insert(Id id) {
  if (id >= stamps_.size()) {
    stamps_.resize(std::max<std::size_t>({id + 1, stamps_.size() * 2, 1024}), 0);
  }
  if (stamps_[id] == epoch_) return false;
  stamps_[id] = epoch_;
  return true;
}

Associations::Associations(const XdgDirs& dirs, MimeDatabase& database, Applications& applications)
    : dirs_(dirs), database_(database), applications_(applications) {}

Associations::Id Associations::intern(std::string_view id) {
  if (const auto found = ids_.find(id); found != ids_.end()) return found->second;
  const Id index = static_cast<Id>(known_.size());
  known_.emplace_back();
  known_.back().id = std::string(id);
  ids_.emplace(known_.back().id, index);
  return index;
}

std::vector<Associations::Id> Associations::internAll(const std::vector<std::string>& ids) {
  std::vector<Id> result;
  result.reserve(ids.size());
  for (const auto& id : ids) {
    if (isValidDesktopFileId(id)) result.push_back(intern(id));
  }
  return result;
}

const Application* Associations::installed(Id id) {
  Known& known = known_[id];
  if (!known.resolved) {
    known.application = applications_.find(known.id);
    known.resolved = true;
  }
  return known.application;
}

bool Associations::maskedBefore(Id id, std::size_t folders) {
  if (folders == 0) return false;
  Known& known = known_[id];
  if (!known.firstFolderKnown) {
    known.firstFolder = applications_.firstFolderOf(known.id, applications_.folderCount());
    known.firstFolderKnown = true;
  }
  return known.firstFolder && *known.firstFolder < folders;
}

void Associations::expand(std::vector<Id>& list, const std::vector<Id>& items,
                          const std::vector<Id>* excluded) {
  scratch_.clear();
  for (const Id id : list) scratch_.insert(id);
  if (excluded != nullptr) {
    for (const Id id : *excluded) scratch_.insert(id);
  }
  for (const Id id : items) {
    if (scratch_.insert(id)) list.push_back(id);
  }
}

void Associations::readList(Source& source, const MimeAppsList& list, bool associationsAllowed,
                            bool respelled) {
  const auto inPass = [&](const std::string& type) {
    const bool scheme = type.size() >= kSchemePrefix.size() &&
                        lowercase(type.substr(0, kSchemePrefix.size())) == kSchemePrefix;
    return (scheme && type != lowercase(type)) == respelled;
  };
  if (associationsAllowed) {
    for (const auto& [type, ids] : list.entries(kAddedGroup)) {
      if (!isValidMimeType(type) || !inPass(type)) continue;
      Tweaks& tweaks = source.listed[database_.canonical(type)];
      expand(tweaks.additions, internAll(ids), &tweaks.removals);
    }
    for (const auto& [type, ids] : list.entries(kRemovedGroup)) {
      if (!isValidMimeType(type) || !inPass(type)) continue;
      Tweaks& tweaks = source.listed[database_.canonical(type)];
      expand(tweaks.removals, internAll(ids), &tweaks.additions);
    }
  }
  for (const auto& [type, ids] : list.entries(kDefaultGroup)) {
    if (!isValidMimeType(type) || !inPass(type)) continue;
    expand(source.listed[database_.canonical(type)].defaults, internAll(ids), nullptr);
  }
}

void Associations::readCache(Source& source) {
  if (source.cacheRead) return;
  source.cacheRead = true;
  const std::size_t folder = *source.applications;
  if (auto text = readSmallFile(source.path + "/mimeinfo.cache", kMaxListBytes)) {
    source.cache = std::move(*text);
    const char* base = source.cache.data();
    readKeyFile(
        source.cache, false,
        [&](std::string_view group, std::string_view type, std::string_view raw) {
          if (group != kCacheGroup || raw.empty() || !isValidMimeType(type)) return;
          const std::string_view key =
              database_.isCanonical(type)
                  ? type
                  : std::string_view(source.respelled.emplace_back(database_.canonical(type)));
          source.cached[key].emplace_back(static_cast<std::size_t>(raw.data() - base), raw.size());
        });
    return;
  }
  // No cache: the entries' own MimeType= keys say the same, at the cost of reading them.
  for (const auto& [id, file] : applications_.filesOf(folder)) {
    const Application* application = applications_.load(id, folder, file);
    if (application == nullptr) continue;
    const Id index = intern(id);
    for (const auto& type : splitKeyFileList(application->mimeTypes)) {
      if (!isValidMimeType(type)) continue;
      auto& ids = source.declared[database_.canonical(type)];
      if (std::find(ids.begin(), ids.end(), index) == ids.end()) ids.push_back(index);
    }
  }
  for (auto& [type, ids] : source.declared) {
    std::sort(ids.begin(), ids.end(), [&](Id a, Id b) { return known_[a].id < known_[b].id; });
  }
}

void Associations::readCaches() {
  for (auto& source : *sources_) readCache(source);
}

const Associations::Tweaks* Associations::tweaksOf(Source& source, const std::string& type) {
  readCache(source);
  if (const auto found = source.merged.find(type); found != source.merged.end()) {
    return found->second.empty() ? nullptr : &found->second;
  }
  const auto listed = source.listed.find(type);
  const auto cached = source.cached.find(type);
  const auto declared = source.declared.find(type);
  // Nothing is kept for a type the source does not name: the many types that no
  // source names must cost no memory per source.
  if (listed == source.listed.end() && cached == source.cached.end() &&
      declared == source.declared.end()) {
    return nullptr;
  }
  Tweaks tweaks;
  if (listed != source.listed.end()) tweaks = listed->second;
  if (cached != source.cached.end()) {
    std::vector<Id> items;
    for (const auto& [offset, length] : cached->second) {
      items.clear();
      forEachKeyFileListItem(std::string_view(source.cache).substr(offset, length),
                             [&](std::string_view id) {
                               if (isValidDesktopFileId(id)) items.push_back(intern(id));
                             });
      expand(tweaks.additions, items, &tweaks.removals);
    }
  }
  if (declared != source.declared.end()) {
    expand(tweaks.additions, declared->second, &tweaks.removals);
  }
  const Tweaks& result = source.merged.emplace(type, std::move(tweaks)).first->second;
  return result.empty() ? nullptr : &result;
}

void Associations::load() {
  if (sources_) return;
  sources_.emplace();
  const auto configSource = [&](const std::string& path, std::size_t masking) {
    Source source;
    source.path = path;
    source.maskedBy = masking;
    return source;
  };
  // The order of the mime-apps standard: the user's config folder, the system config
  // folders, then the applications folders, the user's first.
  sources_->push_back(configSource(dirs_.configHome, 0));
  for (const auto& dir : dirs_.configDirs) sources_->push_back(configSource(dir, 0));
  for (std::size_t folder = 0; folder < applications_.folderCount(); ++folder) {
    Source source;
    source.path = applications_.folder(folder);
    source.applications = folder;
    source.maskedBy = folder;
    sources_->push_back(std::move(source));
  }

  const bool eager = sources_->size() > kSourcesWithoutIndex;
  for (auto& source : *sources_) {
    // The source's lists in precedence order, each with whether it may add and remove
    // associations.
    std::vector<std::pair<MimeAppsList, bool>> lists;
    const auto read = [&](const std::string& file, bool associationsAllowed) {
      if (const auto text = readSmallFile(file, kMaxListBytes)) {
        lists.emplace_back(MimeAppsList::parse(*text), associationsAllowed);
      }
    };
    for (const auto& desktop : dirs_.desktops) {
      read(source.path + "/" + desktop + "-mimeapps.list", false);
    }
    read(source.path + "/mimeapps.list", true);
    if (source.applications) read(source.path + "/defaults.list", false);
    for (const bool respelled : {false, true}) {
      for (const auto& [list, associationsAllowed] : lists) {
        readList(source, list, associationsAllowed, respelled);
      }
    }
    // With few sources, an applications folder's cache (or its entries' MimeType= keys)
    // is read when a query first needs it: a default that a list names needs none.
    if (source.applications) {
      source.cacheRead = false;
      if (eager) readCache(source);
    }
  }
  // A source that says nothing (most often a folder that does not exist) is dropped, so
  // that a query costs nothing per such folder.
  std::erase_if(*sources_, [](const Source& source) {
    return source.cacheRead && source.listed.empty() && source.cached.empty() &&
           source.declared.empty();
  });
  // Which sources name each type, so that a query visits those alone: with many
  // folders, a type is named by few of them. With a few sources, a query visits each.
  naming_.clear();
  everySource_.clear();
  for (std::size_t index = 0; index < sources_->size(); ++index) everySource_.push_back(index);
  if (sources_->size() <= kSourcesWithoutIndex) return;
  for (std::size_t index = 0; index < sources_->size(); ++index) {
    const Source& source = (*sources_)[index];
    const auto note = [&](std::string_view type) {
      auto found = naming_.find(type);
      if (found == naming_.end()) found = naming_.emplace(std::string(type), 0).first;
      auto& indexes = found->second;
      if (indexes.empty() || indexes.back() != index) indexes.push_back(index);
    };
    for (const auto& [type, ignored] : source.listed) note(type);
    for (const auto& [type, ignored] : source.cached) note(type);
    for (const auto& [type, ignored] : source.declared) note(type);
  }
}

const std::vector<std::size_t>& Associations::sourcesNaming(const std::string& type) const {
  static const std::vector<std::size_t> kNone;
  if (sources_->size() <= kSourcesWithoutIndex) return everySource_;
  const auto found = naming_.find(type);
  return found == naming_.end() ? kNone : found->second;
}

template <typename Take>
bool Associations::lookup(Source& source, const std::string& type, IdSet& seen, IdSet& blocked,
                          bool& blocks, Take take) {
  const Tweaks* found = tweaksOf(source, type);
  if (found == nullptr) return false;
  for (const Id id : found->additions) {
    if (!seen.contains(id) && !blocked.contains(id) && !maskedBefore(id, source.maskedBy)) {
      seen.insert(id);
      if (take(id)) return true;
    }
  }
  for (const Id id : found->removals) {
    if (!seen.contains(id) && !blocked.contains(id) && !maskedBefore(id, source.maskedBy)) {
      blocked.insert(id);
      blocks = true;
    }
  }
  return false;
}

std::optional<Associations::Id> Associations::walkDefault(const std::string& type, bool ownOnly,
                                                          bool* blocks) {
  // Candidates in order: every source's defaults, then the associations source by source
  // (removals of a source block the associations of the sources after it, and of the
  // parent types). The first installed one wins, so the walk stops there.
  IdSet& blocked = blocked_;
  IdSet& seen = seen_;
  blocked.clear();
  bool blocking = false;
  const auto visit = [&](const std::string& current) -> std::optional<Id> {
    seen.clear();
    const auto& naming = sourcesNaming(current);
    // Defaults come from lists alone: no cache is read for them.
    for (const std::size_t index : naming) {
      const Source& source = (*sources_)[index];
      const auto listed = source.listed.find(current);
      if (listed == source.listed.end()) continue;
      for (const Id id : listed->second.defaults) {
        if (!seen.insert(id)) continue;
        if (installed(id) != nullptr) return id;
      }
    }
    // The associations source by source: the first installed one ends the walk, so the
    // rest of a long list is never looked at.
    std::optional<Id> found;
    for (const std::size_t index : naming) {
      if (lookup((*sources_)[index], current, seen, blocked, blocking, [&](Id id) {
            if (installed(id) == nullptr) return false;
            found = id;
            return true;
          })) {
        return found;
      }
    }
    return std::nullopt;
  };
  if (ownOnly) {
    const auto found = visit(type);
    *blocks = blocking;
    return found;
  }
  for (const auto& current : database_.withAncestors(type)) {
    if (const auto found = visit(current)) return found;
  }
  return std::nullopt;
}

std::optional<std::string> Associations::defaultFor(std::string_view type) {
  load();
  // A type whose own sources neither choose an application nor remove one, and that has
  // one parent, has its parent's default: its walk is its parent's walk. Such chains are
  // followed once and remembered, so asking for every type of a long chain of parents
  // costs one step per type.
  std::vector<std::string> chain{database_.unalias(type)};
  std::unordered_set<std::string> onChain{chain.front()};
  std::optional<Id> answer;
  for (;;) {
    const std::string& current = chain.back();
    if (const auto known = defaults_.find(current); known != defaults_.end()) {
      answer = known->second;
      chain.pop_back();
      break;
    }
    bool blocks = false;
    if ((answer = walkDefault(current, true, &blocks))) break;
    const auto parents = database_.parents(current);
    if (blocks || parents.size() != 1 || !onChain.insert(parents.front()).second) {
      answer = walkDefault(current, false, nullptr);
      break;
    }
    chain.push_back(parents.front());
  }
  for (auto& member : chain) defaults_.insert_or_assign(std::move(member), answer);
  if (!answer) return std::nullopt;
  return known_[*answer].id;
}

std::vector<std::string> Associations::allFor(std::string_view type) {
  load();
  std::vector<Id> hits;
  seen_.clear();
  blocked_.clear();
  bool blocks = false;  // what removals block matters to the walk to a default only
  for (const auto& current : database_.withAncestors(type)) {
    for (const std::size_t index : sourcesNaming(current)) {
      lookup((*sources_)[index], current, seen_, blocked_, blocks, [&](Id id) {
        hits.push_back(id);
        return false;
      });
    }
  }
  std::vector<std::string> result;
  for (const Id id : hits) {
    if (installed(id) != nullptr) result.push_back(known_[id].id);
  }
  // The default leads, also when it is named only as a default (or through a parent
  // type): the list of handlers always holds the one that opens the type.
  if (const auto preferred = defaultFor(type)) {
    const auto found = std::find(result.begin(), result.end(), *preferred);
    if (found != result.end()) {
      std::rotate(result.begin(), found, found + 1);
    } else {
      result.insert(result.begin(), *preferred);
    }
  }
  return result;
}

std::vector<std::string> Associations::associatedTypes() {
  load();
  readCaches();
  std::unordered_set<std::string_view> seen;
  std::vector<std::string> types;
  const auto add = [&](std::string_view type) {
    if (seen.insert(type).second) types.emplace_back(type);
  };
  for (const auto& source : *sources_) {
    for (const auto& [type, tweaks] : source.listed) {
      if (!tweaks.defaults.empty() || !tweaks.additions.empty()) add(type);
    }
    for (const auto& [type, ignored] : source.cached) add(type);
    for (const auto& [type, ignored] : source.declared) add(type);
  }
  return types;
}

bool Associations::declares(const std::string& type) {
  load();
  readCaches();
  const auto& naming = sourcesNaming(type);
  return std::any_of(naming.begin(), naming.end(), [&](std::size_t index) {
    const Source& source = (*sources_)[index];
    return source.cached.count(type) > 0 || source.declared.count(type) > 0;
  });
}

std::optional<std::string> Associations::spellingIgnoringCase(std::string_view type) {
  load();
  if (!spellings_) {
    readCaches();
    spellings_.emplace();
    const auto add = [&](std::string_view spelling) {
      auto [known, added] = spellings_->try_emplace(lowercase(spelling), spelling);
      if (!added && spelling < known->second) known->second = spelling;
    };
    for (const auto& source : *sources_) {
      for (const auto& [name, ignored] : source.listed) add(name);
      for (const auto& [name, ignored] : source.cached) add(name);
      for (const auto& [name, ignored] : source.declared) add(name);
    }
  }
  const auto found = spellings_->find(lowercase(type));
  if (found == spellings_->end()) return std::nullopt;
  return found->second;
}

void Associations::reload() {
  defaults_.clear();
  spellings_.reset();
  sources_.reset();
  naming_.clear();
  known_.clear();
  ids_.clear();
}

}  // namespace platform
