#include "platform/MimeDatabase.h"

#include <algorithm>
#include <functional>

#include "platform/DesktopEntry.h"
#include "platform/MimeAppsList.h"

namespace platform {
namespace {

constexpr std::size_t kMaxDatabaseFileBytes = 16 << 20;

// Calls line(first, second) for each "first second" line of a database file's text
// (second is empty for one-word lines); comments are skipped, and so is a line whose
// words are not valid type names: nothing the standards do not allow as a type gets
// into the database.
template <typename Line>
void forEachWords(std::string_view rest, Line line) {
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    if (end == std::string_view::npos) end = rest.size();
    std::string_view current = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (!current.empty() && current.back() == '\r') current.remove_suffix(1);
    if (current.empty() || current.front() == '#') continue;
    const std::size_t space = current.find(' ');
    const std::string_view first = current.substr(0, space);
    const std::string_view second =
        space == std::string_view::npos ? std::string_view() : current.substr(space + 1);
    if (!isValidMimeType(first) || (!second.empty() && !isValidMimeType(second))) continue;
    line(first, second);
  }
}

}  // namespace

MimeDatabase::MimeDatabase(std::vector<std::string> mimeDirs) : mimeDirs_(std::move(mimeDirs)) {}

const std::string* MimeDatabase::readFile(const std::string& path) {
  auto text = readSmallFile(path, kMaxDatabaseFileBytes);
  if (!text) return nullptr;
  return &texts_.emplace_back(std::move(*text));
}

void MimeDatabase::loadAliases() {
  if (aliases_) return;
  aliases_.emplace();
  for (const auto& dir : mimeDirs_) {
    if (const std::string* text = readFile(dir + "/aliases")) {
      forEachWords(*text, [&](View alias, View target) {
        if (!target.empty()) aliases_->try_emplace(alias, target);
      });
    }
  }
  // An alias of an alias names the type at the end of the chain, so a canonical name is
  // never itself an alias; aliases that lead round in a circle name no type and go.
  // Most aliases name a type that is no alias: those need no walk. Each chain is walked
  // once: its members are resolved together.
  std::unordered_map<View, View> resolved;
  std::unordered_set<View> circular;
  std::vector<View> path;
  std::unordered_set<View> onPath;
  for (const auto& [alias, target] : *aliases_) {
    if (aliases_->find(target) == aliases_->end()) continue;
    if (resolved.count(alias) > 0 || circular.count(alias) > 0) continue;
    path.assign({alias});
    onPath.clear();
    onPath.insert(alias);
    View end = target;
    bool circle = false;
    for (;;) {
      if (const auto known = resolved.find(end); known != resolved.end()) {
        end = known->second;
        break;
      }
      if (circular.count(end) > 0 || !onPath.insert(end).second) {
        circle = true;
        break;
      }
      const auto next = aliases_->find(end);
      if (next == aliases_->end()) break;
      path.push_back(next->first);
      end = next->second;
    }
    for (const View member : path) {
      if (circle) {
        circular.insert(member);
      } else {
        resolved.emplace(member, end);
      }
    }
  }
  for (const auto& [alias, target] : resolved) (*aliases_)[alias] = target;
  for (const View alias : circular) aliases_->erase(alias);
}

MimeDatabase::View MimeDatabase::unaliased(View type) {
  loadAliases();
  const auto found = aliases_->find(type);
  return found == aliases_->end() ? type : found->second;
}

void MimeDatabase::loadParents() {
  if (parents_) return;
  parents_.emplace();
  // Each (child, parent) link once, found by a hash of both rather than by a search
  // through the child's parents, so a type with many parents costs no more per link.
  std::unordered_set<std::string> links;
  for (const auto& dir : mimeDirs_) {
    const auto text = readSmallFile(dir + "/subclasses", kMaxDatabaseFileBytes);
    if (!text) continue;
    forEachWords(*text, [&](View child, View parent) {
      if (parent.empty()) return;
      const View canonicalChild = unaliased(child);
      const View canonical = unaliased(parent);
      if (canonical == canonicalChild) return;
      std::string link;
      link.reserve(canonicalChild.size() + canonical.size() + 1);
      link.append(canonicalChild).append(1, ' ').append(canonical);
      if (!links.insert(std::move(link)).second) return;
      auto found = parents_->find(canonicalChild);
      if (found == parents_->end()) {
        found = parents_->emplace(std::string(canonicalChild), std::vector<std::string>()).first;
      }
      found->second.emplace_back(canonical);
    });
  }
}

