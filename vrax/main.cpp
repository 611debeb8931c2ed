// vrax: retrieves and changes the default applications of URL schemes and content types.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "cmdkit/CLI.h"
#include "vrax/Tool.h"

int main(int argc, char** argv) {
  try {
    vrax::setUpCLI();
    std::exit(cmdkit::CLI::go(argc, argv));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "An error occurred: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "An error occurred.\n");
  }
  std::exit(1);
}
