// Fuzz target of the associations that mimeinfo.cache files and lists make: the input is
// cut at NUL bytes into a MIME type to ask about, the user's mimeapps.list, a system
// applications folder's mimeapps.list and mimeinfo.cache, and the user's applications
// folder's mimeinfo.cache (an empty part is a missing file: the folder's entries are
// read instead). The applications and the MIME database are fixed. Promises: only valid
// canonical types and installed, valid desktop file IDs come out; allFor lists each ID
// once, the default first, and is empty when there is no default; an alias has the
// answers of its type; the answers do not depend on what was asked before.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTree.h"
#include "platform/Applications.h"
#include "platform/Associations.h"
#include "platform/MimeAppsList.h"
#include "platform/MimeDatabase.h"
#include "platform/XdgDirs.h"

namespace {

using fuzz::check;
using Answers = std::vector<std::pair<std::optional<std::string>, std::vector<std::string>>>;

std::string entry(std::string_view exec, std::string_view mimeTypes, bool hidden = false) {
  return "[Desktop Entry]\nType=Application\nName=App\nExec=" + std::string(exec) +
         "\nMimeType=" + std::string(mimeTypes) + (hidden ? "\nHidden=true\n" : "\n");
}

// The applications and the MIME database every input shares.
const fuzz::ScratchFolder& tree() {
  static const fuzz::ScratchFolder scratch;
  static const bool made = [] {
    scratch.write("data/applications/a.desktop", entry("/bin/true %f", "text/plain;text/x-c;"));
    scratch.write("data/applications/b.desktop", entry("true %u", "image/svg+xml;x-scheme-handler/http;"));
    scratch.write("data/applications/hidden.desktop", entry("true", "text/plain;", true));
    scratch.write("data/applications/gone.desktop", entry("/nonexistent/program", "text/plain;"));
    scratch.write("data/applications/sub/c.desktop", entry("true", "application/xml;"));
    scratch.write("sys/applications/a.desktop", entry("true", "text/x-chdr;"));
    scratch.write("sys/applications/d.desktop", entry("true", "text/plain;text/xml;"));
    scratch.write("sys/applications/hidden.desktop", entry("true", "text/plain;"));
    scratch.write("mime/types", "text/plain\ntext/x-csrc\ntext/x-chdr\napplication/xml\n"
                                "image/svg+xml\nx-scheme-handler/http\n");
    scratch.write("mime/aliases", "text/x-c text/x-csrc\ntext/xml application/xml\n");
    scratch.write("mime/subclasses", "text/x-csrc text/plain\ntext/x-chdr text/x-csrc\n"
                                     "image/svg+xml application/xml\napplication/xml text/plain\n");
    return true;
  }();
  (void)made;
  return scratch;
}

Answers ask(platform::Associations& associations, const std::vector<std::string>& types) {
  Answers answers;
  for (const auto& type : types) {
    answers.emplace_back(associations.defaultFor(type), associations.allFor(type));
  }
  return answers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto& scratch = tree();
  const auto parts =
      fuzz::splitInput(std::string_view(reinterpret_cast<const char*>(data), size), 5);
  static const char* const kFiles[] = {nullptr, "config/mimeapps.list",
                                       "sys/applications/mimeapps.list",
                                       "sys/applications/mimeinfo.cache",
                                       "data/applications/mimeinfo.cache"};
  for (std::size_t i = 1; i < parts.size(); ++i) {
    scratch.write(kFiles[i], parts[i], !parts[i].empty());
  }

  platform::XdgDirs dirs;
  dirs.home = scratch.path();
  dirs.configHome = scratch.path() + "/config";
  dirs.dataHome = scratch.path() + "/data";
  dirs.dataDirs = {scratch.path() + "/sys"};
  dirs.path = "/bin:/usr/bin";
  platform::MimeDatabase database({scratch.path() + "/mime"});
  platform::Applications applications(
      {dirs.dataHome + "/applications", scratch.path() + "/sys/applications"}, dirs.path);
  platform::Associations associations(dirs, database, applications);

  std::vector<std::string> types;
  std::set<std::string> seen;
  for (const auto& type : associations.associatedTypes()) {
    check(platform::isValidMimeType(type), "associated types are valid type names");
    check(database.canonical(type) == type, "associated types are canonical");
    check(seen.insert(type).second, "each associated type is named once");
    types.push_back(type);
  }
  for (const char* type : {"text/plain", "text/x-chdr", "image/svg+xml", "text/x-csrc"}) {
    if (seen.insert(type).second) types.emplace_back(type);
  }
  if (platform::isValidMimeType(parts[0])) types.emplace_back(parts[0]);

  const Answers answers = ask(associations, types);
  for (const auto& [preferred, all] : answers) {
    const std::set<std::string> ids(all.begin(), all.end());
    check(ids.size() == all.size(), "allFor names each application once");
    for (const auto& id : all) {
      check(platform::isValidDesktopFileId(id), "allFor names valid desktop file IDs");
      check(applications.find(id) != nullptr, "allFor names installed applications");
    }
    if (preferred) {
      check(platform::isValidDesktopFileId(*preferred), "the default is a valid desktop file ID");
      check(applications.find(*preferred) != nullptr, "the default is installed");
      check(!all.empty() && all.front() == *preferred, "the default leads allFor");
    } else {
      check(all.empty(), "a type with handlers has a default");
    }
  }
  check(ask(associations, {"text/x-c"}) == ask(associations, {"text/x-csrc"}),
        "an alias has the answers of its type");

  // The same questions in the opposite order, of a fresh reading.
  platform::Associations fresh(dirs, database, applications);
  std::vector<std::string> reversed(types.rbegin(), types.rend());
  Answers backwards = ask(fresh, reversed);
  std::reverse(backwards.begin(), backwards.end());
  check(backwards == answers, "the answers do not depend on what was asked before");
  return 0;
}
