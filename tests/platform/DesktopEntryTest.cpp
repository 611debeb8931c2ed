#include <gtest/gtest.h>

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
      {"ASCII around a long character", "abcdefgh\xf0\x9f\x98\x80" "abcdefgh", true},
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
