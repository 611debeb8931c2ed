#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "Files.h"
#include "platform/Handles.h"
#include "quietling/Logger.h"

namespace quietling {

using platform::UniqueFd;
namespace {

// A datagram socket standing in for the system logger.
class FakeSystemLogger final {
 public:
  explicit FakeSystemLogger(std::string path) : path_(std::move(path)) {
    socket_ = UniqueFd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
    if (::bind(socket_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      ADD_FAILURE() << "cannot bind " << path_;
    }
  }
  // The next datagram; none when nothing was sent.
  std::optional<std::string> receive() {
    std::string buffer(256 * 1024, '\0');
    const ssize_t size = ::recv(socket_.get(), buffer.data(), buffer.size(), 0);
    if (size < 0) return std::nullopt;
    buffer.resize(static_cast<std::size_t>(size));
    return buffer;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  UniqueFd socket_;
};

class LoggerTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir;
  std::string errorPath = dir.path() + "/stderr";
  UniqueFd errorFile{::open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)};
};

TEST_F(LoggerTest, LineIsLiteralOnErrorStreamAndInSystemLog) {
  FakeSystemLogger systemLogger(dir.path() + "/log");
  StandardLogger logger(errorFile.get(), SystemLog("Quietling", systemLogger.path()));
  const std::string messages[] = {
      "Dummy application launched in response to URL: x:%s%n%d%%%1$s, will now exit.",
      "100% done",
      "",
  };
  std::string expectedErrors;
  for (const std::string& message : messages) {
    logger.log(message);
    expectedErrors += message + "\n";
    const std::optional<std::string> datagram = systemLogger.receive();
    ASSERT_TRUE(datagram.has_value()) << message;
    // "<13>Mmm dd hh:mm:ss Quietling[pid]: message": user facility, notice severity.
    const std::string tail = "Quietling[" + std::to_string(::getpid()) + "]: " + message;
    EXPECT_EQ(datagram->rfind("<13>", 0), 0u) << *datagram;
    ASSERT_GE(datagram->size(), tail.size());
    EXPECT_EQ(datagram->substr(datagram->size() - tail.size()), tail);
    EXPECT_EQ(datagram->size(), 4 + 15 + 1 + tail.size()) << *datagram;
  }
  EXPECT_FALSE(systemLogger.receive().has_value());
  EXPECT_EQ(testsupport::readFile(errorPath), expectedErrors);
}

TEST_F(LoggerTest, WithoutSystemLoggerTheErrorStreamStillGetsTheWholeLine) {
  const SystemLog missing("Quietling", dir.path() + "/no-logger-here");
  EXPECT_FALSE(missing.send("x"));
  StandardLogger logger(errorFile.get(), missing);
  // Longer than a pipe's buffer and than a datagram may be.
  const std::string message = "mailto:" + std::string(300 * 1024, 'a');
  logger.log(message);
  EXPECT_EQ(testsupport::readFile(errorPath), message + "\n");
}

// What an opened URL or a file's type carries cannot add, end or split a line of the
// log: each message stays one line, with its controls escaped and the rest as it is.
TEST_F(LoggerTest, ControlCharactersAreEscapedOnBothOutputs) {
  FakeSystemLogger systemLogger(dir.path() + "/log");
  StandardLogger logger(errorFile.get(), SystemLog("Quietling", systemLogger.path()));
  static const struct {
    std::string message;
    std::string logged;
  } cases[] = {
      {"x:a\nQuietling[1]: FORGED", "x:a\\nQuietling[1]: FORGED"},
      {"x:\r\t\x1b[2J\x7f\x01", "x:\\r\\t\\x1b[2J\\x7f\\x01"},
      {std::string("x:\0y", 4), "x:\\x00y"},
      {"x:back\\slash\\n", "x:back\\\\slash\\\\n"},
      // NEL, the line separator and a lone continuation byte; other UTF-8 is kept.
      {"x:\xc2\x85|\xe2\x80\xa8|\x80|\xc3\xa9\xe2\x82\xac",
       "x:\\u0085|\\u2028|\\x80|\xc3\xa9\xe2\x82\xac"},
      // An overlong '/', a surrogate and a code point past U+10FFFF: escaped byte by byte.
      {"x:\xc0\xaf|\xed\xa0\x80|\xf4\x90\x80\x80",
       "x:\\xc0\\xaf|\\xed\\xa0\\x80|\\xf4\\x90\\x80\\x80"},
  };
  std::string expectedErrors;
  for (const auto& c : cases) {
    logger.log(c.message);
    expectedErrors += c.logged + "\n";
    const std::optional<std::string> datagram = systemLogger.receive();
    ASSERT_TRUE(datagram.has_value()) << c.logged;
    const std::string tail = "]: " + c.logged;
    ASSERT_GE(datagram->size(), tail.size());
    EXPECT_EQ(datagram->substr(datagram->size() - tail.size()), tail);
  }
  EXPECT_EQ(testsupport::readFile(errorPath), expectedErrors);
}

}  // namespace
}  // namespace quietling
