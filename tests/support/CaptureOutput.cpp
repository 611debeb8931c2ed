#include "CaptureOutput.h"

#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace testsupport {
namespace {

// Redirects one file descriptor to a temporary file for its lifetime.
class Redirect final {
 public:
  explicit Redirect(int fd) : fd_(fd), file_(std::tmpfile()), saved_(::dup(fd)) {
    if (file_ == nullptr || saved_ < 0 || ::dup2(::fileno(file_), fd_) < 0) {
      throw std::runtime_error("cannot redirect output");
    }
  }
  Redirect(const Redirect&) = delete;
  Redirect& operator=(const Redirect&) = delete;
  ~Redirect() {
    restore();
    std::fclose(file_);
  }

  // Ends the redirection and answers what was written.
  std::string finish() {
    restore();
    std::string text;
    std::rewind(file_);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file_)) > 0;)
      text.append(buffer, n);
    return text;
  }

 private:
  void restore() {
    if (saved_ < 0) return;
    std::fflush(stdout);
    ::dup2(saved_, fd_);
    ::close(saved_);
    saved_ = -1;
  }

  int fd_;
  std::FILE* file_;
  int saved_;
};

}  // namespace

Captured captureOutput(const std::function<int()>& body) {
  std::fflush(stdout);
  Captured captured;
  Redirect out(STDOUT_FILENO);
  Redirect err(STDERR_FILENO);
  captured.status = body();
  captured.out = out.finish();
  captured.err = err.finish();
  return captured;
}

}  // namespace testsupport
