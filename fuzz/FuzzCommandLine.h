// The fuzz entry point: arbitrary bytes as one command line, through tokenising,
// routing (with aliases, one of which contains its own word), option parsing against a
// command with required, conflicting and keyed options, and positional binding. It
// aborts when a stage breaks one of its promises; each token must end up with exactly
// the classification the stages owe it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

void fuzzCommandLine(const std::uint8_t* data, std::size_t size);

}  // namespace fuzz
