#include "platform/Associations.h"

#include <algorithm>
#include <unordered_set>

#include "platform/DesktopEntry.h"
#include "platform/MimeAppsList.h"

namespace platform {
namespace {

constexpr std::size_t kMaxListBytes = 4 << 20;
constexpr std::size_t kMaxCacheBytes = 64 << 20;
constexpr std::string_view kDefaultGroup = "Default Applications";
constexpr std::string_view kAddedGroup = "Added Associations";
constexpr std::string_view kRemovedGroup = "Removed Associations";
constexpr std::string_view kCacheGroup = "MIME Cache";

bool contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// Appends the items not yet in list and not in excluded.
void expand(std::vector<std::string>& list, const std::vector<std::string>& items,
            const std::vector<std::string>* excluded) {
  for (const auto& item : items) {
    if (!contains(list, item) && (excluded == nullptr || !contains(*excluded, item))) {
      list.push_back(item);
    }
  }
}

}  // namespace

Associations::Associations(const XdgDirs& dirs, MimeDatabase& database, Applications& applications)
    : dirs_(dirs), database_(database), applications_(applications) {}

void Associations::readList(Source& source, const std::string& file, bool associationsAllowed) {
  const auto text = readSmallFile(file, kMaxListBytes);
  if (!text) return;
  const MimeAppsList list = MimeAppsList::parse(*text);
  if (associationsAllowed) {
    for (const auto& type : list.keys(kAddedGroup)) {
      Tweaks& tweaks = source.listed[database_.unalias(type)];
      expand(tweaks.additions, list.values(kAddedGroup, type), &tweaks.removals);
    }
    for (const auto& type : list.keys(kRemovedGroup)) {
      Tweaks& tweaks = source.listed[database_.unalias(type)];
      expand(tweaks.removals, list.values(kRemovedGroup, type), &tweaks.additions);
    }
  }
  for (const auto& type : list.keys(kDefaultGroup)) {
    expand(source.listed[database_.unalias(type)].defaults, list.values(kDefaultGroup, type),
           nullptr);
  }
}

void Associations::readCache(Source& source) {
  const std::size_t folder = *source.applications;
  if (auto text = readSmallFile(source.path + "/mimeinfo.cache", kMaxCacheBytes)) {
    source.cache = std::move(*text);
    const char* base = source.cache.data();
    readKeyFile(source.cache, false,
                [&](std::string_view group, std::string_view type, std::string_view raw) {
                  if (group != kCacheGroup || type.empty() || raw.empty()) return;
                  source.cached[database_.unalias(type)].emplace_back(
                      static_cast<std::size_t>(raw.data() - base), raw.size());
                });
    return;
  }
  // No cache: the entries' own MimeType= keys say the same, at the cost of reading them.
  for (const auto& [id, file] : applications_.filesOf(folder)) {
    const Application* application = applications_.load(id, folder, file);
    if (application == nullptr) continue;
    for (const auto& type : splitKeyFileList(application->mimeTypes)) {
      auto& ids = source.declared[database_.unalias(type)];
      if (!contains(ids, id)) ids.push_back(id);
    }
  }
  for (auto& [type, ids] : source.declared) std::sort(ids.begin(), ids.end());
}

const Associations::Tweaks* Associations::tweaksOf(Source& source, const std::string& type) {
  if (const auto found = source.merged.find(type); found != source.merged.end()) {
    const Tweaks& known = found->second;
    const bool empty = known.defaults.empty() && known.additions.empty() && known.removals.empty();
    return empty ? nullptr : &known;
  }
  const auto listed = source.listed.find(type);
  const auto cached = source.cached.find(type);
  const auto declared = source.declared.find(type);
  Tweaks tweaks;
  if (listed != source.listed.end()) tweaks = listed->second;
  if (cached != source.cached.end()) {
    for (const auto& [offset, length] : cached->second) {
      expand(tweaks.additions,
             splitKeyFileList(std::string_view(source.cache).substr(offset, length)),
             &tweaks.removals);
    }
  }
  if (declared != source.declared.end()) {
    expand(tweaks.additions, declared->second, &tweaks.removals);
  }
  const Tweaks& result = source.merged.emplace(type, std::move(tweaks)).first->second;
  const bool empty = result.defaults.empty() && result.additions.empty() && result.removals.empty();
  return empty ? nullptr : &result;
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
  sources_->push_back(configSource(dirs_.configHome, 0));
  std::size_t folder = 0;
  const auto applicationsSource = [&] {
    Source source;
    source.path = applications_.folder(folder);
    source.applications = folder;
    source.maskedBy = folder;
    ++folder;
    return source;
  };
  sources_->push_back(applicationsSource());
  for (const auto& dir : dirs_.configDirs) sources_->push_back(configSource(dir, 1));
  while (folder < applications_.folderCount()) sources_->push_back(applicationsSource());

  for (auto& source : *sources_) {
    for (const auto& desktop : dirs_.desktops) {
      readList(source, source.path + "/" + desktop + "-mimeapps.list", false);
    }
    readList(source, source.path + "/mimeapps.list", true);
    if (!source.applications) continue;
    readList(source, source.path + "/defaults.list", false);
    readCache(source);
  }
}

void Associations::lookup(Source& source, const std::string& type, std::vector<std::string>& hits,
                          std::vector<std::string>& blocked) {
  const Tweaks* found = tweaksOf(source, type);
  if (found == nullptr) return;
  const Tweaks& tweaks = *found;
  for (const auto& id : tweaks.additions) {
    if (!applications_.maskedBefore(source.maskedBy, id) && !contains(blocked, id) &&
        !contains(hits, id)) {
      hits.push_back(id);
    }
  }
  for (const auto& id : tweaks.removals) {
    if (!applications_.maskedBefore(source.maskedBy, id) && !contains(blocked, id) &&
        !contains(hits, id)) {
      blocked.push_back(id);
    }
  }
}

std::optional<std::string> Associations::defaultFor(std::string_view type) {
  load();
  std::vector<std::string> blocked;
  for (const auto& current : database_.withAncestors(type)) {
    std::vector<std::string> candidates;
    for (auto& source : *sources_) {
      if (const Tweaks* tweaks = tweaksOf(source, current)) {
        expand(candidates, tweaks->defaults, nullptr);
      }
    }
    for (auto& source : *sources_) lookup(source, current, candidates, blocked);
    for (const auto& id : candidates) {
      if (applications_.find(id) != nullptr) return id;
    }
  }
  return std::nullopt;
}

std::vector<std::string> Associations::allFor(std::string_view type) {
  load();
  std::vector<std::string> hits;
  std::vector<std::string> blocked;
  for (const auto& current : database_.withAncestors(type)) {
    for (auto& source : *sources_) lookup(source, current, hits, blocked);
  }
  std::vector<std::string> result;
  for (auto& id : hits) {
    if (applications_.find(id) != nullptr) result.push_back(std::move(id));
  }
  // The default leads when it is one of them.
  if (const auto preferred = defaultFor(type)) {
    if (const auto found = std::find(result.begin(), result.end(), *preferred);
        found != result.end()) {
      std::rotate(result.begin(), found, found + 1);
    }
  }
  return result;
}

std::vector<std::string> Associations::associatedTypes() {
  load();
  std::unordered_set<std::string> seen;
  std::vector<std::string> types;
  const auto add = [&](const std::string& type) {
    if (seen.insert(type).second) types.push_back(type);
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

void Associations::reload() { sources_.reset(); }

}  // namespace platform
