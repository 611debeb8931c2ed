// Fuzz target of desktop entries: whatever the reader accepts holds keys and values that
// stay on their line, keys that name no translation it was not asked for, and text that
// is UTF-8; reading is deterministic and alike from text and from a file; asking for a
// few keys keeps exactly those of the whole entry and accepts exactly the same files;
// a line that is not UTF-8, put anywhere between two lines, is passed over and nothing
// else changes; the program Exec starts is the first word of Exec.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTree.h"
#include "platform/DesktopEntry.h"
#include "platform/DesktopExec.h"
#include "platform/MimeAppsList.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// What a reader can see of an entry: every key with its value as written.
Entries rawOf(const platform::DesktopEntry& entry) {
  Entries result;
  for (const auto& [key, value] : entry.entries()) {
    result.emplace_back(key, std::string(entry.raw(key).value_or("")));
  }
  return result;
}

// The text with a line that is not UTF-8 put after its line'th line feed (at the end
// when it has fewer).
std::string withForeignLine(std::string_view text, std::size_t line) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < line && at < text.size(); ++i) {
    const std::size_t end = text.find('\n', at);
    at = end == std::string_view::npos ? text.size() : end + 1;
  }
  std::string result(text.substr(0, at));
  if (!result.empty() && !result.ends_with('\n')) result += '\n';
  result += "Name=Caf\xe9 [Desktop Entry]\n";
  result += text.substr(at);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using fuzz::check;
  static const fuzz::ScratchFolder scratch;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto entry = platform::DesktopEntry::parse(text);
  const auto again = platform::DesktopEntry::parse(text);
  check(entry.has_value() == again.has_value(), "parsing is deterministic");

  // The keys the installed applications are read by, and one translation.
  static const std::vector<std::string_view> kKeys = {
      "Type", "Hidden", "TryExec", "Exec", "Name", "MimeType", "NoDisplay", "Name[de]"};
  const auto some = platform::DesktopEntry::parse(text, &kKeys);
  check(some.has_value() == entry.has_value(), "asking for keys accepts the same files");

  scratch.write("entry.desktop", text);
  const auto loaded = platform::DesktopEntry::load(scratch.path() + "/entry.desktop");
  check(loaded.has_value() == entry.has_value(), "a file reads as its text");
  if (!entry) return 0;

  check(text.find('\0') == std::string_view::npos, "an accepted entry holds no NUL");
  const Entries raw = rawOf(*entry);
  check(raw == rawOf(*again) && raw == rawOf(*loaded), "an entry reads the same every time");
  for (const auto& [key, value] : raw) {
    check(!key.empty() && !platform::hasControlCharacter(key), "a key holds no control character");
    check(key.find('=') == std::string::npos && key.find('[') == std::string::npos,
          "a key is no translation and holds no '='");
    check(value.find('\n') == std::string::npos, "a value stays on its line");
    check(platform::isValidUtf8(key) && platform::isValidUtf8(value), "what is read is UTF-8");
  }

  for (const auto& [key, ignored] : some->entries()) {
    check(std::find(kKeys.begin(), kKeys.end(), key) != kKeys.end(), "only the keys asked for");
  }
  for (const auto key : kKeys) {
    if (key.find('[') == std::string_view::npos) {
      check(some->raw(key) == entry->raw(key), "every key asked for is kept");
    }
  }

  if (const auto program = entry->execProgram()) {
    const auto argv = platform::parseExec(*entry->value("Exec"));
    check(argv.has_value() && argv->front() == *program, "the program is Exec's first word");
    const auto quoted = platform::parseExec(platform::quoteExecArgument(*program));
    check(quoted.has_value() && quoted->size() == 1 && quoted->front() == *program,
          "the program quoted splits back into itself");
  }

  const std::size_t line = size == 0 ? 0 : data[size - 1] % 8;
  const auto foreign = platform::DesktopEntry::parse(withForeignLine(text, line));
  check(foreign.has_value() && rawOf(*foreign) == raw,
        "a line that is not UTF-8 is passed over alone");
  return 0;
}