void MimeDatabase::loadTypes() {
  if (typeOrder_) return;
  loadAliases();
  typeOrder_.emplace();
  for (const auto& dir : mimeDirs_) {
    const std::string* text = readFile(dir + "/types");
    if (text == nullptr) continue;
    // A name that the aliases also list is declared under its canonical name.
    forEachWords(*text, [&](View type, View second) {
      if (!second.empty()) return;
      const View canonical = unaliased(type);
      if (typeSet_.insert(canonical).second) typeOrder_->push_back(canonical);
    });
  }
}

void MimeDatabase::loadFoldedNames() {
  if (foldedNames_) return;
  loadAliases();
  loadTypes();
  foldedNames_.emplace();
  const auto fold = [&](View name, View target) {
    if (hasAsciiCapital(name)) foldedNames_->try_emplace(lowercase(name), target);
  };
  for (const View type : *typeOrder_) fold(type, type);
  for (const auto& [alias, target] : *aliases_) fold(alias, target);
}

std::optional<std::string> MimeDatabase::canonicalIgnoringCase(std::string_view type) {
  const std::string folded = lowercase(type);
  loadAliases();
  if (const auto alias = aliases_->find(folded); alias != aliases_->end()) {
    return std::string(alias->second);
  }
  loadTypes();
  if (typeSet_.count(folded) > 0) return folded;
  loadFoldedNames();
  if (const auto named = foldedNames_->find(folded); named != foldedNames_->end()) {
    return named->second;
  }
  return std::nullopt;
}

std::string MimeDatabase::canonical(std::string_view type) {
  loadAliases();
  if (const auto alias = aliases_->find(type); alias != aliases_->end()) {
    return std::string(alias->second);
  }
  loadTypes();
  if (typeSet_.count(type) > 0) return std::string(type);
  return canonicalIgnoringCase(type).value_or(lowercase(type));
}

bool MimeDatabase::isCanonical(std::string_view type) {
  loadAliases();
  if (aliases_->count(type) > 0) return false;
  loadTypes();
  if (typeSet_.count(type) > 0) return true;
  if (hasAsciiCapital(type)) return canonical(type) == type;
  // In lower case already: the type itself, unless it is how a name with capitals is
  // folded.
  loadFoldedNames();
  const auto folded = foldedNames_->find(type);
  return folded == foldedNames_->end() || folded->second == type;
}

std::string MimeDatabase::unalias(std::string_view type) { return std::string(unaliased(type)); }

const std::vector<std::string>& MimeDatabase::parentsOf(const std::string& canonical) {
  static const std::vector<std::string> kNone;
  loadParents();
  const auto found = parents_->find(canonical);
  return found == parents_->end() ? kNone : found->second;
}

std::vector<std::string> MimeDatabase::parents(std::string_view type) {
  return parentsOf(unalias(type));
}

std::vector<std::string> MimeDatabase::withAncestors(std::string_view type) {
  const std::string first = unalias(type);
  // Breadth first, each type once: a set of the types listed so far, so a long chain
  // of parents costs one step per link. The parents' strings stay in parents_.
  std::vector<const std::string*> order{&first};
  std::unordered_set<std::string_view> listed{first};
  for (std::size_t i = 0; i < order.size(); ++i) {
    for (const auto& parent : parentsOf(*order[i])) {
      if (listed.insert(parent).second) order.push_back(&parent);
    }
  }
  std::vector<std::string> chain;
  chain.reserve(order.size());
  for (const std::string* member : order) chain.push_back(*member);
  return chain;
}

const std::vector<std::string>& MimeDatabase::types() {
  loadTypes();
  if (!types_) types_.emplace(typeOrder_->begin(), typeOrder_->end());
  return *types_;
}

bool MimeDatabase::isKnown(std::string_view type) {
  loadTypes();
  return typeSet_.count(unaliased(type)) > 0;
}

bool MimeDatabase::conformsTo(std::string_view type, std::string_view parent) {
  const std::string child = unalias(type);
  const std::string ancestor = unalias(parent);
  if (child == ancestor) return true;
  if (ancestor == "text/plain" && child.starts_with("text/")) return true;
  if (ancestor == "application/octet-stream" && !child.starts_with("inode/")) return true;
  const auto chain = withAncestors(child);
  return std::find(chain.begin(), chain.end(), ancestor) != chain.end();
}

}  // namespace platform
