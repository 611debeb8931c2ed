// Fuzz target of mimeapps.list reading and editing. The input is cut at NUL bytes into a
// MIME type, a desktop file ID, a desktop-specific list and the user's list (which takes
// the rest, NUL bytes included); a type or ID that is not valid is replaced by one the
// list names or a fixed one. Promises:
// - a list serialises back to its bytes;
// - the list and the line reader of key files (readKeyFile) read the same groups, keys
//   and values, and the list is editable exactly when that reader reads, or may pass
//   over as blank or comment, every line, each line is UTF-8 and there is no NUL byte;
//   the first line it refuses is the first such line;
// - setting the default of the type changes only lines of that type's keys in the three
//   association groups: every other line stays, byte for byte and in order, and what is
//   added is blank lines, those groups' headers and keys of the type; the edited list
//   reads back with the new default first and stays editable;
// - the writer of the user's lists makes exactly that edit, and refuses (touching
//   nothing) exactly the lists the reader cannot read in full, naming the first line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTree.h"
#include "platform/KeyFile.h"
#include "platform/MimeAppsList.h"
#include "platform/MimeAppsWriter.h"
#include "platform/MimeDatabase.h"

namespace {

using fuzz::check;
using platform::KeyFileLine;
using platform::MimeAppsList;
using Kind = KeyFileLine::Kind;
using Entries = std::vector<std::pair<std::string, std::vector<std::string>>>;

constexpr std::string_view kDefaultGroup = "Default Applications";
constexpr std::string_view kAddedGroup = "Added Associations";
constexpr std::string_view kRemovedGroup = "Removed Associations";

std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The index of the line a view into text lies in.
std::size_t lineAt(const std::vector<std::string_view>& lines, const char* at) {
  const auto after = std::upper_bound(lines.begin(), lines.end(), at,
                                      [](const char* p, std::string_view line) {
                                        return p < line.data();
                                      });
  return static_cast<std::size_t>(after - lines.begin()) - 1;
}

bool isAssociationGroup(std::string_view group) {
  return group == kDefaultGroup || group == kAddedGroup || group == kRemovedGroup;
}

// Compares the list with what readKeyFile reads of the same text, and its refusal with
// the lines that reader leaves unread.
void checkReadersAgree(std::string_view text, const MimeAppsList& list) {
  const auto lines = linesOf(text);
  std::vector<bool> read(lines.size(), false);
  std::vector<std::string> groups;
  std::vector<std::pair<std::string, Entries>> byGroup;
  std::vector<std::pair<std::string, std::string_view>> lastRaw;  // "group\nkey" -> raw
  std::vector<std::pair<std::string, std::vector<std::string>>> order;  // group -> keys
  platform::readKeyFile(text, false,
                        [&](std::string_view group, std::string_view key, std::string_view raw) {
                          const char* at = key.empty() ? group.data() : key.data();
                          read[lineAt(lines, at)] = true;
                          if (std::find(groups.begin(), groups.end(), group) == groups.end()) {
                            groups.emplace_back(group);
                            order.emplace_back(std::string(group), std::vector<std::string>());
                          }
                          if (key.empty()) return;
                          const std::string id = std::string(group) + '\n' + std::string(key);
                          const auto known =
                              std::find_if(lastRaw.begin(), lastRaw.end(),
                                           [&](const auto& item) { return item.first == id; });
                          if (known != lastRaw.end()) {
                            known->second = raw;
                            return;
                          }
                          lastRaw.emplace_back(id, raw);
                          for (auto& [name, keys] : order) {
                            if (name == group) keys.emplace_back(key);
                          }
                        });
  check(list.groups() == groups, "both readers find the same groups");
  for (const auto& [group, keys] : order) {
    Entries expected;
    for (const auto& key : keys) {
      const std::string id = group + '\n' + key;
      const auto found = std::find_if(lastRaw.begin(), lastRaw.end(),
                                      [&](const auto& item) { return item.first == id; });
      expected.emplace_back(key, platform::splitKeyFileList(found->second));
    }
    check(list.entries(group) == expected, "both readers find the same keys and values");
    check(list.keys(group).size() == keys.size(), "keys lists each key once");
  }

  // A line that is not UTF-8 is passed over by the reader, and refused by the editor.
  std::size_t firstUnread = 0;
  bool strictAccepts = true;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Kind kind = platform::parseKeyFileLine(lines[i]).kind;
    const bool utf8 = platform::isValidUtf8(lines[i]);
    const bool passedOver = kind == Kind::kBlank || kind == Kind::kComment;
    if ((!utf8 || (!read[i] && !passedOver)) && firstUnread == 0) firstUnread = i + 1;
    if (utf8 && !read[i] && !passedOver) strictAccepts = false;
  }
  const bool nul = text.find('\0') != std::string_view::npos;
  check(list.editable() == (!nul && firstUnread == 0),
        "a list is editable exactly when every line is read");
  check(list.editable() == list.problems().empty(), "a list not editable says why");
  if (!nul && firstUnread != 0) {
    check(list.firstProblemLine() == firstUnread, "the first line refused is the first unread");
  }
  check(platform::readKeyFile(text, true, [](auto, auto, auto) {}) == strictAccepts,
        "the strict reader refuses a line that the reader leaves unread");
}

