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
  fake->typeDefaults[{"text/plain", kAll}] = "org.gnome.TextEditor";
  fake->typeDefaults[{"text/plain", kViewer}] = "vim";
  fake->typeDefaults[{"text/x-gone", kAll}] = "removed";
  EXPECT_EQ(UTType::copyDefaultHandler("text/plain", kAll, true), "/apps/te.desktop");
  EXPECT_EQ(UTType::copyDefaultHandler("text/plain", kViewer, true), "/apps/vim.desktop");
  EXPECT_EQ(UTType::copyDefaultHandler("text/plain", kViewer, false), "vim");
  EXPECT_FALSE(UTType::copyDefaultHandler("text/plain", platform::kLSRolesShell, true));
  EXPECT_EQ(UTType::copyDefaultHandler("text/x-gone", kAll, false), "removed");
  EXPECT_FALSE(UTType::copyDefaultHandler("text/x-gone", kAll, true));
}

TEST_F(WrappersTest, AllTypeHandlersResolveInOrderAndNeverAnswerEmptyPaths) {
  install("b", "/apps/b.desktop");
  install("a", "/apps/a.desktop");
  fake->typeHandlers[{"image/png", kAll}] = {"b", "removed", "a"};
  fake->typeHandlers[{"image/gif", kAll}] = {};
  fake->typeHandlers[{"image/jpeg", kAll}] = {"removed"};
  EXPECT_EQ(UTType::copyAllHandlers("image/png", kAll, true),
            (std::vector<std::string>{"/apps/b.desktop", "/apps/a.desktop"}));
  EXPECT_EQ(UTType::copyAllHandlers("image/png", kAll, false),
            (std::vector<std::string>{"b", "removed", "a"}));
  EXPECT_EQ(UTType::copyAllHandlers("image/gif", kAll, false), std::vector<std::string>{});
  EXPECT_FALSE(UTType::copyAllHandlers("image/gif", kAll, true));
  EXPECT_FALSE(UTType::copyAllHandlers("image/jpeg", kAll, true));
  EXPECT_FALSE(UTType::copyAllHandlers("image/png", kViewer, false));
}

TEST_F(WrappersTest, TypeListKeepsItemsAndContentWithTheirViewerOrEditor) {
  install("org.gnome.TextEditor", "/apps/te.desktop");
  fake->declaredTypes =
      std::vector<std::string>{"text/plain", "inode/mount-point", "application/x-thing",
                               "image/png",  "text/x-gone",       "text/plain"};
  fake->conformances["text/plain"] = {"public.item"};
  fake->conformances["image/png"] = {"public.content"};
  fake->conformances["application/x-thing"] = {"public.item"};
  fake->conformances["text/x-gone"] = {"public.item"};
  // inode/mount-point conforms to neither, although it has a handler.
  fake->typeDefaults[{"inode/mount-point", 6}] = "org.gnome.TextEditor";
  fake->typeDefaults[{"text/plain", 6}] = "org.gnome.TextEditor";
  fake->typeDefaults[{"image/png", kAll}] = "org.gnome.TextEditor";  // other roles: ignored
  fake->typeDefaults[{"text/x-gone", 6}] = "removed";

  EXPECT_EQ(UTType::copyAllUTIs(), (std::map<std::string, std::string>{
                                       {"application/x-thing", "No application set."},
                                       {"image/png", "No application set."},
                                       {"text/plain", "/apps/te.desktop"},
                                       {"text/x-gone", "No application set."},
                                   }));
  // "public.content" is asked only when "public.item" said no.
  auto asked = [&](const std::string& call) {
    return std::count(fake->calls.begin(), fake->calls.end(), call);
  };
  EXPECT_EQ(asked("UTTypeConformsTo(text/plain, public.content)"), 0);
  EXPECT_EQ(asked("UTTypeConformsTo(image/png, public.content)"), 1);
}

TEST_F(WrappersTest, TypeListIsEmptyWithoutDeclaredTypes) {
  fake->declaredTypes.reset();
  EXPECT_TRUE(UTType::copyAllUTIs().empty());
  fake->declaredTypes = std::vector<std::string>{};
  EXPECT_TRUE(UTType::copyAllUTIs().empty());
}

}  // namespace
}  // namespace vrax::testing
