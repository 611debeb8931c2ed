// URL-scheme handlers: queries, the change of a scheme's default handler, and the list
// of every known scheme.
#include <utility>

#include "vrax/LSWrappers.h"

namespace vrax {

namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool LSWrappers::Schemes::isValidScheme(std::string_view scheme) {
  if (scheme.size() < 2 || !isAsciiLetter(scheme.front())) return false;
  for (char c : scheme.substr(1)) {
    if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != '.' && c != '+' && c != '-') return false;
  }
  return true;
}

std::optional<std::string> LSWrappers::Schemes::copyDefaultHandler(std::string_view scheme,
                                                                   bool asPath) {
  auto bundleID = services().LSCopyDefaultHandlerForURLScheme(scheme);
  if (!bundleID || !asPath) return bundleID;
  return applicationPath(*bundleID);
}

std::optional<std::vector<std::string>> LSWrappers::Schemes::copyAllHandlers(
    std::string_view scheme, bool asPath) {
  auto bundleIDs = services().LSCopyAllHandlersForURLScheme(scheme);
  if (!bundleIDs || !asPath) return bundleIDs;
  return applicationPaths(*bundleIDs);
}

Status LSWrappers::Schemes::setDefaultHandler(std::string_view scheme, std::string_view bundleID) {
  if (!isValidScheme(scheme)) return LSErrors(LSErrors::invalidScheme).status();
  if (Status status = ensureRegistered(bundleID); !status.ok()) {
    return status.withCode(LSErrors::appNotFound);
  }
  return services().LSSetDefaultHandlerForURLScheme(scheme, bundleID);
}

std::optional<std::map<std::string, std::string>> LSWrappers::Schemes::copySchemesAndHandlers() {
  std::optional<std::vector<std::string>> schemes;
  std::optional<std::vector<platform::URL>> handlers;
  if (!services().LSCopySchemesAndHandlerURLs(schemes, handlers).ok()) {
    return std::nullopt;
  }
  if (!handlers || !schemes) return std::nullopt;
  // The lists pair up by position; lists of different lengths cannot be paired
  // reliably, so they count as a failure rather than a list with wrong handlers.
  if (handlers->size() != schemes->size()) return std::nullopt;
  std::map<std::string, std::string> result;
  for (std::size_t i = 0; i < schemes->size(); ++i) {
    result.insert_or_assign(std::move((*schemes)[i]), (*handlers)[i].path());
  }
  return result;
}

}  // namespace vrax
