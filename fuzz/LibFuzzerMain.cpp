// libFuzzer's entry into the command-line fuzz target.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzCommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::fuzzCommandLine(data, size);
  return 0;
}
