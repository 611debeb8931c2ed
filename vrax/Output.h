// Standard output for the tool's results. A result is written whole, with one write
// where the system takes it at once, after anything the framework buffered before it,
// so a reader never sees part of a result and lines never interleave out of order.
#pragma once

#include <string_view>

namespace vrax {

// Writes the text to standard output; answers false when the write failed.
bool writeStandardOutput(std::string_view text);

}  // namespace vrax
