// The example program: `demo <command> ...` runs on its own command line;
// `demo --debug-go '<command line>'` runs the given text instead, through the framework's
// tokeniser (the text begins with the program name).
#include <string_view>

#include "cmdkit/CLI.h"
#include "examples/ExampleProgram.h"

int main(int argc, char** argv) {
  example::setUpExampleProgram();
  if (argc == 3 && std::string_view(argv[1]) == "--debug-go") return cmdkit::CLI::debugGo(argv[2]);
  return cmdkit::CLI::go(argc, argv);
}
