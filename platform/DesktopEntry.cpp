#include "platform/DesktopEntry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/DesktopExec.h"
#include "platform/MimeAppsList.h"

namespace platform {
namespace {

constexpr std::size_t kMaxDesktopEntryBytes = 1 << 20;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

bool readKeyFile(std::string_view text, bool strict,
                 const std::function<void(std::string_view group, std::string_view key,
                                          std::string_view raw)>& entry) {
  std::string_view group;
  bool inGroup = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == '#') continue;
    // A line that is not UTF-8 is ignored as a line: real entries carry a translation in
    // another encoding, and the rest of the file is still good.
    if (!isValidUtf8(line)) continue;
    bool good = false;
    if (line.front() == '[') {
      const std::string_view name = line.substr(1, line.size() - 1);
      if (line.back() == ']' && name.size() > 1) {
        const std::string_view inner = name.substr(0, name.size() - 1);
        if (inner.find_first_of("[]") == std::string_view::npos && !hasControlCharacter(inner)) {
          group = inner;
          inGroup = true;
          good = true;
          entry(group, {}, {});
        }
      }
    } else if (const std::size_t eq = line.find('='); eq != std::string_view::npos && inGroup) {
      const std::string_view key = trim(line.substr(0, eq));
      if (!key.empty() && !hasControlCharacter(key)) {
        entry(group, key, trim(line.substr(eq + 1)));
        good = true;
      }
    }
    if (!good && strict) return false;
  }
  return true;
}

std::vector<std::string> splitKeyFileList(std::string_view raw) {
  std::vector<std::string> items;
  if (raw.find('\\') == std::string_view::npos) {
    std::size_t start = 0;
    while (start < raw.size()) {
      std::size_t end = raw.find(';', start);
      if (end == std::string_view::npos) end = raw.size();
      if (end > start) items.emplace_back(raw.substr(start, end - start));
      start = end + 1;
    }
    return items;
  }
  std::string current;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\\' && i + 1 < raw.size()) {
      // "\;" is a ';' inside an item; other escapes are undone with the item.
      if (raw[i + 1] != ';') current += c;
      current += raw[++i];
    } else if (c == ';') {
      if (!current.empty()) items.push_back(unescapeKeyFileValue(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) items.push_back(unescapeKeyFileValue(current));
  items.erase(std::remove(items.begin(), items.end(), std::string()), items.end());
  return items;
}

std::optional<std::string> readSmallFile(const std::string& path, std::size_t maxBytes) {
  return readSmallFileAt(AT_FDCWD, path, maxBytes);
}

std::optional<std::string> readSmallFileAt(int folder, const std::string& path,
                                           std::size_t maxBytes) {
  // No stat first: an open and one read is all a small file costs. A folder fails to
  // read; a pipe or device never blocks (O_NONBLOCK) and cannot grow past maxBytes.
  const int fd = ::openat(folder, path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  char first[16384];
  const ssize_t n = ::read(fd, first, std::min(sizeof first, maxBytes + 1));
  if (n < 0) {
    ::close(fd);
    return std::nullopt;
  }
  std::string text(first, static_cast<std::size_t>(n));
  // A short read of a file is its end; a larger file's size says how much room the rest
  // needs.
  if (static_cast<std::size_t>(n) == sizeof first) {
    struct stat info {};
    const std::size_t size = ::fstat(fd, &info) == 0 && info.st_size > 0
                                 ? static_cast<std::size_t>(info.st_size)
                                 : 2 * sizeof first;
    std::size_t got = text.size();
    text.resize(std::min(std::max(size + 1, got + 1), maxBytes + 1));
    for (;;) {
      if (got == text.size()) {
        if (text.size() > maxBytes) break;
        text.resize(std::min(text.size() * 2, maxBytes + 1));
      }
      const ssize_t more = ::read(fd, text.data() + got, text.size() - got);
      if (more < 0) {
        ::close(fd);
        return std::nullopt;
      }
      if (more == 0) break;
      got += static_cast<std::size_t>(more);
    }
    text.resize(got);
  }
  ::close(fd);
  if (text.size() > maxBytes) return std::nullopt;
  return text;
}

std::optional<DesktopEntry> DesktopEntry::parse(std::string_view text,
                                                const std::vector<std::string_view>* keys) {
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  DesktopEntry desktopEntry;
  std::optional<std::string_view> firstGroup;
  const bool wellFormed = readKeyFile(
      text, true, [&](std::string_view group, std::string_view key, std::string_view raw) {
        if (!firstGroup) firstGroup = group;
        if (key.empty() || group != "Desktop Entry" || key.find('[') != std::string_view::npos) {
          return;
        }
        if (keys != nullptr && std::find(keys->begin(), keys->end(), key) == keys->end()) return;
        for (auto& [name, value] : desktopEntry.rawEntries_) {
          if (name == key) {
            value = std::string(raw);
            return;
          }
        }
        desktopEntry.rawEntries_.emplace_back(std::string(key), std::string(raw));
      });
  if (!wellFormed || firstGroup != "Desktop Entry") return std::nullopt;
  return desktopEntry;
}

std::optional<DesktopEntry> DesktopEntry::load(const std::string& path, int folder,
                                               const std::vector<std::string_view>* keys) {
  const auto text = folder >= 0 ? readSmallFileAt(folder, path, kMaxDesktopEntryBytes)
                                : readSmallFile(path, kMaxDesktopEntryBytes);
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
  const auto found = value(key);
  return found && (*found == "true" || *found == "1");
}

std::optional<std::string> DesktopEntry::execProgram() const {
  const auto exec = value("Exec");
  if (!exec || exec->empty()) return std::nullopt;
  const auto argv = parseExec(*exec);
  if (!argv || argv->empty() || argv->front().empty()) return std::nullopt;
  return argv->front();
}

}  // namespace platform
