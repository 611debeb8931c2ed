// Owners of the system handles this layer opens: a file descriptor and an open folder
// (DIR*), each closed exactly once when its owner goes, on every path out of a function.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <utility>

namespace platform {

class UniqueFd final {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(std::exchange(other.fd_, -1));
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  // Closes now, answering whether close succeeded (a failed close can lose data).
  bool close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

class UniqueDir final {
 public:
  explicit UniqueDir(DIR* dir = nullptr) : dir_(dir) {}
  UniqueDir(const UniqueDir&) = delete;
  UniqueDir& operator=(const UniqueDir&) = delete;
  ~UniqueDir() {
    if (dir_ != nullptr) ::closedir(dir_);
  }

  DIR* get() const { return dir_; }
  explicit operator bool() const { return dir_ != nullptr; }

 private:
  DIR* dir_;
};

}  // namespace platform
