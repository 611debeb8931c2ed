#include "platform/DesktopEntry.h"

#include <fcntl.h>

#include <algorithm>

#include "platform/DesktopExec.h"
#include "platform/MimeAppsList.h"

namespace platform {
namespace {

constexpr std::size_t kMaxDesktopEntryBytes = 1 << 20;
constexpr std::string_view kGroup = "Desktop Entry";

}  // namespace

std::optional<DesktopEntry> DesktopEntry::parse(std::string_view text,
                                                const std::vector<std::string_view>* keys) {
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  DesktopEntry desktopEntry;
  // Room for every key asked for at once: most entries have most of them.
  desktopEntry.rawEntries_.reserve(keys != nullptr ? keys->size() : 16);
  std::optional<std::string_view> firstGroup;
  // The keys asked for, or every untranslated one; the other lines are passed over
  // unread.
  const KeyFileSelection selection{kGroup, keys};
  const bool wellFormed = readKeyFile(
      text, true,
      [&](std::string_view group, std::string_view key, std::string_view raw) {
        if (!firstGroup) firstGroup = group;
        if (key.empty()) return;
        for (auto& [name, value] : desktopEntry.rawEntries_) {
          if (name == key) {
            value = std::string(raw);
            return;
          }
        }
        desktopEntry.rawEntries_.emplace_back(std::string(key), std::string(raw));
      },
      &selection);
  if (!wellFormed || firstGroup != kGroup) return std::nullopt;
  return desktopEntry;
}

std::optional<DesktopEntry> DesktopEntry::load(const std::string& path, int folder,
                                               const std::vector<std::string_view>* keys,
                                               std::string* buffer) {
  std::string own;
  const auto text = readSmallFileInto(folder >= 0 ? folder : AT_FDCWD, path, kMaxDesktopEntryBytes,
                                      buffer != nullptr ? *buffer : own);
  if (!text) return std::nullopt;
  return parse(*text, keys);
}

std::vector<std::pair<std::string, std::string>> DesktopEntry::entries() const {
  std::vector<std::pair<std::string, std::string>> result;
  result.reserve(rawEntries_.size());
  for (const auto& [name, value] : rawEntries_) {
    result.emplace_back(name, unescapeKeyFileValue(value));
  }
  return result;
}

std::optional<std::string_view> DesktopEntry::raw(std::string_view key) const {
  for (const auto& [name, value] : rawEntries_) {
    if (name == key) return std::string_view(value);
  }
  return std::nullopt;
}

std::optional<std::string> DesktopEntry::value(std::string_view key) const {
  const auto found = raw(key);
  if (!found) return std::nullopt;
  return unescapeKeyFileValue(*found);
}

std::vector<std::string> DesktopEntry::list(std::string_view key) const {
  const auto found = raw(key);
  return found ? splitKeyFileList(*found) : std::vector<std::string>();
}

bool DesktopEntry::boolean(std::string_view key) const {
  // The value's first word: blanks after it do not make it false.
  auto found = value(key);
  if (!found) return false;
  const std::size_t end = found->find_first_of(" \t\r\n\f\v");
  if (end != std::string::npos) found->resize(end);
  return *found == "true" || *found == "1";
}

std::optional<std::string> DesktopEntry::execProgram() const {
  const auto exec = value("Exec");
  if (!exec || exec->empty()) return std::nullopt;
  const auto argv = parseExec(*exec);
  if (!argv || argv->empty() || argv->front().empty()) return std::nullopt;
  return argv->front();
}

}  // namespace platform
