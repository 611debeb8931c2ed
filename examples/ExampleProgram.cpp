#include "examples/ExampleProgram.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "cmdkit/CLI.h"
#include "cmdkit/CLIError.h"
#include "cmdkit/CommandArguments.h"
#include "cmdkit/LightweightCommand.h"
#include "cmdkit/OptionRegistry.h"

namespace example {
namespace {

constexpr int kMaximumRepeats = 100;

// Writes a command's whole result with one call.
void printResult(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

std::optional<long long> parseInteger(const std::string& text) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::string upperCased(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// "greet": a LightweightCommand whose option actions store their settings in an object
// that the closures share.
std::shared_ptr<cmdkit::Command> makeGreetCommand() {
  struct Settings {
    bool loud = false;
    std::string times = "1";
  };
  auto settings = std::make_shared<Settings>();
  auto greet = std::make_shared<cmdkit::LightweightCommand>("greet");
  greet->setSignature("<name> [<greeting>]");
  greet->setShortDescription("Greets someone, loudly if asked");
  greet->setOptionsSetupBlock([settings](cmdkit::OptionRegistry& options) {
    options.addFlags({"--loud", "-l"}, "Shout the greeting", "options",
                     [settings] { settings->loud = true; });
    options.addKeys({"--times", "-t"}, "Repeat the greeting <count> times", "count", "options",
                    [settings](const std::string& count) { settings->times = count; });
  });
  greet->setExecutionBlock([settings](const cmdkit::CommandArguments& arguments) {
    const std::optional<long long> times = parseInteger(settings->times);
    if (!times || *times < 1 || *times > kMaximumRepeats) {
      throw cmdkit::CLIError::error("Invalid count \"" + settings->times +
                                    "\": give a number from 1 to 100");
    }
    std::string line = arguments.optionalArgument("greeting").value_or("Hello") + ", " +
                       arguments.requiredArgument("name") + "!";
    if (settings->loud) line = upperCased(line);
    std::string result;
    for (long long i = 0; i < *times; ++i) result += line + "\n";
    printResult(result);
  });
  return greet;
}

// "sum": a ChainableCommand that collects all its words.
void registerSumCommand() {
  cmdkit::CLI::registerChainableCommand("sum")
      ->withSignature("<number> ...")
      .withShortDescription("Adds whole numbers")
      .withExecutionBlock([](const cmdkit::CommandArguments& arguments) {
        long long total = 0;
        for (const std::string& word : arguments.requiredCollectedArgument("number")) {
          const std::optional<long long> number = parseInteger(word);
          if (!number) throw cmdkit::CLIError::error("Not a whole number: \"" + word + "\"");
          if (__builtin_add_overflow(total, *number, &total)) {
            throw cmdkit::CLIError::error("The sum is too large");
          }
        }
        printResult(std::to_string(total) + "\n");
      });
}

// "paint": a ChainableCommand with required, conflicting and optional groups and a key.
void registerPaintCommand() {
  struct Settings {
    std::string color;
    std::string size;
    std::string finish = "plain";
    std::string shade = "1";
  };
  auto settings = std::make_shared<Settings>();
  const auto set = [settings](std::string Settings::*field, std::string value) {
    return [settings, field, value = std::move(value)] { (*settings).*field = value; };
  };
  cmdkit::CLI::registerChainableCommand("paint")
      ->withShortDescription("Paints a wall in exactly one color")
      .withOptionsSetupBlock([settings, set](cmdkit::OptionRegistry& options) {
        options.addGroup("color", true, true);
        options.addGroup("size", true, false);
        options.addGroup("finish", false, true);
        options.addFlags({"--red", "-r"}, "Paint it red", "color", set(&Settings::color, "red"));
        options.addFlags({"--green", "-g"}, "Paint it green", "color",
                         set(&Settings::color, "green"));
        options.addFlags({"--blue", "-b"}, "Paint it blue", "color", set(&Settings::color, "blue"));
        options.addFlags({"--small"}, "A small wall", "size", set(&Settings::size, "small"));
        options.addFlags({"--large"}, "A large wall", "size", set(&Settings::size, "large"));
        options.addFlags({"--glossy"}, "A glossy finish", "finish",
                         set(&Settings::finish, "glossy"));
        options.addFlags({"--matte"}, "A matte finish", "finish", set(&Settings::finish, "matte"));
        options.addKeys({"--shade", "-s"}, "How dark the paint is", "level", "options",
                        [settings](const std::string& level) { settings->shade = level; });
      })
      .withExecutionBlock([settings](const cmdkit::CommandArguments&) {
        printResult("Painting a " + settings->size + " wall " + settings->color + " (shade " +
                    settings->shade + ", " + settings->finish + ")\n");
      });
}

}  // namespace

void setUpExampleProgram() {
  cmdkit::CLI::setup("demo", "2.1", "Demonstrates the cmdkit command-line framework.");
  cmdkit::CLI::registerCommand(makeGreetCommand());
  registerSumCommand();
  registerPaintCommand();
  cmdkit::CLI::addAlias("add", "sum");
  cmdkit::CLI::addAlias("hi", "greet World");
}

}  // namespace example