// Checks that after is before with only the lines of type's keys changed.
void checkOnlyTypeChanged(std::string_view before, std::string_view after,
                          const std::string& type, const MimeAppsList::SameType& sameType) {
  const auto names = [&](std::string_view key) {
    return key == type || (sameType && sameType(key));
  };
  const auto oldLines = linesOf(before);
  const auto newLines = linesOf(after);
  // Whether each line of a text is a key of the type in one of the association groups.
  const auto typeLines = [&](const std::vector<std::string_view>& lines) {
    std::vector<bool> result;
    std::string_view group;
    for (const auto line : lines) {
      const KeyFileLine parsed = platform::parseKeyFileLine(line);
      if (parsed.kind == Kind::kGroup) group = parsed.name;
      result.push_back(parsed.kind == Kind::kEntry && isAssociationGroup(group) &&
                       names(parsed.name));
    }
    return result;
  };
  const auto oldType = typeLines(oldLines);
  const auto newType = typeLines(newLines);
  const auto added = [&](std::size_t j) {
    const KeyFileLine parsed = platform::parseKeyFileLine(newLines[j]);
    return newType[j] || parsed.kind == Kind::kBlank ||
           (parsed.kind == Kind::kGroup && isAssociationGroup(parsed.name));
  };
  const bool unterminated = !before.empty() && !before.ends_with('\n');
  std::size_t j = 0;
  for (std::size_t i = 0; i < oldLines.size(); ++i) {
    if (oldType[i]) continue;
    const bool last = unterminated && i + 1 == oldLines.size();
    const auto same = [&](std::string_view line) {
      return line == oldLines[i] || (last && line.size() == oldLines[i].size() + 1 &&
                                     line.starts_with(oldLines[i]) && line.ends_with('\r'));
    };
    while (j < newLines.size() && !same(newLines[j])) {
      check(added(j), "an edit adds only blank lines, association groups and keys of the type");
      ++j;
    }
    check(j < newLines.size(), "an edit keeps every line of other keys, in order");
    ++j;
  }
  for (; j < newLines.size(); ++j) {
    check(added(j), "an edit adds only blank lines, association groups and keys of the type");
  }
}

