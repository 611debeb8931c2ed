// Shared set-up of the tool's tests: a FakePlatform (an empty registry that each test
// fills) and a TestHost installed as the wrappers' platform and host for the duration of
// a test, and a runner that puts the
// command-line framework through one whole invocation of the tool and captures what it
// wrote and the status it returned.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CaptureOutput.h"
#include "cmdkit/CLI.h"
#include "cmdkit/RawArguments.h"
#include "platform/FakePlatform.h"
#include "vrax/LSWrappers.h"
#include "vrax/Tool.h"

namespace vrax::testing {

inline const std::string kPlaceholder{kPlaceholderBundleID};
inline const std::string kPane{kPaneBundleID};

// A host whose mode a test chooses; alerts are kept, and queued blocks run only when
// the test runs the queue.
class TestHost final : public LSWrappers::Host {
 public:
  bool hosted = false;
  std::vector<LSWrappers::Alert> shown;
  std::vector<std::function<void()>> queue;

  bool mainBundleHasIdentifier() override { return hosted; }
  void runModal(const LSWrappers::Alert& alert) override { shown.push_back(alert); }
  void dispatchAsyncOnMainQueue(std::function<void()> block) override {
    queue.push_back(std::move(block));
  }
  void runQueue() {
    auto blocks = std::move(queue);
    queue.clear();
    for (auto& block : blocks) block();
  }
};

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

class WrappersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LSWrappers::setServices(fake);
    LSWrappers::setHost(host);
  }
  void TearDown() override {
    LSWrappers::setServices(nullptr);
    LSWrappers::setHost(nullptr);
  }

  // Installs an application: a desktop entry at path, known to the registry under its
  // ID, found by its name, declaring the types.
  void install(const std::string& bundleID, const std::string& path, const std::string& name = "",
               std::vector<std::string> types = {}) {
    fake->install(path, platform::FakePlatform::Entry(bundleID, name, std::move(types)));
  }
  // Installs an entry with the placeholder's ID whose Exec is the given one.
  void installPlaceholderEntry(const std::string& path, const std::string& exec) {
    platform::FakePlatform::Entry entry(kPlaceholder, "Quietling");
    entry.exec = exec;
    fake->install(path, entry);
  }
  // Installs an application, then removes its file: the registry still names it, but it
  // cannot be located.
  void installRemoved(const std::string& bundleID, std::vector<std::string> types = {}) {
    const std::string path = "/apps/" + bundleID + ".desktop";
    install(bundleID, path, "", std::move(types));
    fake->remove(path);
  }
  // A copy of the placeholder bundle in the folder.
  void placeholderIn(const std::string& folder) {
    platform::FakePlatform::Entry placeholder(kPlaceholder, "Quietling");
    placeholder.exec = "Quietling %u";
    fake->addBundle(folder + "/Quietling.app", placeholder);
  }
  // Starts again from an empty registry.
  void replacePlatform(std::shared_ptr<platform::FakePlatform> platform) {
    fake = std::move(platform);
    LSWrappers::setServices(fake);
  }

  // Runs the tool once with these arguments (the program name first).
  static RunResult run(const std::vector<std::string>& arguments) {
    cmdkit::CLI::resetForTesting();
    setUpCLI();
    const testsupport::Captured captured = testsupport::captureOutput(
        [&] { return cmdkit::CLI::run(cmdkit::RawArguments::fromProcessArguments(arguments)); });
    cmdkit::CLI::resetForTesting();
    return RunResult{captured.status, captured.out, captured.err};
  }

  std::shared_ptr<platform::FakePlatform> fake = std::make_shared<platform::FakePlatform>();
  std::shared_ptr<TestHost> host = std::make_shared<TestHost>();
};

}  // namespace vrax::testing
