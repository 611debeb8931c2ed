#include "platform/DesktopExec.h"

namespace platform {
namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\n'; }

}  // namespace

std::optional<std::vector<std::string>> parseExec(std::string_view value) {
  std::vector<std::string> argv;
  std::string word;
  bool inWord = false;
  std::size_t i = 0;
  while (i < value.size()) {
    const char c = value[i];
    if (isSeparator(c)) {
      if (inWord) argv.push_back(std::move(word));
      word.clear();
      inWord = false;
      ++i;
    } else if (c == '#' && !inWord) {
      // A comment runs to the end of the line.
      while (i < value.size() && value[i] != '\n') ++i;
    } else if (c == '"') {
      inWord = true;
      ++i;
      for (;;) {
        if (i >= value.size()) return std::nullopt;
        const char d = value[i];
        if (d == '"') {
          ++i;
          break;
        }
        if (d == '\\' && i + 1 < value.size()) {
          const char e = value[i + 1];
          if (e == '"' || e == '`' || e == '$' || e == '\\') {
            word += e;
            i += 2;
            continue;
          }
          if (e == '\n') {
            i += 2;
            continue;
          }
        }
        word += d;
        ++i;
      }
    } else if (c == '\'') {
      inWord = true;
      const std::size_t close = value.find('\'', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      word.append(value.substr(i + 1, close - i - 1));
      i = close + 1;
    } else if (c == '\\') {
      if (i + 1 >= value.size()) return std::nullopt;
      if (value[i + 1] != '\n') {
        word += value[i + 1];
        inWord = true;
      }
      i += 2;
    } else {
      word += c;
      inWord = true;
      ++i;
    }
  }
  if (inWord) argv.push_back(std::move(word));
  if (argv.empty()) return std::nullopt;
  return argv;
}

std::string quoteExecArgument(std::string_view argument) {
  constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  constexpr std::string_view kEscaped = "\"`$\\";
  if (!argument.empty() && argument.find_first_of(kReserved) == std::string_view::npos) {
    return std::string(argument);
  }
  std::string quoted = "\"";
  for (const char c : argument) {
    if (kEscaped.find(c) != std::string_view::npos) quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

}  // namespace platform
