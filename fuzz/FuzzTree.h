// A scratch folder for fuzz targets whose parsers read files: made once per process
// (in $TMPDIR, /dev/shm when it exists), removed at exit, its files rewritten for every
// input.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

class ScratchFolder final {
 public:
  ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();

  const std::string& path() const { return path_; }
  // Writes the file (its folders made as needed), replacing what it held; with
  // present false, removes it instead.
  void write(const std::string& relative, std::string_view contents, bool present = true) const;

 private:
  std::string path_;
};

// The parts of the input between NUL bytes, at most count of them (the last takes the
// rest, NUL bytes included); missing parts are empty.
std::vector<std::string_view> splitInput(std::string_view input, std::size_t count);

}  // namespace fuzz
