// Fuzz target of URLs: whatever parses holds only the characters a URL may hold and
// keeps its text; a file URL made from a path (the input, made absolute) parses back to
// that path; a component appended to it is the last component of the path.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "platform/Platform.h"

namespace {

bool isSchemeCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using fuzz::check;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto url = platform::URL::parse(text)) {
    check(url->absoluteString() == text, "a URL keeps its text");
    for (const char c : text) {
      const auto u = static_cast<unsigned char>(c);
      check(u > 0x20 && u < 0x7F, "a URL holds no white space, control or non-ASCII byte");
    }
    const std::string& scheme = url->scheme();
    if (!scheme.empty()) {
      check(scheme.front() >= 'a' && scheme.front() <= 'z', "a scheme starts with a letter");
      for (const char c : scheme) check(isSchemeCharacter(c), "a scheme is lower-case scheme text");
    }
    check(url->path().find('\0') == std::string::npos, "a path holds no NUL");
  }

  if (text.find('\0') != std::string_view::npos) return 0;
  const std::string path = text.starts_with('/') ? std::string(text) : "/" + std::string(text);
  const auto file = platform::URL::fileURLWithPath(path);
  check(file.path() == path && file.isFileURL(), "a file URL holds its path");
  const auto parsed = platform::URL::parse(file.absoluteString());
  check(parsed.has_value(), "a file URL parses");
  check(parsed->isFileURL() && parsed->path() == path, "a file URL parses back to its path");
  const auto child = file.appendingPathComponent("x y%");
  check(child.path() == (path.ends_with('/') ? path : path + "/") + "x y%",
        "an appended component ends the path");
  const auto reparsed = platform::URL::parse(child.absoluteString());
  check(reparsed.has_value() && reparsed->path() == child.path(), "an appended URL parses back");
  return 0;
}
