#include "vrax/HandlerOptions.h"

#include <array>
#include <string_view>

namespace vrax {

namespace {

struct SchemeFlag {
  std::vector<std::string> names;
  std::string_view subject;  // completes "Returns the default " / "Changes the default "
  std::string_view kind;
};

const std::array<SchemeFlag, 5>& schemeFlags() {
  static const std::array<SchemeFlag, 5> flags{{
      {{"--internet", "--browser", "--web"}, "web browser.", "http"},
      {{"--mail", "--email", "--e-mail"}, "e-mail client.", "mailto"},
      {{"--ftp"}, "FTP client.", "ftp"},
      {{"--rss"}, "RSS client.", "rss"},
      {{"--news"}, "news client.", "news"},
  }};
  return flags;
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

void addTypeOptions(cmdkit::OptionRegistry& options, HandlerVerb verb,
                    std::optional<std::string>& contentType, std::string& kind) {
  const std::string keyUsage = verb == HandlerVerb::returns
                                   ? "Return the default application for <subtype>"
                                   : "Change the default application for <subtype>";
  const std::string flagPrefix =
      verb == HandlerVerb::returns ? "Returns the default " : "Changes the default ";
  for (std::string key : {"UTI", "URL"}) {
    options.addKeys({"--" + key}, keyUsage, "subtype", "type",
                    [&contentType, &kind, key](const std::string& value) {
                      contentType = value;
                      kind = key;
                    });
  }
  for (const auto& flag : schemeFlags()) {
    options.addFlags(flag.names, flagPrefix + std::string(flag.subject), "type",
                     [&contentType, &kind, scheme = std::string(flag.kind)] {
                       contentType.reset();
                       kind = scheme;
                     });
  }
}

bool isBuiltInScheme(const std::string& kind) {
  for (const auto& flag : schemeFlags()) {
    if (kind == flag.kind) return true;
  }
  return false;
}

const std::map<std::string, platform::LSRolesMask>& roleNameTable() {
  static const std::map<std::string, platform::LSRolesMask> table{
      {"editor", platform::kLSRolesEditor},
      {"viewer", platform::kLSRolesViewer},
      {"shell", platform::kLSRolesShell},
      {"all", platform::kLSRolesAll},
  };
  return table;
}

platform::LSRolesMask roleBits(const std::map<std::string, platform::LSRolesMask>& roles,
                               const std::string& name, platform::LSRolesMask fallback) {
  std::string lower = name;
  for (char& c : lower) c = asciiLower(c);
  auto it = roles.find(lower);
  return it == roles.end() ? fallback : it->second;
}

}  // namespace vrax
