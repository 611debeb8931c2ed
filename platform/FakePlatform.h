// A test double of the platform: a small working registry kept in memory. It holds files
// (plain files, programs, desktop entries, bundle folders), the installed applications,
// the defaults per type, and a table of MIME types with their aliases and parents, and
// answers every operation from that state; a change made through it changes the state,
// so a test sets up a registry, runs the code under test and checks the outcome. It
// touches no real file and starts no program.
//
// Where the real platform has nothing to model, the double follows the registry the
// operations are named after: defaults are kept per role (a change for some roles leaves
// the others), and the root types "public.item" and "public.content" are ordinary types
// of the table, so a type conforms to them only when the table says so.
//
// For outcomes a real tree rarely gives, an operation can be told to fail with a status.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace platform {

class FakePlatform : public Platform {
 public:
  // A desktop entry, as the registry reads it.
  struct Entry {
    explicit Entry(std::string id = "", std::string name = "", std::vector<std::string> types = {})
        : id(std::move(id)), name(std::move(name)), types(std::move(types)) {}

    std::string id;                                   // bundle identifier; "" for none
    std::string name;                                 // untranslated Name
    std::vector<std::string> types;                   // MimeType=: types and x-scheme-handler/S
    std::string exec;                                 // Exec, as written ("edit %U")
    std::optional<std::string> packageType = "APPL";  // none: the entry has no Type
    std::string icon;                                 // an image file, or ""
  };

  // A type of the MIME table.
  struct MimeType {
    std::string name;
    std::vector<std::string> parents;
    std::vector<std::string> aliases;
  };

  // A program started by launchApplicationAtURL.
  struct Launch {
    std::string bundlePath;
    unsigned options = 0;
    std::int32_t processIdentifier = 0;
  };

  // The operations that can be told to fail.
  enum class Operation {
    copyDefaultHandler,         // both LSCopyDefault... operations: none
    copyAllHandlers,            // both LSCopyAll...Handlers... operations: none
    setDefaultHandler,          // both LSSetDefault... operations: the status
    copyApplicationURLs,        // LSCopyApplicationURLsForBundleIdentifier: none
    copyAllApplicationURLs,     // the status, and no list
    copySchemesAndHandlerURLs,  // the status, and no lists
    copyDeclaredTypes,          // none
    typeConformsTo,             // false
    locateApplication,          // URLFor... and absolutePathFor...: none
    launchApplication,          // a launch error with the status
  };

  // --- Setting up the state -----------------------------------------------------------

  // A plain file, or an executable one.
  void addFile(const std::string& path, bool executable = false);
  // A folder: a bundle without information.
  void addFolder(const std::string& path);
  // A desktop entry file that is not installed.
  void addEntry(const std::string& path, Entry entry);
  // A bundle folder holding the entry and its program: it can be launched, which
  // registers its entry with the program's path made absolute, as installing it does.
  void addBundle(const std::string& folder, Entry entry);
  // A desktop entry file, installed: known to the registry by its ID and name. It
  // replaces an installed entry with the same ID, as the user's own entry shadows a
  // system one.
  void install(const std::string& path, Entry entry);
  // Removes a file, or a folder with everything in it. The registry keeps what it read
  // (as a registry read before the removal does): an installed entry's ID is still
  // answered, but its location is not.
  void remove(const std::string& path);

  // A type of the MIME table. Aliases name the type; parents are followed transitively.
  void addType(MimeType type);

  // The user's choice for the type (or alias), for the roles; none removes it.
  void setDefault(const std::string& type, std::optional<std::string> bundleID,
                  LSRolesMask roles = kLSRolesAll);
  // The user's choice for the type and the first role of the mask that has one, as the
  // lists hold it (no fall-back to declared types or parents).
  std::optional<std::string> defaultOf(const std::string& type,
                                       LSRolesMask roles = kLSRolesAll) const;

  // The running program's bundle: a folder, with an identifier when it is hosted.
  void setMainBundle(const std::string& folder,
                     std::optional<std::string> identifier = std::nullopt);
  // The folders URLsForDirectory answers for a directory.
  void setDirectory(int directory, std::vector<std::string> folders);
  // A bundle loaded into this process (bundleWithIdentifier answers it by its ID).
  void load(const std::string& path);

  // Makes the operation fail with the status until told to succeed (a success status).
  void fail(Operation operation,
            Status status = Status::error(kLSUnknownErr, "the registry could not be read"));

  // --- Reading the state --------------------------------------------------------------

