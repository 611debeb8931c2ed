// The test double against the real platform: the same registry set up in both (the
// same entries at the same paths, the same user's choices, the types the entries use
// with their aliases and parents) gets the same answers, before and after a change, so
// that what the tool's tests learn from the double holds for the real platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "XdgTree.h"
#include "platform/FakePlatform.h"
#include "platform/Freedesktop.h"

namespace platform {
namespace {

using testsupport::XdgTree;

struct App {
  const char* id;
  const char* name;
  const char* program;
  std::vector<std::string> types;
};

const App kApps[] = {
    {"editor", "Text Editor", "edit", {"text/plain", "text/x-csrc"}},
    {"viewer", "Viewer", "view", {"text/plain", "Image/PNG"}},
    {"browser", "Web Browser", "browse", {"x-scheme-handler/http", "x-scheme-handler/Web+X"}},
    {"mailer", "Mail", "mail", {"x-scheme-handler/mailto", "x-scheme-handler/http"}},
};

// Both platforms over one registry. The double is told the types of the shared
// MIME-info database that the entries use.
class Agreement : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const App& app : kApps) {
      std::string types;
      for (const std::string& type : app.types) types += type + ";";
      tree.program(app.program);
      tree.application(app.id, app.program, types, "Name=" + std::string(app.name) + "\n");
      FakePlatform::Entry entry(app.id, app.name, app.types);
      entry.exec = std::string(app.program) + " %U";
      fake.install(path(app.id), entry);
    }
    fake.addType({"text/plain", {}, {}});
    fake.addType({"text/x-csrc", {"text/plain"}, {"text/x-c"}});
    fake.addType({"text/x-chdr", {"text/x-csrc"}, {}});
    fake.addType({"image/png", {}, {}});
    choose("text/plain", "viewer");
    choose("x-scheme-handler/http", "mailer");
  }

  std::string path(const std::string& id) const {
    return tree.systemApplications() + "/" + id + ".desktop";
  }

  // The user's choice, in the user's list and in the double.
  void choose(const std::string& type, const std::string& id) {
    list += type + "=" + id + ".desktop\n";
    tree.write("config/mimeapps.list", "[Default Applications]\n" + list);
    fake.setDefault(type, id);
  }

  // Every answer the tool reads, of both, side by side.
  void expectSameAnswers(Freedesktop& real) {
    for (const char* type : {"text/plain", "TEXT/Plain", "text/x-csrc", "text/x-c", "image/png",
                             "image/gif", "text/x-chdr", "nonsense"}) {
      EXPECT_EQ(fake.LSCopyDefaultRoleHandlerForContentType(type, kLSRolesAll),
                real.LSCopyDefaultRoleHandlerForContentType(type, kLSRolesAll))
          << "default of " << type;
      EXPECT_EQ(fake.LSCopyAllRoleHandlersForContentType(type, kLSRolesAll),
                real.LSCopyAllRoleHandlersForContentType(type, kLSRolesAll))
          << "handlers of " << type;
    }
    for (const char* scheme : {"http", "HTTP", "mailto", "web+x", "gopher", "", "a b"}) {
      EXPECT_EQ(fake.LSCopyDefaultHandlerForURLScheme(scheme),
                real.LSCopyDefaultHandlerForURLScheme(scheme))
          << "default of " << scheme;
      EXPECT_EQ(fake.LSCopyAllHandlersForURLScheme(scheme),
                real.LSCopyAllHandlersForURLScheme(scheme))
          << "handlers of " << scheme;
    }
    for (const char* id : {"editor", "editor.desktop", "missing", ""}) {
      EXPECT_EQ(fake.LSCopyApplicationURLsForBundleIdentifier(id),
                real.LSCopyApplicationURLsForBundleIdentifier(id))
          << id;
      EXPECT_EQ(fake.absolutePathForAppBundleWithIdentifier(id),
                real.absolutePathForAppBundleWithIdentifier(id))
          << id;
    }
    for (const App& app : kApps) {
      const auto fakeBundle = fake.bundleWithPath(path(app.id));
      const auto realBundle = real.bundleWithPath(path(app.id));
      ASSERT_TRUE(fakeBundle && realBundle && fakeBundle->infoDictionary &&
                  realBundle->infoDictionary);
      EXPECT_EQ(fakeBundle->bundleIdentifier, realBundle->bundleIdentifier);
      for (const char* key : {"CFBundleIdentifier", "CFBundlePackageType", "Type", "Name"}) {
        EXPECT_EQ(fakeBundle->infoDictionary->at(key), realBundle->infoDictionary->at(key)) << key;
      }
    }
    EXPECT_EQ(fake.bundleWithPath(path("missing")), std::nullopt);
    EXPECT_EQ(real.bundleWithPath(path("missing")), std::nullopt);
    for (const char* name : {"Text Editor", "text editor", "view", "Missing", ""}) {
      EXPECT_EQ(fake.fullPathForApplication(name), real.fullPathForApplication(name)) << name;
    }
    std::optional<std::vector<std::string>> fakeSchemes;
    std::optional<std::vector<std::string>> realSchemes;
    std::optional<std::vector<URL>> fakeHandlers;
    std::optional<std::vector<URL>> realHandlers;
    EXPECT_EQ(fake.LSCopySchemesAndHandlerURLs(fakeSchemes, fakeHandlers).code(),
              real.LSCopySchemesAndHandlerURLs(realSchemes, realHandlers).code());
    EXPECT_EQ(fakeSchemes, realSchemes);
    EXPECT_EQ(fakeHandlers, realHandlers);
    std::optional<std::vector<URL>> fakeApps;
    std::optional<std::vector<URL>> realApps;
    fake.LSCopyAllApplicationURLs(fakeApps);
    real.LSCopyAllApplicationURLs(realApps);
    ASSERT_TRUE(fakeApps && realApps);
    // The real platform lists by path; the double in order of installation, which here
    // is the same set.
    std::sort(fakeApps->begin(), fakeApps->end(),
              [](const URL& a, const URL& b) { return a.path() < b.path(); });
    std::sort(realApps->begin(), realApps->end(),
              [](const URL& a, const URL& b) { return a.path() < b.path(); });
    EXPECT_EQ(fakeApps, realApps);
  }

  XdgTree tree;
  FakePlatform fake;
  std::string list;
};

TEST_F(Agreement, SameRegistrySameAnswers) {
  Freedesktop real;
  expectSameAnswers(real);
}

TEST_F(Agreement, SameChangesSameAnswers) {
  Freedesktop real;
  const struct {
    const char* type;  // a content type, or "scheme:NAME"
    const char* id;
  } changes[] = {{"text/x-c", "viewer"},
                 {"TEXT/PLAIN", "editor"},
                 {"scheme:HTTP", "browser.desktop"},
                 {"scheme:web+x", "mailer"}};
  for (const auto& change : changes) {
    const std::string type = change.type;
    if (type.starts_with("scheme:")) {
      EXPECT_EQ(fake.LSSetDefaultHandlerForURLScheme(type.substr(7), change.id).code(),
                real.LSSetDefaultHandlerForURLScheme(type.substr(7), change.id).code())
          << type;
    } else {
      EXPECT_EQ(fake.LSSetDefaultRoleHandlerForContentType(type, kLSRolesAll, change.id).code(),
                real.LSSetDefaultRoleHandlerForContentType(type, kLSRolesAll, change.id).code())
          << type;
    }
    SCOPED_TRACE(type);
    expectSameAnswers(real);
  }
}

}  // namespace
}  // namespace platform
