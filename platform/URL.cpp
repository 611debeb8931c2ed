// URL parsing as strict as a real URL parser: only the characters a URL may hold,
// a well-formed scheme, complete percent escapes. The path is percent-decoded.
#include <algorithm>

#include "platform/Platform.h"
#include "platform/Text.h"

namespace platform {
namespace {

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

// Characters allowed unescaped anywhere in a URL (RFC 3986 reserved and unreserved
// characters, plus '%' which must start an escape).
bool isURLCharacter(char c) {
  if (isAlpha(c) || isDigit(c)) return true;
  static constexpr std::string_view kAllowed = "-._~:/?#[]@!$&'()*+,;=%";
  return kAllowed.find(c) != std::string_view::npos;
}

bool isUnreservedInPath(char c) {
  if (isAlpha(c) || isDigit(c)) return true;
  static constexpr std::string_view kAllowed = "-._~/!$&'()*+,;=:@";
  return kAllowed.find(c) != std::string_view::npos;
}

std::string percentEncodePath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : path) {
    if (isUnreservedInPath(c)) {
      out += c;
    } else {
      const auto u = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    }
  }
  return out;
}

std::optional<std::string> percentDecode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    if (!isHex(text[i + 1]) || !isHex(text[i + 2])) return std::nullopt;
    const char decoded = static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
    if (decoded == '\0') return std::nullopt;
    out += decoded;
    i += 2;
  }
  return out;
}

}  // namespace

std::optional<URL> URL::parse(std::string_view text) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), isURLCharacter)) return std::nullopt;
  URL url;
  url.text_ = std::string(text);

  std::string_view rest = text;
  const std::size_t colon = text.find(':');
  const std::size_t firstDelimiter = text.find_first_of("/?#");
  if (colon != std::string_view::npos &&
      (firstDelimiter == std::string_view::npos || colon < firstDelimiter)) {
    const std::string_view scheme = text.substr(0, colon);
    if (scheme.empty() || !isAlpha(scheme.front()) ||
        !std::all_of(scheme.begin(), scheme.end(), [](char c) {
          return isAlpha(c) || isDigit(c) || c == '+' || c == '-' || c == '.';
        })) {
      return std::nullopt;
    }
    url.scheme_ = lowercase(scheme);
    rest = text.substr(colon + 1);
  }
  // Only the fragment may hold '#'; brackets only an authority's IP literal.
  const std::size_t hash = rest.find('#');
  if (hash != std::string_view::npos && rest.find('#', hash + 1) != std::string_view::npos) {
    return std::nullopt;
  }
  std::string_view beforeFragment = rest.substr(0, hash);
  std::string_view path = beforeFragment.substr(0, beforeFragment.find('?'));
  if (path.starts_with("//")) {
    const std::size_t slash = path.find('/', 2);
    const std::string_view authority =
        path.substr(2, slash == std::string_view::npos ? std::string_view::npos : slash - 2);
    if (authority.find_first_of("[]") != std::string_view::npos &&
        !(authority.starts_with('[') && authority.find(']') != std::string_view::npos)) {
      return std::nullopt;
    }
    url.host_ = lowercase(authority);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash);
  }
  if (path.find_first_of("[]") != std::string_view::npos) return std::nullopt;
  if (url.scheme_.empty() && path.substr(0, path.find('/')).find(':') != std::string_view::npos) {
    return std::nullopt;
  }
  // Every escape must be complete, even outside the path.
  if (!percentDecode(rest)) return std::nullopt;
  const auto decoded = percentDecode(path);
  if (!decoded) return std::nullopt;
  url.path_ = *decoded;
  return url;
}

URL URL::fileURLWithPath(std::string_view path) {
  URL url;
  url.scheme_ = "file";
  url.path_ = std::string(path);
  url.text_ = "file://" + percentEncodePath(path);
  return url;
}

URL URL::appendingPathComponent(std::string_view component) const {
  std::string path = path_;
  if (path.empty() || path.back() != '/') path += '/';
  path += component;
  if (isFileURL()) return fileURLWithPath(path);
  URL url = *this;
  const std::size_t end = text_.find_first_of("?#");
  std::string head = text_.substr(0, end);
  if (head.empty() || head.back() != '/') head += '/';
  head += percentEncodePath(component);
  url.text_ = head + (end == std::string::npos ? std::string() : text_.substr(end));
  url.path_ = path;
  return url;
}

}  // namespace platform