  // The programs started, in order.
  const std::vector<Launch>& launches() const { return launches_; }

  // --- Platform ------------------------------------------------------------------------

  std::optional<std::string> LSCopyDefaultHandlerForURLScheme(std::string_view scheme) override;
  std::optional<std::vector<std::string>> LSCopyAllHandlersForURLScheme(
      std::string_view scheme) override;
  std::optional<std::string> LSCopyDefaultRoleHandlerForContentType(std::string_view contentType,
                                                                    LSRolesMask roles) override;
  std::optional<std::vector<std::string>> LSCopyAllRoleHandlersForContentType(
      std::string_view contentType, LSRolesMask roles) override;
  Status LSSetDefaultHandlerForURLScheme(std::string_view scheme,
                                         std::string_view bundleID) override;
  Status LSSetDefaultRoleHandlerForContentType(std::string_view contentType, LSRolesMask roles,
                                               std::string_view bundleID) override;
  std::optional<std::vector<URL>> LSCopyApplicationURLsForBundleIdentifier(
      std::string_view bundleID) override;
  Status LSCopyAllApplicationURLs(std::optional<std::vector<URL>>& applications) override;
  Status LSCopySchemesAndHandlerURLs(std::optional<std::vector<std::string>>& schemes,
                                     std::optional<std::vector<URL>>& handlers) override;
  std::optional<std::vector<std::string>> UTCopyDeclaredTypeIdentifiers() override;
  bool UTTypeConformsTo(std::string_view contentType, std::string_view parent) override;
  std::optional<URL> URLForApplicationWithBundleIdentifier(std::string_view bundleID) override;
  std::optional<std::string> absolutePathForAppBundleWithIdentifier(
      std::string_view bundleID) override;
  std::optional<std::string> fullPathForApplication(std::string_view name) override;
  std::string iconForFile(std::string_view path) override;
  std::optional<RunningApplication> launchApplicationAtURL(const URL& url, unsigned options,
                                                           Status* error) override;
  std::optional<Bundle> bundleWithPath(std::string_view path) override;
  std::optional<Bundle> bundleWithURL(const URL& url) override;
  Bundle mainBundle() override;
  std::optional<Bundle> bundleWithIdentifier(std::string_view bundleID) override;
  bool fileExistsAtPath(std::string_view path) override;
  bool isExecutableFileAtPath(std::string_view path) override;
  std::vector<URL> URLsForDirectory(int directory, unsigned domainMask) override;

 private:
  struct File {
    enum class Kind { plain, program, entry, folder, bundle } kind = Kind::plain;
    std::optional<Entry> entry;  // entries and bundles
  };

  // The status the operation is told to fail with; none when it works.
  std::optional<Status> failure(Operation operation) const;
  // The type's name in the table (aliases and letter case resolved), or the type as
  // written, lower case; none when the text is not a type.
  std::optional<std::string> canonical(std::string_view type) const;
  // The type and its ancestors, nearest first, each once.
  std::vector<std::string> lineage(const std::string& type) const;
  struct Installed {
    std::string path;
    Entry entry;
  };
  // The installed entry with this ID (given with or without ".desktop"); null when none.
  const Installed* installed(std::string_view bundleID) const;
  // The IDs of the installed applications associated with the canonical type: those a
  // change made the default (the user's added associations), then those whose entries
  // declare it, in order; an ID may come twice.
  std::vector<std::string> declaring(const std::string& type) const;
  std::optional<std::string> defaultFor(const std::string& type, LSRolesMask roles) const;
  std::vector<std::string> allFor(const std::string& type, LSRolesMask roles) const;
  Status setDefaultChecked(std::optional<std::string> type, LSRolesMask roles,
                           std::string_view bundleID);

  std::map<std::string, File, std::less<>> files_;
  std::vector<Installed> installed_;  // the registry, in installation order
  std::vector<MimeType> types_;
  // Canonical type -> role bit -> bundle ID.
  std::map<std::string, std::map<LSRolesMask, std::string>, std::less<>> defaults_;
  // Canonical type -> the IDs a change associated with it.
  std::map<std::string, std::vector<std::string>, std::less<>> added_;
  std::string mainFolder_ = "/";
  std::optional<std::string> mainIdentifier_;
  std::map<int, std::vector<std::string>> directories_;
  std::vector<std::string> loaded_;
  std::map<Operation, Status> failures_;
  std::vector<Launch> launches_;
};

}  // namespace platform
