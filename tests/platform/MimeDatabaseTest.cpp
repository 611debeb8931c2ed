// The shared MIME-info database on small hand-made folders: aliases (chains, circles,
// letter case), the one name of a type however it is spelled, and parents.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "XdgTree.h"
#include "platform/MimeDatabase.h"

namespace platform {
namespace {

using testsupport::XdgTree;

// Two folders: the first wins for an alias, types and parents are the union.
struct Database {
  XdgTree tree;
  MimeDatabase database{{tree.root() + "/first", tree.root() + "/second"}};

  Database() {
    tree.write("first/types",
               "text/plain\ntext/x-csrc\naudio/AMR\napplication/vnd.Macro.12\nimage/png\n"
               "# a comment\nnot a type\n");
    tree.write("first/aliases",
               "text/x-c text/x-csrc\n"
               "text/x-chain1 text/x-chain2\ntext/x-chain2 text/x-csrc\n"
               "text/x-loop1 text/x-loop2\ntext/x-loop2 text/x-loop1\n"
               "Text/X-Upper text/plain\n"
               "application/x-shadowed image/png\n");
    tree.write("second/types", "text/x-second\ntext/x-c\n");
    tree.write("second/aliases", "application/x-shadowed text/plain\n");
    tree.write("second/subclasses", "text/x-csrc text/plain\ntext/x-c text/plain\n");
  }
};

TEST(MimeDatabaseTest, EveryTypeHasOneName) {
  static const struct {
    const char* spelled;
    const char* canonical;
  } cases[] = {
      {"text/plain", "text/plain"},
      {"TEXT/PLAIN", "text/plain"},
      {"text/x-c", "text/x-csrc"},
      {"Text/X-C", "text/x-csrc"},
      {"text/x-chain1", "text/x-csrc"},
      {"text/x-chain2", "text/x-csrc"},
      {"text/x-loop1", "text/x-loop1"},  // a circle names no type: the name stays
      {"Text/X-Upper", "text/plain"},
      {"text/x-upper", "text/plain"},
      {"audio/amr", "audio/AMR"},
      {"audio/AMR", "audio/AMR"},
      {"application/vnd.macro.12", "application/vnd.Macro.12"},
      {"application/x-shadowed", "image/png"},  // the first folder's alias
      {"text/x-second", "text/x-second"},
      {"application/x-unknown", "application/x-unknown"},
      {"Application/X-Unknown", "application/x-unknown"},
  };
  Database db;
  for (const auto& c : cases) {
    EXPECT_EQ(db.database.canonical(c.spelled), c.canonical) << c.spelled;
    EXPECT_EQ(db.database.isCanonical(c.spelled), std::string(c.spelled) == c.canonical)
        << c.spelled;
  }
}

TEST(MimeDatabaseTest, TypesAliasesAndParents) {
  Database db;
  // Declared once each, under the canonical name ("text/x-c" of the second folder is
  // text/x-csrc), in folder order; a line that is not a type is skipped.
  EXPECT_EQ(db.database.types(),
            (std::vector<std::string>{"text/plain", "text/x-csrc", "audio/AMR",
                                      "application/vnd.Macro.12", "image/png", "text/x-second"}));
  EXPECT_TRUE(db.database.isKnown("text/x-c"));
  EXPECT_FALSE(db.database.isKnown("text/x-loop1"));
  EXPECT_EQ(db.database.unalias("text/x-chain1"), "text/x-csrc");
  EXPECT_EQ(db.database.canonicalIgnoringCase("TEXT/X-CHAIN1"), "text/x-csrc");
  EXPECT_EQ(db.database.canonicalIgnoringCase("application/x-unknown"), std::nullopt);
  // One link, though two lines name it (one through an alias).
  EXPECT_EQ(db.database.parents("text/x-c"), (std::vector<std::string>{"text/plain"}));
  EXPECT_EQ(db.database.withAncestors("text/x-chain2"),
            (std::vector<std::string>{"text/x-csrc", "text/plain"}));
  EXPECT_TRUE(db.database.conformsTo("text/x-c", "text/plain"));
  EXPECT_FALSE(db.database.conformsTo("image/png", "text/plain"));
}

}  // namespace
}  // namespace platform
