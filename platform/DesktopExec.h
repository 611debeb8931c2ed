// The Exec key of a desktop entry: splitting its value into a program and arguments,
// and quoting an argument so that it survives that splitting.
//
// The value handed in is the key's string value, already unescaped as the key-file
// format requires (a "\\" in the file is one backslash here). Splitting follows the
// desktop entry standard's quoting (double quotes, inside which a backslash escapes
// '"', '`', '$' and '\\'), accepting as well the shell-like forms that common readers
// of desktop entries accept (single quotes, a backslash outside quotes, a '#' comment
// at the start of a word), so that a program they can find is found here too.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The value split into argv, field codes ("%u", "%%") left in place; none when it is
// malformed (an unterminated quote or a trailing backslash) or holds no word.
std::optional<std::vector<std::string>> parseExec(std::string_view value);

// One argument as it must be written in an Exec value: unchanged when it needs no
// quoting, otherwise in double quotes with '"', '`', '$' and '\\' escaped. A '%' is
// left alone (write "%%" for a literal percent sign); the empty argument is "\"\"".
std::string quoteExecArgument(std::string_view argument);

}  // namespace platform
