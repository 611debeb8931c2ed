// What getHandler and setHandler declare alike: the options of the "type" group (a
// scheme or content type given by value, or one of five built-in schemes chosen by a
// flag) and the table of role names.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "cmdkit/OptionRegistry.h"
#include "platform/Platform.h"

namespace vrax {

// Which wording the type options' usage texts take.
enum class HandlerVerb { returns, changes };

// Declares --UTI, --URL and the five scheme flags in the group "type", which must exist.
// Their actions store into contentType and kind, which must outlive the registry:
// --UTI/--URL set contentType to the value and kind to "UTI"/"URL"; a scheme flag clears
// contentType and sets kind to the scheme ("http", "mailto", "ftp", "rss", "news").
void addTypeOptions(cmdkit::OptionRegistry& options, HandlerVerb verb,
                    std::optional<std::string>& contentType, std::string& kind);

// Whether kind is one of the five built-in schemes.
bool isBuiltInScheme(const std::string& kind);

// Lower-case role name -> role bits: "editor", "viewer", "shell", "all".
const std::map<std::string, platform::LSRolesMask>& roleNameTable();
// The bits of a role name in any letter case, looked up in roles; fallback otherwise.
platform::LSRolesMask roleBits(const std::map<std::string, platform::LSRolesMask>& roles,
                               const std::string& name, platform::LSRolesMask fallback);

// The usage text of --role, which both commands share.
inline constexpr std::string_view kRoleUsage =
    "--role <Viewer|Editor|Shell|All>, specifies the role with which to register the handler. "
    "Default is All.";

}  // namespace vrax
