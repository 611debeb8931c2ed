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

Associations::Tweaks& Associations::tweaksFor(Source& source, std::string_view type) {
  return source.tweaks[database_.unalias(type)];
}

void Associations::readList(Source& source, const std::string& file, bool associationsAllowed) {
  const auto text = readSmallFile(file, kMaxListBytes);
  if (!text) return;
  const MimeAppsList list = MimeAppsList::parse(*text);
  if (associationsAllowed) {
    for (const auto& type : list.keys(kAddedGroup)) {
      Tweaks& tweaks = tweaksFor(source, type);
      expand(tweaks.additions, list.values(kAddedGroup, type), &tweaks.removals);
    }
    for (const auto& type : list.keys(kRemovedGroup)) {
      Tweaks& tweaks = tweaksFor(source, type);
      expand(tweaks.removals, list.values(kRemovedGroup, type), &tweaks.additions);
    }
  }
  for (const auto& type : list.keys(kDefaultGroup)) {
    expand(tweaksFor(source, type).defaults, list.values(kDefaultGroup, type), nullptr);
  }
}

void Associations::readCache(Source& source) {
  const std::size_t folder = *source.applications;
  if (const auto text = readSmallFile(source.path + "/mimeinfo.cache", kMaxCacheBytes)) {
    readKeyFile(*text, false,
                [&](std::string_view group, std::string_view type, std::string_view raw) {
                  if (group != kCacheGroup || type.empty()) return;
                  Tweaks& tweaks = tweaksFor(source, type);
                  expand(tweaks.additions, splitKeyFileList(raw), &tweaks.removals);
                });
    return;
  }
  // No cache: the entries' own MimeType= keys say the same, at the cost of reading them.
  for (const auto& [id, file] : applications_.filesOf(folder)) {
    const Application* application = applications_.load(id, file);
    if (application == nullptr) continue;
    for (const auto& type : application->mimeTypes) {
      Tweaks& tweaks = tweaksFor(source, type);
      expand(tweaks.additions, {id}, &tweaks.removals);
    }
  }
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

void Associations::lookup(const Source& source, const std::string& type,
                          std::vector<std::string>& hits, std::vector<std::string>& blocked) {
  const auto found = source.tweaks.find(type);
  if (found == source.tweaks.end()) return;
  const Tweaks& tweaks = found->second;
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
    for (const auto& source : *sources_) {
      if (const auto found = source.tweaks.find(current); found != source.tweaks.end()) {
        expand(candidates, found->second.defaults, nullptr);
      }
    }
    for (const auto& source : *sources_) lookup(source, current, candidates, blocked);
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
    for (const auto& source : *sources_) lookup(source, current, hits, blocked);
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
  for (const auto& source : *sources_) {
    for (const auto& [type, tweaks] : source.tweaks) {
      if ((!tweaks.defaults.empty() || !tweaks.additions.empty()) && seen.insert(type).second) {
        types.push_back(type);
      }
    }
  }
  return types;
}

void Associations::reload() { sources_.reset(); }

}  // namespace platform
