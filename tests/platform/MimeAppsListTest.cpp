#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MimeAppsList.h"

namespace platform {
namespace {

using namespace std::string_literals;

// Files whose every byte must come back from serialize(), editable or not.
TEST(MimeAppsList, SerializeGivesBackEveryByte) {
  const char* texts[] = {
      "",
      "\n\n",
      "[Default Applications]\ntext/plain=a.desktop;\n",
      "[Default Applications]\ntext/plain=a.desktop;",  // no final line feed
      "# comment\n  # indented comment\n\n[X-Unknown]\nfoo = bar \n[Default Applications]\n",
      "[Default Applications]\r\ntext/html=b.desktop\r\n\r\n",
      "[Added Associations]\nk=v\n[Added Associations]\nk=w\n",
      "garbage line\n[Default Applications]\n\x01\x02\n",
      "[A]\nk=\xff\xfe\n",
      "   \t\n[A] \t\nk\t=\t v \n",
  };
  for (const char* text : texts) {
    EXPECT_EQ(MimeAppsList::parse(text).serialize(), text) << text;
  }
  const std::string withNul = "[A]\nk=v\0w\n"s;
  EXPECT_EQ(MimeAppsList::parse(withNul).serialize(), withNul);
}

TEST(MimeAppsList, EditableOnlyWhenEveryLineIsUnderstood) {
  const struct {
    std::string text;
    bool editable;
  } cases[] = {
      {"", true},
      {"# only a comment", true},
      {"[Default Applications]\ntext/plain=a.desktop;\n\n# c\n", true},
      {"[Default Applications]\r\ntext/plain=a.desktop;\r\n", true},
      {"[Weird Group]\nx-y/z = spaced ; values\n", true},
      {"[A]\nkey=caf\xc3\xa9\n", true},
      {"text/plain=a.desktop;\n[Default Applications]\n", false},  // key before any group
      {"[Default Applications]\njust words\n", false},
      {"[Default Applications\n", false},
      {"[Default] trailing\n", false},
      {"[]\n", false},
      {"[A]\n=value\n", false},
      {"[A]\nk=a\0b\n"s, false},
      {"[A]\nk=\xc3\n", false},          // truncated sequence
      {"[A]\nk=\xed\xa0\x80\n", false},  // surrogate
      {"[A]\nk=\xc0\xaf\n", false},      // overlong
  };
  for (const auto& c : cases) {
    const auto list = MimeAppsList::parse(c.text);
    EXPECT_EQ(list.editable(), c.editable) << c.text;
    EXPECT_EQ(list.problems().empty(), c.editable) << c.text;
  }
}

TEST(MimeAppsList, ReadsGroupsKeysAndValues) {
  const auto list = MimeAppsList::parse(
      "# head\n"
      "[Default Applications]\n"
      "text/plain=a.desktop;b.desktop\n"
      "  text/html =  c.desktop;;d\\;e.desktop;\n"
      "bad line\n"
      "[Added Associations]\n"
      "text/plain=x.desktop;\n"
      "[Default Applications]\n"
      "text/plain=last.desktop;\n"
      "image/png=\\sp\\\\q\\n;\n");
  EXPECT_EQ(list.groups(),
            (std::vector<std::string>{"Default Applications", "Added Associations"}));
  EXPECT_EQ(list.keys("Default Applications"),
            (std::vector<std::string>{"text/plain", "text/html", "image/png"}));
  EXPECT_EQ(list.values("Default Applications", "text/plain"),
            std::vector<std::string>{"last.desktop"});
  EXPECT_EQ(list.values("Default Applications", "text/html"),
            (std::vector<std::string>{"c.desktop", "d;e.desktop"}));
  EXPECT_EQ(list.values("Default Applications", "image/png"), std::vector<std::string>{" p\\q\n"});
  EXPECT_EQ(list.values("Added Associations", "text/plain"), std::vector<std::string>{"x.desktop"});
  EXPECT_TRUE(list.values("Removed Associations", "text/plain").empty());
  EXPECT_EQ(list.value("Default Applications", "text/html"), "c.desktop;;d\\;e.desktop;");
  EXPECT_FALSE(list.value("Default Applications", "nothing/here"));
  EXPECT_FALSE(list.editable());

  // Trailing blanks belong to the value; a CRLF line ending does not.
  const auto spaced = MimeAppsList::parse("[A]\r\nk=a.desktop;b.desktop \r\nl = c\t\n");
  EXPECT_EQ(spaced.values("A", "k"), (std::vector<std::string>{"a.desktop", "b.desktop "}));
  EXPECT_EQ(spaced.value("A", "l"), "c\t");
}

TEST(MimeAppsList, SetDefaultChangesOnlyWhatItMust) {
  const struct {
    const char* name;
    std::string before;
    std::string after;
  } cases[] = {
      {"empty file", "",
       "[Default Applications]\nx-scheme-handler/http=new.desktop;\n\n"
       "[Added Associations]\nx-scheme-handler/http=new.desktop;\n"},
      {"other app replaced, others kept",
       "# mine\n[Default "
       "Applications]\ntext/plain=old.desktop;\nx-scheme-handler/http=old.desktop;\n"
       "text/html=old.desktop;\n\n[Added Associations]\nx-scheme-handler/http=old.desktop;\n",
       "# mine\n[Default Applications]\ntext/plain=old.desktop;\n"
       "x-scheme-handler/http=new.desktop;old.desktop;\ntext/html=old.desktop;\n\n"
       "[Added Associations]\nx-scheme-handler/http=new.desktop;old.desktop;\n"},
      {"already listed later moves first; spacing normalised",
       "[Default Applications]\n  x-scheme-handler/http = a.desktop;new.desktop;b\n"
       "[Added Associations]\nx-scheme-handler/http=a.desktop;new;\n",
       "[Default Applications]\nx-scheme-handler/http=new.desktop;a.desktop;b;\n"
       "[Added Associations]\nx-scheme-handler/http=a.desktop;new;\n"},
      {"unchanged lines stay as written",
       "[Default Applications]\nx-scheme-handler/http=new.desktop;\n"
       "[Added Associations]\nx-scheme-handler/http = z.desktop;new.desktop\n",
       "[Default Applications]\nx-scheme-handler/http=new.desktop;\n"
       "[Added Associations]\nx-scheme-handler/http = z.desktop;new.desktop\n"},
      {"removed association taken out, empty key dropped",
       "[Removed Associations]\nx-scheme-handler/http=new.desktop;\ntext/plain=new.desktop;\n"
       "x-scheme-handler/ftp=new.desktop;\n",
       "[Removed Associations]\ntext/plain=new.desktop;\nx-scheme-handler/ftp=new.desktop;\n\n"
       "[Default Applications]\nx-scheme-handler/http=new.desktop;\n\n"
       "[Added Associations]\nx-scheme-handler/http=new.desktop;\n"},
      {"removed association keeps the others",
       "[Removed Associations]\nx-scheme-handler/http=a.desktop;new.desktop;b.desktop;\n",
       "[Removed Associations]\nx-scheme-handler/http=a.desktop;b.desktop;\n\n"
       "[Default Applications]\nx-scheme-handler/http=new.desktop;\n\n"
       "[Added Associations]\nx-scheme-handler/http=new.desktop;\n"},
      {"new key after the section's last entry, before trailing comments",
       "[Default Applications]\ntext/plain=a.desktop;\n\n# about the next group\n[X-Other]\nk=v\n"
       "[Added Associations]\n# nothing yet\n",
       "[Default Applications]\ntext/plain=a.desktop;\nx-scheme-handler/http=new.desktop;\n\n"
       "# about the next group\n[X-Other]\nk=v\n[Added Associations]\n"
       "x-scheme-handler/http=new.desktop;\n# nothing yet\n"},
      {"no final line feed", "[Default Applications]\ntext/plain=a.desktop;",
       "[Default Applications]\ntext/plain=a.desktop;\nx-scheme-handler/http=new.desktop;\n\n"
       "[Added Associations]\nx-scheme-handler/http=new.desktop;\n"},
      {"carriage returns kept", "[Default Applications]\r\nx-scheme-handler/http=old.desktop;\r\n",
       "[Default Applications]\r\nx-scheme-handler/http=new.desktop;old.desktop;\r\n\r\n"
       "[Added Associations]\r\nx-scheme-handler/http=new.desktop;\r\n"},
      {"group written twice: every occurrence updated",
       "[Default Applications]\nx-scheme-handler/http=a.desktop;\n[Default Applications]\n"
       "x-scheme-handler/http=b.desktop;\n",
       "[Default Applications]\nx-scheme-handler/http=new.desktop;a.desktop;\n"
       "[Default Applications]\nx-scheme-handler/http=new.desktop;b.desktop;\n\n"
       "[Added Associations]\nx-scheme-handler/http=new.desktop;\n"},
      {"other keys of the type in other groups untouched",
       "[X-Custom]\nx-scheme-handler/http=keep.desktop;\n",
       "[X-Custom]\nx-scheme-handler/http=keep.desktop;\n\n"
       "[Default Applications]\nx-scheme-handler/http=new.desktop;\n\n"
       "[Added Associations]\nx-scheme-handler/http=new.desktop;\n"},
  };
  for (const auto& c : cases) {
    auto list = MimeAppsList::parse(c.before);
    ASSERT_TRUE(list.editable()) << c.name;
    list.setDefault("x-scheme-handler/http", "new");
    EXPECT_EQ(list.serialize(), c.after) << c.name;
    // Setting the same default again changes nothing.
    auto again = MimeAppsList::parse(list.serialize());
    again.setDefault("x-scheme-handler/http", "new.desktop");
    EXPECT_EQ(again.serialize(), c.after) << c.name;
    EXPECT_EQ(again.values("Default Applications", "x-scheme-handler/http").front(), "new.desktop");
  }
}

TEST(MimeAppsList, SetDefaultApplicationTouchesOnlyDefaults) {
  const std::string before =
      "[Default Applications]\nx-scheme-handler/http=old.desktop;\n"
      "[Removed Associations]\nx-scheme-handler/http=new.desktop;\n";
  auto list = MimeAppsList::parse(before);
  list.setDefaultApplication("x-scheme-handler/http", "new");
  EXPECT_EQ(list.serialize(),
            "[Default Applications]\nx-scheme-handler/http=new.desktop;old.desktop;\n"
            "[Removed Associations]\nx-scheme-handler/http=new.desktop;\n");
}

TEST(MimeAppsList, SetValueEscapes) {
  auto list = MimeAppsList::parse("[Desktop Entry]\nName=X\nExec=old\n# end\n");
  list.setValue("Desktop Entry", "Exec", " \"/a b\\c\"\n%u");
  EXPECT_EQ(list.serialize(), "[Desktop Entry]\nName=X\nExec=\\s\"/a b\\\\c\"\\n%u\n# end\n");
  EXPECT_EQ(list.value("Desktop Entry", "Exec"), " \"/a b\\c\"\n%u");
  list.setValue("Desktop Entry", "TryExec", "/p");
  EXPECT_EQ(list.value("Desktop Entry", "TryExec"), "/p");
}

TEST(MimeAppsList, ValidatesMimeTypes) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {
      {"text/plain", true},
      {"x-scheme-handler/http", true},
      {"application/vnd.oasis.opendocument.text", true},
      {"application/x-foo+xml", true},
      {"x-scheme-handler/web+mastodon", true},
      {"", false},
      {"text", false},
      {"/plain", false},
      {"text/", false},
      {"text/pl/ain", false},
      {"text/pl ain", false},
      {"text/plain\n", false},
      {"text/plain\nx=y", false},
      {"x-scheme-handler/a=b", false},
      {"x-scheme-handler/[Removed Associations]", false},
      {"x-scheme-handler/a;b", false},
      {"text/pl\tain", false},
      {"text/pl\x7f", false},
      {"text/pl\x01", false},
      {"text/caf\xc3\xa9", false},
      {"text/\"q\"", false},
      {"#-scheme-handler/x", false},  // its key would read as a comment
      {"X-Scheme-Handler/Web+Mastodon", true},
      {"X-Scheme-Handler/a&b", false},  // "x-scheme-handler/a&b" in any letter case
      {"text/#x", true},
  };
  for (const auto& c : cases) EXPECT_EQ(isValidMimeType(c.text), c.valid) << c.text;
  EXPECT_FALSE(isValidMimeType(std::string_view("text/pl\0ain", 11)));
  EXPECT_FALSE(isValidMimeType("x-scheme-handler/" + std::string(250, 'a')));
}

TEST(MimeAppsList, ValidatesDesktopFileIds) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {
      {"org.vrax.Quietling", true},
      {"org.vrax.Quietling.desktop", true},
      {"firefox-esr", true},
      {"kde4-kate_x+1.desktop", true},
      {"", false},
      {".desktop", false},
      {".hidden", false},
      {"-option", false},
      {"a b", false},
      {"a;b", false},
      {"a=b", false},
      {"a/b", false},
      {"a\nb", false},
      {"[Default Applications]", false},
      {"caf\xc3\xa9", false},
  };
  for (const auto& c : cases) EXPECT_EQ(isValidDesktopFileId(c.text), c.valid) << c.text;
}

}  // namespace
}  // namespace platform
