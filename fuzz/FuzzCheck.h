// What the fuzz targets share: a promise that aborts the run when it does not hold, so
// that libFuzzer keeps the input and the replay of kept inputs fails loudly.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void check(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

}  // namespace fuzz
