// Small helpers shared by the tests of every subsystem: reading and writing whole files,
// splitting texts, a temporary folder, and a picture of a folder's contents.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::string& path);
// Replaces the file's content, creating its folders; throws when it cannot be written.
void writeFile(const std::string& path, std::string_view content);
// The permission bits of a file (0 when it does not exist).
unsigned modeOf(const std::string& path);

// The lines of a text, without their line feeds; a final line feed ends the last line.
std::vector<std::string> lines(std::string_view text);
// The values of a list value such as "a;b;" (empty items skipped).
std::vector<std::string> splitList(std::string_view value, char separator = ';');
// The text with ASCII letters in lower case.
std::string lowerCase(std::string_view text);
// The text in single quotes for /bin/sh.
std::string shellQuote(std::string_view text);

// A folder under the system's temporary folder, removed with everything in it (folders a
// test closed to everyone included) when the object goes.
class TempDir final {
 public:
  explicit TempDir(std::string_view label = "vrax-test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Every file, folder and link under a folder, with contents and link targets.
std::map<std::string, std::string> snapshot(const std::string& folder);

}  // namespace testsupport
