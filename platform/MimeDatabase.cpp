#include "platform/MimeDatabase.h"

#include <algorithm>
#include <functional>

#include "platform/DesktopEntry.h"

namespace platform {
namespace {

constexpr std::size_t kMaxDatabaseFileBytes = 16 << 20;

// Calls line(first, second) for each "first second" line of a database file (second is
// empty for one-word lines); comments and lines with control characters are skipped.
void readWords(const std::string& path,
               const std::function<void(std::string_view, std::string_view)>& line) {
  const auto text = readSmallFile(path, kMaxDatabaseFileBytes);
  if (!text) return;
  std::string_view rest = *text;
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
    const auto bad = [](std::string_view word) {
      return std::any_of(word.begin(), word.end(),
                         [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; });
    };
    if (first.empty() || bad(first) || bad(second)) continue;
    line(first, second);
  }
}

}  // namespace

std::string lowercase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

MimeDatabase::MimeDatabase(std::vector<std::string> mimeDirs) : mimeDirs_(std::move(mimeDirs)) {}

void MimeDatabase::loadAliases() {
  if (aliases_) return;
  aliases_.emplace();
  for (const auto& dir : mimeDirs_) {
    readWords(dir + "/aliases", [&](std::string_view alias, std::string_view target) {
      if (!target.empty()) aliases_->try_emplace(std::string(alias), std::string(target));
    });
  }
}

void MimeDatabase::loadParents() {
  if (parents_) return;
  parents_.emplace();
  for (const auto& dir : mimeDirs_) {
    readWords(dir + "/subclasses", [&](std::string_view child, std::string_view parent) {
      if (parent.empty()) return;
      auto& list = (*parents_)[unalias(child)];
      std::string canonical = unalias(parent);
      if (std::find(list.begin(), list.end(), canonical) == list.end()) {
        list.push_back(std::move(canonical));
      }
    });
  }
}

void MimeDatabase::loadTypes() {
  if (types_) return;
  types_.emplace();
  for (const auto& dir : mimeDirs_) {
    readWords(dir + "/types", [&](std::string_view type, std::string_view second) {
      if (!second.empty() || type.find('/') == std::string_view::npos) return;
      if (typeSet_.emplace(type).second) types_->emplace_back(type);
    });
  }
}

void MimeDatabase::loadFoldedNames() {
  if (foldedNames_) return;
  loadAliases();
  loadTypes();
  foldedNames_.emplace();
  const auto fold = [&](const std::string& name, const std::string& target) {
    std::string folded = lowercase(name);
    if (folded != name) foldedNames_->try_emplace(std::move(folded), target);
  };
  for (const auto& type : *types_) fold(type, type);
  for (const auto& [alias, target] : *aliases_) fold(alias, target);
}

std::optional<std::string> MimeDatabase::canonicalIgnoringCase(std::string_view type) {
  const std::string folded = lowercase(type);
  loadAliases();
  if (const auto alias = aliases_->find(folded); alias != aliases_->end()) return alias->second;
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
  if (const auto alias = aliases_->find(std::string(type)); alias != aliases_->end()) {
    return alias->second;
  }
  loadTypes();
  if (typeSet_.count(std::string(type)) > 0) return std::string(type);
  return canonicalIgnoringCase(type).value_or(lowercase(type));
}

std::string MimeDatabase::unalias(std::string_view type) {
  loadAliases();
  const auto found = aliases_->find(std::string(type));
  return found == aliases_->end() ? std::string(type) : found->second;
}

std::vector<std::string> MimeDatabase::parents(std::string_view type) {
  loadParents();
  const auto found = parents_->find(unalias(type));
  return found == parents_->end() ? std::vector<std::string>() : found->second;
}

std::vector<std::string> MimeDatabase::withAncestors(std::string_view type) {
  std::vector<std::string> chain{unalias(type)};
  for (std::size_t i = 0; i < chain.size(); ++i) {
    for (auto& parent : parents(chain[i])) {
      if (std::find(chain.begin(), chain.end(), parent) == chain.end()) {
        chain.push_back(std::move(parent));
      }
    }
  }
  return chain;
}

const std::vector<std::string>& MimeDatabase::types() {
  loadTypes();
  return *types_;
}

bool MimeDatabase::isKnown(std::string_view type) {
  loadTypes();
  return typeSet_.count(unalias(type)) > 0;
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
