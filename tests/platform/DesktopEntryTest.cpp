#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "platform/DesktopEntry.h"
#include "platform/MimeAppsList.h"

namespace platform {
namespace {

TEST(DesktopEntryTest, RefusesWhatIsNotAWellFormedEntry) {
  static const struct {
    const char* name;
    std::string text;
    bool accepted;
  } cases[] = {
      {"plain", "[Desktop Entry]\nType=Application\nExec=x\n", true},
      {"comments and blanks first", "# c\n\n[Desktop Entry]\nName=x", true},
      {"CRLF line ends", "[Desktop Entry]\r\nName=x\r\n", true},
      {"another group first", "[Other]\nA=b\n[Desktop Entry]\nName=x\n", false},
      {"no group", "Name=x\n", false},
      {"line without =", "[Desktop Entry]\nName=x\ngarbage\n", false},
      {"broken group header", "[Desktop Entry\nName=x\n", false},
      {"a line not UTF-8", "[Desktop Entry]\nName=x\nComment[fr]=caf\xe9\n", true},
      {"only lines not UTF-8", "[Desktop Entry\xff]\nName=caf\xe9\n", false},
      {"NUL byte", std::string("[Desktop Entry]\nName=a\0b\n", 24), false},
      {"empty", "", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DesktopEntry::parse(c.text).has_value(), c.accepted) << c.name;
  }
}

TEST(DesktopEntryTest, KeepsUntranslatedKeysUnescaped) {
  const auto entry = DesktopEntry::parse(
      "[Desktop Entry]\nName=Old\nName[de]=Alt\nName = New \nComment=a\\sb\\nc\\\\d\n"
      "MimeType=text/plain;x\\;y;;text/html\nHidden=true \nNoDisplay=yes\n"
      "[Desktop Action new]\nName=Action\nExec=other\n");
  ASSERT_TRUE(entry);
  // Blanks after a value are kept, as other key-file readers keep them; a boolean is
  // its first word.
  EXPECT_EQ(entry->value("Name"), "New ");
  // A line that is not UTF-8 is skipped alone: the value before it stands.
  const auto translated = DesktopEntry::parse("[Desktop Entry]\nName=ok\nName=caf\xe9\nExec=x\n");
  ASSERT_TRUE(translated);
  EXPECT_EQ(translated->value("Name"), "ok");
  EXPECT_EQ(translated->value("Exec"), "x");
  EXPECT_EQ(entry->value("Comment"), "a b\nc\\d");
  EXPECT_EQ(entry->value("Exec"), std::nullopt);
  EXPECT_EQ(entry->list("MimeType"), (std::vector<std::string>{"text/plain", "x;y", "text/html"}));
  EXPECT_TRUE(entry->boolean("Hidden"));
  EXPECT_FALSE(entry->boolean("NoDisplay"));
  for (const auto& [key, value] : entry->entries()) EXPECT_EQ(key.find('['), std::string::npos);
}

TEST(DesktopEntryTest, KeepsATranslatedKeyOnlyWhenAskedForByName) {
  const std::string text =
      "[Desktop Entry]\nName=Files\nName[de]=Dateien\nName[fr]=Fichiers\nExec=nautilus\n"
      "[Desktop Action new]\nName[de]=Neues Fenster\n";
  const std::vector<std::string_view> keys = {"Name", "Name[de]"};
  const auto entry = DesktopEntry::parse(text, &keys);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->entries(), (std::vector<std::pair<std::string, std::string>>{
                                  {"Name", "Files"}, {"Name[de]", "Dateien"}}));
}

TEST(DesktopEntryTest, FindsTheProgramExecStarts) {
  static const struct {
    const char* exec;
    std::optional<std::string> program;
  } cases[] = {
      {"Exec=gedit %U", "gedit"},
      {"Exec=/usr/bin/vlc --started-from-file %U", "/usr/bin/vlc"},
      {"Exec=\"/opt/My App/run\" %f", "/opt/My App/run"},
      {"Exec=", std::nullopt},
      {"Exec=\"unterminated", std::nullopt},
      {"Name=no exec", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto entry = DesktopEntry::parse(std::string("[Desktop Entry]\n") + c.exec + "\n");
    ASSERT_TRUE(entry) << c.exec;
    EXPECT_EQ(entry->execProgram(), c.program) << c.exec;
  }
}

TEST(DesktopEntryTest, ReadKeyFileSkipsBadLinesUnlessStrict) {
  const std::string text = "[MIME Cache]\ntext/plain=a.desktop;\nnonsense\ntext/html=b.desktop;\n";
  std::vector<std::string> keys;
  const auto collect = [&](std::string_view, std::string_view key, std::string_view) {
    if (!key.empty()) keys.emplace_back(key);
  };
  EXPECT_TRUE(readKeyFile(text, false, collect));
  EXPECT_EQ(keys, (std::vector<std::string>{"text/plain", "text/html"}));
  keys.clear();
  EXPECT_FALSE(readKeyFile(text, true, collect));
}

// The quick look at a line's key that lets a reader pass over an unwanted line agrees
// with the line grammar: whatever key it finds is the key parseKeyFileLine finds, and
// every other line is left to the grammar.
TEST(DesktopEntryTest, QuickKeyOfALineAgreesWithTheLineGrammar) {
  static const struct {
    const char* name;
    std::string line;
    std::string key;  // what the quick look finds; "" leaves the line to the grammar
  } cases[] = {
      {"plain", "Name=x", "Name"},
      {"translation", "Name[de]=Dateien", "Name[de]"},
      {"blanks around the key", " \t Comment[sr@latin]  = y", "Comment[sr@latin]"},
      {"a blank inside the key", "Key with space=x", "Key with space"},
      {"second '=' is value", "Na=me=x", "Na"},
      {"empty value", "Name[de]=", "Name[de]"},
      {"key of eight bytes", "Keywords=a;b;", "Keywords"},
      {"key of sixteen bytes", "X-GNOME-Keyword1=a", "X-GNOME-Keyword1"},
      {"long key with locale", "X-GNOME-FullName[zh_TW]=\xe6\x96\x87", "X-GNOME-FullName[zh_TW]"},
      {"bracket right before '='", "Name[=x", "Name["},
      {"key past 32 bytes", "X-Desktop-File-Install-Version[zh_TW]=0.26",
       "X-Desktop-File-Install-Version[zh_TW]"},
      {"'=' at byte 32", std::string(31, 'K') + "=x", std::string(31, 'K')},
      {"blanks before a long key", "  " + std::string(40, 'K') + "[de] =x",
       std::string(40, 'K') + "[de]"},
      {"UTF-8 key", "\xd0\x9a\xd0\xbb\xd1\x8e\xd1\x87[ru]=x",
       "\xd0\x9a\xd0\xbb\xd1\x8e\xd1\x87[ru]"},
      {"key not UTF-8", "Name[de]\xff=x", "Name[de]\xff"},
      {"tab before '='", "Name\t=x", ""},
      {"carriage return first", "\rName=x", ""},
      {"control character in key", "Na\x01me[de]=x", ""},
      {"DEL in key", "Name[d\x7f]=x", ""},
      {"NUL in key", std::string("Na\0me=x", 8), ""},
      {"no key", "=x", ""},
      {"only blanks before '='", "        =x", ""},
      {"no '='", "Name[de] Dateien", ""},
      {"no '=' in eight bytes", "Name[de]", ""},
      {"comment", "# Name=x", ""},
      {"group header", "[Desktop Entry]", ""},
      {"group-like key", "[Group]=x", ""},
      {"blank", "   ", ""},
      {"empty", "", ""},
  };
  // Alone, at the end of the text, between other lines, and with enough text after it
  // for the look 16 bytes at a time.
  for (const auto& c : cases) {
    for (const auto& [before, after] : {std::pair<std::string, std::string>{"", ""},
                                        {"A=b\n", "\nName=ok\n"},
                                        {"", "\n=value past the line\n"},
                                        {"A=b\n", "\n=" + std::string(64, 'v') + "\n"}}) {
      const std::string text = before + c.line + after;
      const std::string_view key = plainKeyOfLine(text, before.size());
      EXPECT_EQ(key, c.key) << c.name << " / " << after;
      const KeyFileLine parsed = parseKeyFileLine(c.line);
      if (!key.empty()) {
        EXPECT_EQ(parsed.kind, KeyFileLine::Kind::kEntry) << c.name;
        EXPECT_EQ(parsed.name, key) << c.name;
      }
    }
  }
}

// Reading with a selection gives the same as reading everything and keeping what the
// selection names, on real entries and on entries with lines that are malformed, not
// UTF-8 or unwanted in every way.
TEST(DesktopEntryTest, ASelectionOnlyLeavesOutTheLinesItDoesNotWant) {
  using Seen = std::vector<std::tuple<std::string, std::string, std::string>>;
  const auto read = [](std::string_view text, const KeyFileSelection* selection, Seen& seen) {
    return readKeyFile(
        text, true,
        [&](std::string_view group, std::string_view key, std::string_view raw) {
          seen.emplace_back(group, key, raw);
        },
        selection);
  };
  std::vector<std::string> texts = {
      "[Desktop Entry]\nName=a\nName[de]=b\nName[fr]=\xff\nExec=x\n"
      "[Desktop Action new]\nName=n\nName[de]=\xfe\n",
      "[Desktop Entry]\nName[de]\t=b\nName=a\xff\nName=c\n",
      "[Desktop Entry]\nName=a\nComment[de]=ok\nName[de] no equals\n",
      "[Desktop Entry]\nName=a\n[Action \xff]\nName=b\nName[de]=c\n",
      "[Desktop Entry]\nName=a\n[Desktop Action x]\nNa\x01me[de]=c\n",
      "Name[de]=before any group\n[Desktop Entry]\nName=a\n",
      "[Desktop Entry]\r\nName[de]=b\r\nName=a\r\n   # c\n\n[Desktop Entry]\nExec=e",
  };
  // Line feeds are found some kilobytes at a time: lines across those windows, one
  // longer than several of them, and a malformed line far into the file.
  std::string wide = "[Desktop Entry]\nComment[de]=" + std::string(9000, 'c') + "\nName=a\n";
  for (int i = 0; i < 400; ++i)
    wide += "Name[x" + std::to_string(i) + "]=" + std::string(i % 70, 'n') + "\n";
  texts.push_back(wide + "Exec=e\n");
  texts.push_back(wide + "Exec=e\nName[de] no equals\n");
  texts.push_back(wide + "Name=last, without a line feed");
  for (const auto& file : std::filesystem::directory_iterator(VRAX_FIXTURES_DIR "/applications")) {
    texts.push_back(*readSmallFile(file.path().string(), 1 << 20));
  }
  const std::vector<std::string_view> named = {"Name", "Name[de]", "Exec", "Comment[de]"};
  const std::vector<std::string_view> untranslated = {"Name", "Exec", "MimeType"};
  const KeyFileSelection selections[] = {
      {"Desktop Entry", nullptr}, {"Desktop Entry", &named}, {"Desktop Entry", &untranslated}};
  for (const std::string& text : texts) {
    for (const KeyFileSelection& selection : selections) {
      Seen all;
      Seen selected;
      const bool wellFormed = read(text, nullptr, all);
      EXPECT_EQ(read(text, &selection, selected), wellFormed) << text.substr(0, 60);
      if (!wellFormed) continue;
      Seen wanted;
      for (const auto& [group, key, raw] : all) {
        const bool asked = selection.keys != nullptr
                               ? std::find(selection.keys->begin(), selection.keys->end(), key) !=
                                     selection.keys->end()
                               : key.find('[') == std::string::npos;
        if (key.empty() || (group == selection.group && asked)) {
          wanted.emplace_back(group, key, raw);
        }
      }
      EXPECT_EQ(selected, wanted) << text.substr(0, 60);
    }
  }
}

// The two key-file readers share one check of untrusted text: a desktop entry is refused,
// and a mimeapps.list is not editable, for exactly the same bytes.
TEST(DesktopEntryTest, BothKeyFileReadersCheckTextAlike) {
  static const struct {
    const char* name;
    std::string bytes;
    bool utf8;
  } cases[] = {
      {"ASCII", "plain", true},
      {"two, three and four bytes", "\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", true},
      {"last code point", "\xf4\x8f\xbf\xbf", true},
      {"overlong two bytes", "\xc0\xaf", false},
      {"overlong three bytes", "\xe0\x80\xaf", false},
      {"surrogate", "\xed\xa0\x80", false},
      {"past U+10FFFF", "\xf4\x90\x80\x80", false},
      {"cut short", "\xe2\x82", false},
      {"lone continuation byte", "\x80", false},
      {"long ASCII run", "an application for editing text files", true},
      {"bad byte after a long ASCII run", "an application for\xff editing", false},
      {"bad byte at the end of a run of eight", "abcdefg\x80", false},
      {"cut short after a run of eight", "abcdefgh\xe2\x82", false},
      {"ASCII around a long character",
       "abcdefgh\xf0\x9f\x98\x80"
       "abcdefgh",
       true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isValidUtf8(c.bytes), c.utf8) << c.name;
    const std::string text = "[Desktop Entry]\nType=Application\nName=" + c.bytes + "\n";
    // A desktop entry loses only the line; an edit refuses a file it would mangle.
    const auto entry = DesktopEntry::parse(text);
    ASSERT_TRUE(entry) << c.name;
    EXPECT_EQ(entry->value("Name").has_value(), c.utf8) << c.name;
    EXPECT_EQ(MimeAppsList::parse(text).editable(), c.utf8) << c.name;
  }
  for (const std::string& key : {std::string("Na\x01me"), std::string("Na\x7fme")}) {
    EXPECT_TRUE(hasControlCharacter(key));
    const std::string text = "[Desktop Entry]\n" + key + "=x\n";
    EXPECT_FALSE(DesktopEntry::parse(text).has_value());
    EXPECT_FALSE(MimeAppsList::parse(text).editable());
  }
  EXPECT_FALSE(hasControlCharacter("Name \xc3\xa9"));
}

}  // namespace
}  // namespace platform