std::string pickType(std::string_view part, const MimeAppsList& list) {
  if (platform::isValidMimeType(part)) return std::string(part);
  for (const auto& key : list.keys(kDefaultGroup)) {
    if (platform::isValidMimeType(key)) return key;
  }
  return "x-scheme-handler/http";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchFolder scratch;
  const auto parts =
      fuzz::splitInput(std::string_view(reinterpret_cast<const char*>(data), size), 4);
  const std::string_view desktopText = parts[2];
  const std::string_view text = parts[3];

  const auto list = MimeAppsList::parse(text);
  const auto desktopList = MimeAppsList::parse(desktopText);
  check(list.serialize() == text && desktopList.serialize() == desktopText,
        "a list serialises back to its bytes");
  checkReadersAgree(text, list);
  checkReadersAgree(desktopText, desktopList);

  const std::string type = pickType(parts[0], list);
  const std::string id = platform::isValidDesktopFileId(parts[1]) ? std::string(parts[1]) : "new";
  const std::string fullId = id.ends_with(".desktop") && id.size() > 8 ? id : id + ".desktop";
  // Every other input compares keys ignoring letter case, as aliases of a type are.
  const std::string folded = platform::lowercase(type);
  const MimeAppsList::SameType sameType =
      size % 2 == 0 ? MimeAppsList::SameType()
                    : [folded](std::string_view key) { return platform::lowercase(key) == folded; };

  std::string edited(text);
  if (list.editable()) {
    auto copy = list;
    copy.setDefault(type, id, sameType);
    edited = copy.serialize();
    checkOnlyTypeChanged(text, edited, type, sameType);
    const auto back = MimeAppsList::parse(edited);
    check(back.editable() && back.serialize() == edited, "an edited list stays editable");
    const auto defaults = back.values(kDefaultGroup, type);
    check(!defaults.empty() && defaults.front() == fullId, "the edited list names the default");
    for (const auto& [key, ids] : back.entries(kDefaultGroup)) {
      if (sameType && sameType(key)) {
        check(!ids.empty() && ids.front() == fullId, "every key of the type names the default");
      }
    }
    const auto removed = back.values(kRemovedGroup, type);
    check(std::find(removed.begin(), removed.end(), fullId) == removed.end(),
          "the default is not a removed association");
  }
  std::string desktopEdited(desktopText);
  const bool desktopChanges = [&] {
    if (!desktopList.hasDefault(type, sameType)) return false;
    auto copy = desktopList;
    copy.setDefaultApplication(type, id, sameType);
    desktopEdited = copy.serialize();
    return desktopEdited != desktopText;
  }();
  if (desktopChanges && desktopList.editable()) {
    checkOnlyTypeChanged(desktopText, desktopEdited, type, sameType);
    const auto defaults = MimeAppsList::parse(desktopEdited).values(kDefaultGroup, type);
    check(!defaults.empty() && defaults.front() == fullId, "the desktop list names the default");
  }

  // The writer, on files.
  scratch.write("config/mimeapps.list", text);
  scratch.write("config/zed-mimeapps.list", desktopText, !desktopText.empty());
  const std::string home = scratch.path() + "/config";
  const auto status = platform::setUserDefault(home, {"zed"}, type, id, sameType);
  const bool mainRefused = !list.editable();
  const bool desktopRefused = !desktopText.empty() && desktopChanges && !desktopList.editable();
  const auto contents = [&](const std::string& name) {
    return platform::readSmallFile(home + "/" + name, platform::kMaxListBytes);
  };
  if (mainRefused || desktopRefused) {
    check(status.code() == platform::kStatusNotEditable, "the writer refuses what is not read");
    check(status.line() == (desktopRefused ? desktopList : list).firstProblemLine(),
          "the writer names the first line not read");
    check(contents("mimeapps.list") == text, "a refusal leaves the list alone");
    if (!desktopText.empty()) {
      check(contents("zed-mimeapps.list") == desktopText, "a refusal leaves the list alone");
    }
  } else {
    check(status.ok(), "the writer edits a list read in full");
    check(contents("mimeapps.list") == edited, "the writer makes the edit of the list");
    if (!desktopText.empty()) {
      check(contents("zed-mimeapps.list") == desktopEdited, "the writer edits the desktop list");
    }
  }
  return 0;
}
