// The desktop's knowledge of files that the placeholder asks for: the type of a file.
// GioWorkspace answers with GIO's content-type detection, which reads the shared
// MIME-info database (file name patterns first, the file's first bytes where the
// name is not conclusive).
#pragma once

#include <optional>
#include <string>

namespace quietling {

class Workspace {
 public:
  virtual ~Workspace() = default;
  // The MIME type of the file at the path; none when it cannot be read or typed (the
  // empty path, and a path holding a NUL byte, name no file).
  virtual std::optional<std::string> typeOfFile(const std::string& path) = 0;
};

class GioWorkspace final : public Workspace {
 public:
  // A file counts as unreadable when opening it for reading fails, and also when its
  // permissions grant reading to nobody: a privileged process that could read it anyway
  // does not type a file its owner has closed to everyone.
  std::optional<std::string> typeOfFile(const std::string& path) override;
};

}  // namespace quietling
