// Content-type handlers: roles reach the platform, paths replace identifiers, and the
// type list keeps only items and content, asks with viewer-or-editor roles and names
// types without a usable handler.
#include <gtest/gtest.h>

#include "VraxTestSupport.h"
#include "vrax/LSWrappers.h"

namespace vrax::testing {
namespace {

using UTType = LSWrappers::UTType;

constexpr LSRolesMask kViewer = platform::kLSRolesViewer;
constexpr LSRolesMask kAll = platform::kLSRolesAll;

TEST_F(WrappersTest, TypeDefaultIsAskedForTheGivenRoles) {
  install("org.gnome.TextEditor", "/apps/te.desktop");
  install("vim", "/apps/vim.desktop");
  installRemoved("removed");
  fake->setDefault("text/plain", "vim", platform::kLSRolesViewer);
  fake->setDefault("text/plain", "org.gnome.TextEditor", platform::kLSRolesEditor);
  fake->setDefault("text/x-gone", "removed");
  EXPECT_EQ(UTType::copyDefaultHandler("text/plain", kViewer, true), "/apps/vim.desktop");
  EXPECT_EQ(UTType::copyDefaultHandler("text/plain", kViewer, false), "vim");
  EXPECT_EQ(UTType::copyDefaultHandler("text/plain", platform::kLSRolesEditor, true),
            "/apps/te.desktop");
  EXPECT_FALSE(UTType::copyDefaultHandler("text/plain", platform::kLSRolesShell, true));
  EXPECT_EQ(UTType::copyDefaultHandler("text/x-gone", kAll, false), "removed");
  EXPECT_FALSE(UTType::copyDefaultHandler("text/x-gone", kAll, true));
}

TEST_F(WrappersTest, AllTypeHandlersResolveInOrderAndNeverAnswerEmptyPaths) {
  install("b", "/apps/b.desktop", "", {"image/png"});
  installRemoved("removed", {"image/png", "image/jpeg"});
  install("a", "/apps/a.desktop", "", {"image/png"});
  EXPECT_EQ(UTType::copyAllHandlers("image/png", kAll, true),
            (std::vector<std::string>{"/apps/b.desktop", "/apps/a.desktop"}));
  EXPECT_EQ(UTType::copyAllHandlers("image/png", kAll, false),
            (std::vector<std::string>{"b", "removed", "a"}));
  EXPECT_EQ(UTType::copyAllHandlers("image/gif", kAll, false), std::vector<std::string>{});
  EXPECT_FALSE(UTType::copyAllHandlers("image/gif", kAll, true));
  EXPECT_FALSE(UTType::copyAllHandlers("image/jpeg", kAll, true));
  fake->fail(platform::FakePlatform::Operation::copyAllHandlers);
  EXPECT_FALSE(UTType::copyAllHandlers("image/png", kAll, false));
}

TEST_F(WrappersTest, TypeListKeepsItemsAndContentWithTheirViewerOrEditor) {
  install("org.gnome.TextEditor", "/apps/te.desktop");
  installRemoved("removed");
  fake->addType({"text/plain", {"public.item"}, {}});
  fake->addType({"inode/mount-point", {}, {}});  // neither an item nor content
  fake->addType({"application/x-thing", {"public.item"}, {}});
  fake->addType({"image/png", {"public.content"}, {}});
  fake->addType({"text/x-gone", {"text/x-base"}, {}});
  fake->addType({"text/x-base", {"public.item"}, {}});
  fake->setDefault("inode/mount-point", "org.gnome.TextEditor");
  fake->setDefault("text/plain", "org.gnome.TextEditor", kViewer);
  // Only for a role the list does not ask about.
  fake->setDefault("image/png", "org.gnome.TextEditor", platform::kLSRolesShell);
  fake->setDefault("text/x-gone", "removed");

  EXPECT_EQ(UTType::copyAllUTIs(), (std::map<std::string, std::string>{
                                       {"application/x-thing", "No application set."},
                                       {"image/png", "No application set."},
                                       {"text/plain", "/apps/te.desktop"},
                                       {"text/x-base", "No application set."},
                                       {"text/x-gone", "No application set."},
                                   }));
}

TEST_F(WrappersTest, TypeListIsEmptyWithoutDeclaredTypes) {
  EXPECT_TRUE(UTType::copyAllUTIs().empty());
  fake->addType({"text/plain", {"public.item"}, {}});
  fake->fail(platform::FakePlatform::Operation::copyDeclaredTypes);
  EXPECT_TRUE(UTType::copyAllUTIs().empty());
}

}  // namespace
}  // namespace vrax::testing
