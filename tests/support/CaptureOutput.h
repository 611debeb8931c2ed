// Runs a piece of code in this process with standard output and standard error captured,
// so tests can compare what it printed byte for byte.
#pragma once

#include <functional>
#include <string>

namespace testsupport {

struct Captured {
  int status = 0;
  std::string out;
  std::string err;
};

// Runs `body` with file descriptors 1 and 2 redirected to temporary files and returns
// its result and what it wrote on each.
Captured captureOutput(const std::function<int()>& body);

}  // namespace testsupport
