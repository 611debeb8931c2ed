#include "fuzz/FuzzTree.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "fuzz/FuzzCheck.h"

namespace fuzz {

ScratchFolder::ScratchFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string root = base != nullptr && *base == '/' ? base : "/tmp";
  struct stat info {};
  if (base == nullptr && ::stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode)) {
    root = "/dev/shm";
  }
  std::string name = root + "/vrax-fuzz-XXXXXX";
  check(::mkdtemp(name.data()) != nullptr, "a scratch folder can be made");
  path_ = name;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void ScratchFolder::write(const std::string& relative, std::string_view contents,
                          bool present) const {
  const std::filesystem::path file = path_ + "/" + relative;
  if (!present) {
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    return;
  }
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  check(out.good(), "a scratch file can be written");
}

std::vector<std::string_view> splitInput(std::string_view input, std::size_t count) {
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < count) {
    const std::size_t end = input.find('\0');
    if (end == std::string_view::npos) break;
    parts.push_back(input.substr(0, end));
    input.remove_prefix(end + 1);
  }
  parts.push_back(input);
  parts.resize(count);
  return parts;
}

}  // namespace fuzz
