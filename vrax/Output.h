// Standard output for the tool's results. A result is written whole, with one write
// where the system takes it at once, after anything the framework buffered before it,
// so a reader never sees part of a result and lines never interleave out of order.
#pragma once

#include <string_view>

namespace vrax {

// Writes the text to standard output. A result that cannot be written is a failure, not
// a success with nothing to show: throws std::system_error (the framework reports it and
// the run ends with status 1).
void writeStandardOutput(std::string_view text);
// Writes the text to standard error, whole; a failure to write it is ignored (there is
// nowhere left to report it).
void writeStandardError(std::string_view text);

}  // namespace vrax
