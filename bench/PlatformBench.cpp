// Benchmark driver for the platform layer, timed from outside (bench/platform.sh):
//   platform_bench defaults     the default handler (and its path) of every declared type
//   platform_bench apps         every installed application with its path
//   platform_bench lookup TYPE  the default handler of one type
// Prints a one-line summary on standard output and the peak resident size on standard
// error, so the work cannot be skipped and memory is measured without another tool.
#include <sys/resource.h>

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "platform/Freedesktop.h"

namespace {

void reportPeakMemory() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::fprintf(stderr, "peak_rss_kb=%ld\n", usage.ru_maxrss);
}

int run(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  platform::Freedesktop platform;
  if (mode == "defaults") {
    std::size_t types = 0;
    std::size_t handled = 0;
    for (const auto& type :
         platform.UTCopyDeclaredTypeIdentifiers().value_or(std::vector<std::string>())) {
      ++types;
      const auto id = platform.LSCopyDefaultRoleHandlerForContentType(type, platform::kLSRolesAll);
      if (id && platform.URLForApplicationWithBundleIdentifier(*id)) ++handled;
    }
    std::printf("%zu types, %zu with a default\n", types, handled);
  } else if (mode == "apps") {
    std::optional<std::vector<platform::URL>> urls;
    if (!platform.LSCopyAllApplicationURLs(urls).ok() || !urls) return 1;
    std::size_t bytes = 0;
    for (const auto& url : *urls) bytes += url.path().size();
    std::printf("%zu applications, %zu bytes of paths\n", urls->size(), bytes);
  } else if (mode == "lookup" && argc > 2) {
    const auto id = platform.LSCopyDefaultRoleHandlerForContentType(argv[2], platform::kLSRolesAll);
    std::printf("%s\n", id ? id->c_str() : "(none)");
  } else {
    std::fprintf(stderr, "usage: platform_bench defaults | apps | lookup TYPE\n");
    return 2;
  }
  reportPeakMemory();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "platform_bench: %s\n", error.what());
    return 1;
  }
}
