// The outcome of a platform operation that can fail. A Status is success, or a failure
// with a code (the one the tool reports) and the reason: a sentence saying what was
// refused and why, naming the file and, where there is one, the line it concerns.
//
// Every fallible operation of the platform layer reports through this one type, so the
// layer that shows a failure to the user can say which file and why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace platform {

class Status final {
 public:
  using Code = std::int32_t;

  // Success.
  Status() = default;
  static Status success() { return Status(); }
  // A failure with a non-zero code; the reason may be empty when the code says it all.
  static Status error(Code code, std::string reason = {});
  // A failure concerning a file; line is 0 when it concerns the whole file.
  static Status fileError(Code code, std::string path, std::string reason, std::size_t line = 0);

  bool ok() const { return code_ == 0; }
  Code code() const { return code_; }
  const std::string& reason() const { return reason_; }
  const std::string& path() const { return path_; }
  std::size_t line() const { return line_; }
  // "PATH:LINE: reason", "PATH: reason" or "reason"; "" for success. Always one line:
  // control characters (from a path or a text the reason quotes) are shown escaped.
  std::string toString() const;
  // The same failure under another code (a caller mapping a layer's code to its own).
  Status withCode(Code code) const;

 private:
  Code code_ = 0;
  std::string reason_;
  std::string path_;
  std::size_t line_ = 0;
};

// Codes. The first group are the registry's own; the second are the reasons a change is
// refused (every file left untouched).
inline constexpr Status::Code kStatusOK = 0;
inline constexpr Status::Code kLSUnknownErr = -10810;
inline constexpr Status::Code kLSNotAnApplicationErr = -10811;
inline constexpr Status::Code kLSApplicationNotFoundErr = -10814;
inline constexpr Status::Code kLSServerCommunicationErr = -10822;

inline constexpr Status::Code kStatusInvalidArgument = -50;   // not a MIME type or desktop file ID
inline constexpr Status::Code kStatusPermissionDenied = -54;  // file or folder not writable
inline constexpr Status::Code kStatusIOError = -36;           // reading, writing or locking failed
inline constexpr Status::Code kStatusNotEditable =
    kLSUnknownErr;  // a file it cannot edit without loss

}  // namespace platform
