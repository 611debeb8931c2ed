// The texts the tool prints for help, usage and misuse, built the way a reader of its
// option tables would lay them out: descriptions in column 40, groups in their order.
#pragma once

#include <string>

namespace vrax::testing {

inline std::string column(const std::string& names, const std::string& description) {
  return names + std::string(names.size() < 40 ? 40 - names.size() : 0, ' ') + description + "\n";
}

inline std::string helpListing(bool withDescription) {
  std::string text;
  if (withDescription)
    text += "Utility to retrieve and manipulate default applications in macOS.\n\n";
  text += "Available commands: \n";
  text += "- " + column("getHandler",
                        "Returns the default application registered for the URI Scheme or "
                        "<subtype> you specify.");
  text += "- " + column("getApps", "Returns a list of all registered applications.");
  text += "- " + column("getSchemes",
                        "Returns a list of all known URI schemes, accompanied by their default "
                        "handler.");
  text += "- " + column("getUTIs", "Returns a list of all known UTIs, and their default handler.");
  text += "- " + column("setHandler",
                        "Sets <application> as the default handler for a given <type>/<subtype> "
                        "combination.");
  text += "- " + column("help", "Prints this help information");
  text += "- " + column("version", "Prints the current version of this app");
  return text;
}

inline const std::string kRoleUsageText =
    "--role <Viewer|Editor|Shell|All>, specifies the role with which to register the handler. "
    "Default is All.";

// The type group's lines; verb is "Return"/"Change", flagVerb "Returns"/"Changes".
inline std::string typeLines(const std::string& verb, const std::string& flagVerb) {
  return column("--URL <subtype>", verb + " the default application for <subtype>") +
         column("--UTI <subtype>", verb + " the default application for <subtype>") +
         column("--ftp", flagVerb + " the default FTP client.") +
         column("--internet, --browser, --web", flagVerb + " the default web browser.") +
         column("--mail, --email, --e-mail", flagVerb + " the default e-mail client.") +
         column("--news", flagVerb + " the default news client.") +
         column("--rss", flagVerb + " the default RSS client.");
}

// The usage statements as makeUsageStatement returns them (ending in a line break).
inline std::string getHandlerUsage() {
  return "Usage: vrax getHandler <type> [options]\n\n<type>\n" + typeLines("Return", "Returns") +
         "\n[options]\n" +
         column("--all",
                "When this flag is added, a list of all applications registered for that "
                "content will printed.") +
         column("--role <role>", kRoleUsageText) +
         column("-h, --help", "Show help information for this command");
}

inline std::string setHandlerUsage() {
  return "Usage: vrax setHandler <application> <type> [options]\n\n<application>\n" +
         column("--app, --application <application>",
                "The <application> to register as default handler. Specifying \"None\" will "
                "remove the currently registered handler.") +
         "\n<type>\n" + typeLines("Change", "Changes") + "\n[options]\n" +
         column("--role <role>", kRoleUsageText) +
         column("-h, --help", "Show help information for this command");
}

inline const std::string kTypeNames =
    "--UTI, --URL, --internet, --browser, --web, --mail, --email, --e-mail, --ftp, --rss, --news";

}  // namespace vrax::testing
