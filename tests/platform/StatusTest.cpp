// A status is success or a code with its reason; its text is the one line a user sees.
#include <gtest/gtest.h>

#include "platform/Status.h"

namespace platform {
namespace {

TEST(StatusTest, SuccessHasNoCodeAndNoText) {
  const Status status;
  EXPECT_TRUE(status.ok());
  EXPECT_EQ(status.code(), kStatusOK);
  EXPECT_EQ(status.toString(), "");
  // A failure never carries the success code, whatever it is given.
  EXPECT_FALSE(Status::error(0, "x").ok());
  EXPECT_FALSE(Status().withCode(0).ok());
}

TEST(StatusTest, TextNamesFileAndLineAndShowsControlCharacters) {
  static const struct {
    Status status;
    const char* text;
  } cases[] = {
      {Status::error(kStatusIOError, "disk full"), "disk full"},
      {Status::fileError(kStatusIOError, "/a/b", "not writable"), "/a/b: not writable"},
      {Status::fileError(kStatusNotEditable, "/a/b", "not a key and value", 7),
       "/a/b:7: not a key and value"},
      {Status::fileError(kStatusIOError, "/a/b", ""), "/a/b"},
      {Status::error(kStatusInvalidArgument, "\"a\nb\tc\x01\" is not valid"),
       "\"a\\nb\\tc\\x01\" is not valid"},
      {Status::fileError(kStatusIOError, "/a\r/b\x7f", "x", 2), "/a\\r/b\\x7f:2: x"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(c.status.ok()) << c.text;
    EXPECT_EQ(c.status.toString(), c.text);
  }
}

TEST(StatusTest, AnotherCodeKeepsTheReason) {
  const Status original = Status::fileError(kStatusPermissionDenied, "/l", "locked", 3);
  const Status mapped = original.withCode(kLSApplicationNotFoundErr);
  EXPECT_EQ(mapped.code(), kLSApplicationNotFoundErr);
  EXPECT_EQ(mapped.toString(), original.toString());
  EXPECT_EQ(mapped.path(), "/l");
  EXPECT_EQ(mapped.line(), 3u);
}

}  // namespace
}  // namespace platform
