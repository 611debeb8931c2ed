// Replays fuzz inputs through a fuzz target's entry point (LLVMFuzzerTestOneInput)
// without libFuzzer: every regular file in the folders (or the files) named on the
// command line; a folder that does not exist holds none. Ends with status 0 when all of
// them ran; a broken promise aborts.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void replay(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path(argv[i]);
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (!entry.is_regular_file() || entry.path().filename().string().starts_with(".")) continue;
        replay(entry.path());
        ++replayed;
      }
    } else if (std::filesystem::is_regular_file(path, error)) {
      replay(path);
      ++replayed;
    } else if (std::filesystem::exists(path, error)) {
      std::fprintf(stderr, "cannot read %s\n", argv[i]);
      return 1;
    }
  }
  std::printf("replayed %zu inputs\n", replayed);
  return 0;
}
