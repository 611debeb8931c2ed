// Fuzz target of the Exec key: any value splits or is refused without harm, and any
// list of arguments (the input cut at NUL bytes), each quoted for Exec, written into a
// desktop entry's value and read back, splits into exactly those arguments again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "platform/DesktopExec.h"
#include "platform/MimeAppsList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using fuzz::check;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto argv = platform::parseExec(text)) check(!argv->empty(), "a split value has words");

  std::vector<std::string> arguments;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\0', start);
    arguments.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  std::string value;
  for (const auto& argument : arguments) {
    if (!value.empty()) value += ' ';
    value += platform::quoteExecArgument(argument);
  }
  const std::string written = platform::escapeKeyFileValue(value);
  check(written.find('\n') == std::string::npos, "an escaped value stays on its line");
  check(platform::unescapeKeyFileValue(written) == value, "an escaped value reads back");
  const auto back = platform::parseExec(value);
  check(back.has_value() && *back == arguments, "quoted arguments split back into themselves");
  return 0;
}
