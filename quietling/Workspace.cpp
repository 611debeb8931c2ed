#include "quietling/Workspace.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <sys/stat.h>

#include "platform/Handles.h"
#include "quietling/GLibPtr.h"

namespace quietling {

using platform::UniqueFd;

std::optional<std::string> GioWorkspace::typeOfFile(const std::string& path) {
  // A path holding a NUL byte names no file (the system would read it shorter).
  if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  const UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!file) return std::nullopt;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return std::nullopt;
  if ((status.st_mode & (S_IRUSR | S_IRGRP | S_IROTH)) == 0) return std::nullopt;

  const GObjectPtr<GFile> gfile(g_file_new_for_path(path.c_str()));
  const GObjectPtr<GFileInfo> info(g_file_query_info(gfile.get(),
                                                     G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                                     G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
  if (!info) return std::nullopt;
  const char* contentType = g_file_info_get_content_type(info.get());
  if (contentType == nullptr || *contentType == '\0') return std::nullopt;
  return std::string(contentType);
}

}  // namespace quietling
