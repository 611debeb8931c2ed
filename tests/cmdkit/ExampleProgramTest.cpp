// Runs the example program as a user would and compares standard output, standard error
// and exit status byte for byte.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "RunProcess.h"

namespace {

struct Outcome {
  std::string out;
  std::string err;
  int status = -1;
};

// Runs the example program with `arguments`.
Outcome runExample(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{EXAMPLE_PROGRAM};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  const testsupport::ProcessResult result = testsupport::runProcess(argv, std::nullopt);
  return Outcome{result.out, result.err, result.exitStatus};
}

std::string column(const std::string& text, std::size_t width) {
  return text + std::string(width - text.size(), ' ');
}

const std::string kListing =
    "Available commands: \n"
    "- " +
    column("greet", 40) +
    "Greets someone, loudly if asked\n"
    "- " +
    column("sum", 40) +
    "Adds whole numbers\n"
    "- " +
    column("paint", 40) +
    "Paints a wall in exactly one color\n"
    "- " +
    column("help", 40) +
    "Prints this help information\n"
    "- " +
    column("version", 40) + "Prints the current version of this app\n";
const std::string kDescribedListing =
    "Demonstrates the cmdkit command-line framework.\n\n" + kListing;

const std::string kPaintUsage =
    "Usage: demo paint <color> <size> [finish] [options]\n"
    "\n<color>\n" +
    column("--blue, -b", 40) + "Paint it blue\n" + column("--green, -g", 40) + "Paint it green\n" +
    column("--red, -r", 40) +
    "Paint it red\n"
    "\n<size>\n" +
    column("--large", 40) + "A large wall\n" + column("--small", 40) +
    "A small wall\n"
    "\n[finish]\n" +
    column("--glossy", 40) + "A glossy finish\n" + column("--matte", 40) +
    "A matte finish\n"
    "\n[options]\n" +
    column("--shade, -s <level>", 40) + "How dark the paint is\n" + column("-h, --help", 40) +
    "Show help information for this command\n";

const std::string kGreetUsage =
    "Usage: demo greet <name> [<greeting>] [options]\n"
    "\n[options]\n" +
    column("--loud, -l", 40) + "Shout the greeting\n" + column("--times, -t <count>", 40) +
    "Repeat the greeting <count> times\n" + column("-h, --help", 40) +
    "Show help information for this command\n";

const struct Case {
  std::vector<std::string> arguments;
  std::string out;
  std::string err;
  int status;
} kCases[] = {
    {{}, kDescribedListing, "", 1},
    {{"frobnicate", "x"}, kListing, "Command \"frobnicate\" not found\n\n", 1},
    {{"-h"}, kDescribedListing, "", 0},
    {{"help"}, kDescribedListing, "", 0},
    {{"help", "greet", "extra"}, kDescribedListing, "", 0},
    {{"-v"}, "Version: 2.1\n", "", 0},
    {{"version"}, "Version: 2.1\n", "", 0},
    {{"version", "x"}, "", "Expected no arguments, got 1.\nUsage: demo version\n", 1},
    {{"greet", "Ada", "Hi", "there"},
     "",
     "Expected 2 arguments, but got 3.\nUsage: demo greet <name> [<greeting>]\n",
     1},
    {{"greet", "Ada Lovelace"}, "Hello, Ada Lovelace!\n", "", 0},
    {{"greet", "-lt", "2", "Ada", "Hi"}, "HI, ADA!\nHI, ADA!\n", "", 0},
    {{"greet", "-t", "zero", "Ada"},
     "",
     "Invalid count \"zero\": give a number from 1 to 100\n",
     1},
    {{"greet", "-h"}, kGreetUsage + "\n", "", 0},
    {{"add", "1", "2", "39"}, "42\n", "", 0},
    {{"sum", "1", "two"}, "", "Not a whole number: \"two\"\n", 1},
    {{"hi"}, "Hello, World!\n", "", 0},
    {{"hi", "Howdy", "--loud"}, "HOWDY, WORLD!\n", "", 0},
    {{"paint", "-rs", "3", "--large", "--matte"},
     "Painting a large wall red (shade 3, matte)\n",
     "",
     0},
    {{"paint", "--help"}, kPaintUsage + "\n", "", 0},
    {{"paint", "-h", "--bogus", "--red", "--blue"}, kPaintUsage + "\n", "", 0},
    {{"paint", "--small"},
     "",
     kPaintUsage + "\nMissing options:\n<color>:" + std::string(32, ' ') +
         "--red, -r, --green, -g, --blue, -b\n\n",
     1},
    {{"paint", "--red", "--small", "--bogus"},
     "",
     kPaintUsage + "\nUnrecognized options:\n" + std::string(33, ' ') + "--bogus\n\n",
     1},
    {{"paint", "--red", "--small", "--glossy", "--MATTE"},
     "",
     kPaintUsage + "\nUnrecognized options:\n" + std::string(33, ' ') + "--MATTE\n" +
         "Conflicting options:\n[finish]:" + std::string(31, ' ') + "--glossy, --MATTE\n\n",
     1},
    {{"paint", "--red", "--small", "--shade"},
     "",
     kPaintUsage + "\nRequired values for options but given none:\n\t--shade\n\n",
     1},
    {{"paint", "--red", "--blue", "--bogus", "--shade"},
     "",
     kPaintUsage + "\nMissing options:\n<size>:" + std::string(33, ' ') + "--small, --large\n" +
         "Unrecognized options:\n" + std::string(33, ' ') + "--bogus\n" +
         "Conflicting options:\n<color>:" + std::string(32, ' ') + "--red, --blue\n" +
         "Required values for options but given none:\n\t--shade\n\n",
     1},
    {{"--debug-go", "demo greet \"Grace Hopper\" \"Good day\""},
     "[Debug Mode]\nGood day, Grace Hopper!\n",
     "",
     0},
    {{"--debug-go", "demo hi -t\"2\""}, "[Debug Mode]\nHello, World!\nHello, World!\n", "", 0},
};

TEST(ExampleProgramTest, OutputAndStatusMatchExactly) {
  for (const Case& c : kCases) {
    std::string shown;
    for (const std::string& argument : c.arguments) shown += " [" + argument + "]";
    const Outcome outcome = runExample(c.arguments);
    EXPECT_EQ(outcome.out, c.out) << shown;
    EXPECT_EQ(outcome.err, c.err) << shown;
    EXPECT_EQ(outcome.status, c.status) << shown;
  }
}

}  // namespace
