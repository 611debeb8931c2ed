// Content-type handlers: queries and the list of every declared type with its handler.
#include <utility>

#include "vrax/LSWrappers.h"

namespace vrax {

namespace {

// Roles the type list asks for: viewer and editor.
constexpr LSRolesMask kListRoles = platform::kLSRolesViewer | platform::kLSRolesEditor;

}  // namespace

std::optional<std::string> LSWrappers::UTType::copyDefaultHandler(std::string_view contentType,
                                                                  LSRolesMask roles, bool asPath) {
  auto bundleID = services().LSCopyDefaultRoleHandlerForContentType(contentType, roles);
  if (!bundleID || !asPath) return bundleID;
  return applicationPath(*bundleID);
}

std::optional<std::vector<std::string>> LSWrappers::UTType::copyAllHandlers(
    std::string_view contentType, LSRolesMask roles, bool asPath) {
  auto bundleIDs = services().LSCopyAllRoleHandlersForContentType(contentType, roles);
  if (!bundleIDs || !asPath) return bundleIDs;
  return applicationPaths(*bundleIDs);
}

std::map<std::string, std::string> LSWrappers::UTType::copyAllUTIs() {
  auto& system = services();
  std::map<std::string, std::string> result;
  auto declared = system.UTCopyDeclaredTypeIdentifiers();
  if (!declared) return result;
  for (auto& type : *declared) {
    if (!system.UTTypeConformsTo(type, "public.item") &&
        !system.UTTypeConformsTo(type, "public.content")) {
      continue;
    }
    std::string value(kNoApplication);
    if (auto bundleID = system.LSCopyDefaultRoleHandlerForContentType(type, kListRoles)) {
      if (auto path = applicationPath(*bundleID)) value = std::move(*path);
    }
    result.insert_or_assign(std::move(type), std::move(value));
  }
  return result;
}

}  // namespace vrax
