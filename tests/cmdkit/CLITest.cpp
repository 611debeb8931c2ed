#include <gtest/gtest.h>

#include <stdexcept>

#include "CaptureOutput.h"
#include "cmdkit/CLI.h"
#include "cmdkit/CLIError.h"
#include "cmdkit/CommandArguments.h"
#include "cmdkit/HelpCommand.h"
#include "cmdkit/LightweightCommand.h"
#include "cmdkit/OptionRegistry.h"
#include "cmdkit/RawArguments.h"
#include "cmdkit/Router.h"
#include "cmdkit/UsageStatementGenerator.h"

namespace cmdkit {
namespace {

using testsupport::Captured;
using testsupport::captureOutput;
using Strings = std::vector<std::string>;

const std::string kDescription = "Utility to retrieve and manipulate default applications.";

std::string line(const std::string& name, const std::string& description) {
  return "- " + name + std::string(40 - name.size(), ' ') + description + "\n";
}

// A program named vrax with commands that print, fail in each way, take options and
// positional words.
class CLITest : public ::testing::Test {
 protected:
  void SetUp() override {
    CLI::resetForTesting();
    CLI::setup("vrax", std::nullopt, kDescription);
    CLI::registerChainableCommand("show")->withShortDescription("Shows").withExecutionBlock(
        [this](const CommandArguments&) { print("shown"); });
    CLI::registerChainableCommand("echo")
        ->withSignature("<first> ...")
        .withShortDescription("Echoes")
        .withExecutionBlock([this](const CommandArguments& arguments) {
          std::string text;
          for (const auto& word : arguments.requiredCollectedArgument("first")) text += word + "|";
          print(text);
        });
    CLI::registerChainableCommand("fail")->withExecutionBlock(
        [](const CommandArguments&) { throw CLIError::error("Something failed"); });
    CLI::registerChainableCommand("quiet")->withExecutionBlock(
        [](const CommandArguments&) { throw CLIError::emptyError(); });
    CLI::registerChainableCommand("odd")->withExecutionBlock(
        [](const CommandArguments&) { throw std::runtime_error("disk on fire"); });
    CLI::registerChainableCommand("weird")->withExecutionBlock(
        [](const CommandArguments&) { throw 42; });
    query_ = CLI::registerChainableCommand("query");
    query_->withShortDescription("Queries")
        .withOptionsSetupBlock([this](OptionRegistry& options) {
          options.addGroup("type", true, true);
          options.addFlags({"--internet"}, "Web", "type",
                           [this] { actions_.push_back("internet"); });
          options.addFlags({"--mail"}, "Mail", "type", [this] { actions_.push_back("mail"); });
          options.addKeys({"--URL"}, "Subtype", "subtype", "type",
                          [this](const std::string& v) { actions_.push_back("URL=" + v); });
        })
        .withExecutionBlock([this](const CommandArguments&) { print("queried"); });
  }
  void TearDown() override { CLI::resetForTesting(); }

  void print(const std::string& text) { executed_.push_back(text); }

  static Captured debugGo(const std::string& text) {
    return captureOutput([&] { return CLI::debugGo(text); });
  }

  std::string listing(bool withDescription) const {
    std::string text = withDescription ? kDescription + "\n\n" : "";
    text += "Available commands: \n";
    for (const auto& command : CLI::commands())
      text += line(command->name(), command->shortDescription());
    return text + line("help", "Prints this help information") +
           line("version", "Prints the current version of this app");
  }

  std::string queryUsage() const {
    return "Usage: vrax query <type> [options]\n\n<type>\n"
           "--URL <subtype>" +
           std::string(25, ' ') +
           "Subtype\n"
           "--internet" +
           std::string(30, ' ') +
           "Web\n"
           "--mail" +
           std::string(34, ' ') +
           "Mail\n\n[options]\n"
           "-h, --help" +
           std::string(30, ' ') + "Show help information for this command\n";
  }

  std::shared_ptr<ChainableCommand> query_;
  Strings executed_;
  Strings actions_;
};

TEST_F(CLITest, ProgramNameAlonePrintsTheListingAndFails) {
  const Captured run = debugGo("vrax");
  EXPECT_EQ(run.out, "[Debug Mode]\n" + listing(true));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 1);
}

TEST_F(CLITest, UnknownWordIsReportedAndDescriptionStaysOff) {
  const Captured run = debugGo("vrax foo bar");
  EXPECT_EQ(run.out, "[Debug Mode]\n" + listing(false));
  EXPECT_EQ(run.err, "Command \"foo\" not found\n\n");
  EXPECT_EQ(run.status, 1);
  // A later run in the same process keeps the description off.
  EXPECT_EQ(debugGo("vrax help").out, "[Debug Mode]\n" + listing(false));
}

TEST_F(CLITest, HelpAndVersion) {
  static const struct {
    const char* line;
    bool listing;
  } cases[] = {
      {"vrax -h", true},  {"vrax help", true},     {"vrax help show x y", true},
      {"vrax -v", false}, {"vrax version", false},
  };
  for (const auto& c : cases) {
    const Captured run = debugGo(c.line);
    EXPECT_EQ(run.out, "[Debug Mode]\n" + (c.listing ? listing(true) : "Version: 1.0\n")) << c.line;
    EXPECT_EQ(run.err, "") << c.line;
    EXPECT_EQ(run.status, 0) << c.line;
  }
}

TEST_F(CLITest, FailuresAreReportedOnceOnStandardError) {
  static const struct {
    const char* line;
    const char* err;
  } cases[] = {
      // Positional words that do not fit: the message, then the usage line.
      {"vrax version x", "Expected no arguments, got 1.\nUsage: vrax version\n"},
      {"vrax show a b", "Expected no arguments, got 2.\nUsage: vrax show\n"},
      {"vrax echo", "Expected 1 argument, but got 0.\nUsage: vrax echo <first> ...\n"},
      // Errors thrown by commands.
      {"vrax fail", "Something failed\n"},
      {"vrax quiet", ""},
      {"vrax odd", "An error occurred: disk on fire\n"},
      {"vrax weird", "An error occurred: unknown error\n"},
  };
  for (const auto& c : cases) {
    const Captured run = debugGo(c.line);
    EXPECT_EQ(run.out, "[Debug Mode]\n") << c.line;
    EXPECT_EQ(run.err, c.err) << c.line;
    EXPECT_EQ(run.status, 1) << c.line;
  }
  EXPECT_TRUE(executed_.empty());
}

TEST_F(CLITest, QuotedTokensAndCombinedFlags) {
  const Captured run = debugGo("vrax echo \"a b\" \"\" c\"d e\"");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(executed_, Strings{"a b||c|d e|"});
}

TEST_F(CLITest, HelpFlagPrintsTheUsageStatementAndSkipsTheCommand) {
  for (const char* text :
       {"vrax query -h", "vrax query --help --bogus", "vrax query --mail -h x"}) {
    actions_.clear();
    const Captured run = debugGo(text);
    EXPECT_EQ(run.out, "[Debug Mode]\n" + queryUsage() + "\n") << text;
    EXPECT_EQ(run.err, "") << text;
    EXPECT_EQ(run.status, 0) << text;
  }
  EXPECT_EQ(actions_, Strings{"mail"});  // actions before the help flag still ran
  EXPECT_TRUE(executed_.empty());
}

TEST_F(CLITest, OptionMisuseFailsWithTheMessage) {
  const Captured run = debugGo("vrax query --mail --internet --bogus --URL");
  const std::string report = "Unrecognized options:\n" + std::string(33, ' ') + "--bogus\n" +
                             "Conflicting options:\n<type>:" + std::string(33, ' ') +
                             "--mail, --internet, --URL\n" +
                             "Required values for options but given none:\n\t--URL\n";
  EXPECT_EQ(run.out, "[Debug Mode]\n");
  EXPECT_EQ(run.err, queryUsage() + "\n" + report + "\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(actions_, (Strings{"mail", "internet"}));
  EXPECT_TRUE(executed_.empty());
}

TEST_F(CLITest, LenientCommandRunsDespiteMisuse) {
  query_->withFailOnUnrecognizedOptions(false).withUnrecognizedOptionsPrintingBehavior(
      UnrecognizedOptionsPrintingBehavior::printOnlyUnrecognizedOptions);
  const Captured run = debugGo("vrax query --mail --bogus");
  EXPECT_EQ(run.err, "Unrecognized options:\n" + std::string(33, ' ') + "--bogus\n\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(executed_, Strings{"queried"});
}

TEST_F(CLITest, OptionsApplyBeforePositionalArgumentsAreChecked) {
  const Captured run = debugGo("vrax query --URL ftp extra");
  EXPECT_EQ(run.err, "Expected no arguments, got 1.\nUsage: vrax query\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(actions_, Strings{"URL=ftp"});
}

TEST_F(CLITest, CommandWithoutHelpFlagTreatsHAsUnrecognized) {
  class NoHelp : public OptionCommand {
   public:
    std::string name() const override { return "nohelp"; }
    std::string signature() const override { return ""; }
    std::string shortDescription() const override { return ""; }
    bool helpOnHFlag() const override { return false; }
    UnrecognizedOptionsPrintingBehavior unrecognizedOptionsPrintingBehavior() const override {
      return UnrecognizedOptionsPrintingBehavior::printOnlyUnrecognizedOptions;
    }
    void setupOptions(OptionRegistry&) override {}
    void execute(const CommandArguments&) override {}
  };
  CLI::registerCommand(std::make_shared<NoHelp>());
  const Captured run = debugGo("vrax nohelp -h");
  EXPECT_EQ(run.err, "Unrecognized options:\n" + std::string(38, ' ') + "-h\n\n");
  EXPECT_EQ(run.status, 1);
}

TEST_F(CLITest, AliasesOfOneAndSeveralWords) {
  CLI::addAlias("q", "query");
  CLI::addAlias("say", "echo hello");
  EXPECT_EQ(debugGo("vrax q --mail").status, 0);
  EXPECT_EQ(debugGo("vrax say world say").status, 0);
  EXPECT_EQ(executed_, (Strings{"queried", "hello|world|echo|hello|"}));
  CLI::removeAlias("q");
  EXPECT_EQ(debugGo("vrax q --mail").err, "Command \"q\" not found\n\n");
}

TEST_F(CLITest, AliasContainingItselfTerminates) {
  CLI::addAlias("echo", "echo echo");
  EXPECT_EQ(debugGo("vrax echo x echo").status, 0);
  EXPECT_EQ(executed_, Strings{"echo|x|echo|echo|"});
  CLI::addAlias("loop", "loop again");
  const Captured run = debugGo("vrax loop");
  EXPECT_EQ(run.err, "Command \"loop\" not found\n\n");
  EXPECT_EQ(run.status, 1);
}

TEST_F(CLITest, SetupKeepsOmittedValuesAndOneAliasPerKey) {
  CLI::setVersion("3.0");
  CLI::setup("other");
  CLI::setup("other");
  EXPECT_EQ(CLI::name(), "other");
  EXPECT_EQ(CLI::version(), "3.0");
  EXPECT_EQ(CLI::description(), kDescription);
  EXPECT_EQ(CLI::aliases(), (AliasTable{{"-h", "help"}, {"-v", "version"}}));
}

TEST_F(CLITest, ResetRestoresTheInitialState) {
  const auto oldRouter = CLI::router();
  debugGo("vrax foo");  // switches the description off
  CLI::resetForTesting();
  EXPECT_EQ(CLI::name(), "");
  EXPECT_EQ(CLI::version(), "1.0");
  EXPECT_EQ(CLI::description(), "");
  EXPECT_TRUE(CLI::commands().empty());
  EXPECT_TRUE(CLI::aliases().empty());
  EXPECT_NE(CLI::router(), oldRouter);
  EXPECT_TRUE(CLI::helpCommand()->printCLIDescription());
  // Without setup "-h" is no command word.
  const Captured run = debugGo("p -h");
  EXPECT_EQ(run.err, "Command \"-h\" not found\n\n");
  EXPECT_EQ(run.status, 1);
}

TEST_F(CLITest, DroppedHelpCommandsAreReleased) {
  // The help command lists itself among the available commands.
  debugGo("vrax help");
  std::weak_ptr<HelpCommand> first = CLI::helpCommand();
  CLI::setHelpCommand(std::make_shared<DefaultHelpCommand>());
  EXPECT_TRUE(first.expired());
  debugGo("vrax help");
  std::weak_ptr<HelpCommand> second = CLI::helpCommand();
  CLI::resetForTesting();
  EXPECT_TRUE(second.expired());
}

TEST_F(CLITest, GoRunsOnTheArgumentVectorItIsGiven) {
  // A router that records the argument list it is given and finds nothing.
  class Recording : public Router {
   public:
    std::shared_ptr<Command> route(const std::vector<std::shared_ptr<Command>>&, const AliasTable&,
                                   std::shared_ptr<RawArguments>& arguments) override {
      originalString = arguments->originalString();
      for (const auto& argument : arguments->arguments()) values.push_back(argument->value());
      return nullptr;
    }
    std::string originalString;
    Strings values;
  };
  auto router = std::make_shared<Recording>();
  CLI::setRouter(router);
  const char* const argv[] = {"/bin/vrax", "-xy", "two words", nullptr};
  const Captured run = captureOutput([&] { return CLI::go(3, argv); });
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, listing(false));
  EXPECT_EQ(run.err, "Command \"-x\" not found\n\n");
  EXPECT_EQ(router->originalString, "/bin/vrax -xy two words");
  EXPECT_EQ(router->values, (Strings{"/bin/vrax", "-x", "-y", "two words"}));
}

TEST_F(CLITest, GoRoutesTheGivenVectorToItsCommand) {
  const char* const argv[] = {"vrax", "echo", "a b", "c"};
  const Captured run = captureOutput([&] { return CLI::go(4, argv); });
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(executed_, (Strings{"a b|c|"}));
}

TEST_F(CLITest, HelpAfterErrorRunsTheHelpCommand) {
  class LoudHelp : public DefaultHelpCommand {
   public:
    bool printHelpAfterError() const override { return true; }
    void execute(const CommandArguments& arguments) override {
      if (failing) throw std::runtime_error("help broke");
      DefaultHelpCommand::execute(arguments);
    }
    bool failing = false;
  };
  auto help = std::make_shared<LoudHelp>();
  CLI::setHelpCommand(help);
  Captured run = debugGo("vrax fail");
  EXPECT_EQ(run.err, "Something failed\n");
  EXPECT_EQ(run.out, "[Debug Mode]\n" + listing(true));
  EXPECT_EQ(run.status, 1);
  help->failing = true;
  run = debugGo("vrax fail");
  EXPECT_EQ(run.err, "Something failed\nAn error occurred: help broke\n");
  EXPECT_EQ(run.status, 1);
  // A failing help command after routing found nothing is the run's failure.
  run = debugGo("vrax");
  EXPECT_EQ(run.err, "An error occurred: help broke\nAn error occurred: help broke\n");
}

TEST_F(CLITest, StagesReadPropertiesThroughAccessors) {
  class Renamed : public DefaultHelpCommand {
   public:
    void printLine(const Command& command) override { printed.push_back(command.name()); }
    Strings printed;
  };
  auto help = std::make_shared<Renamed>();
  CLI::setHelpCommand(help);
  EXPECT_EQ(debugGo("vrax help").status, 0);
  EXPECT_EQ(help->printed,
            (Strings{"show", "echo", "fail", "quiet", "odd", "weird", "query", "help", "version"}));

  class Terse : public UsageStatementGenerator {
   public:
    std::string makeUsageStatement(const Command& command, const OptionRegistry*) override {
      return "terse " + command.name();
    }
  };
  CLI::setUsageStatementGenerator(std::make_shared<Terse>());
  EXPECT_EQ(debugGo("vrax query -h").out, "[Debug Mode]\nterse query\n");
}

TEST_F(CLITest, PrintErrorWritesMessageAndTerminator) {
  EXPECT_EQ(captureOutput([] {
              CLI::printError("first");
              CLI::printError("second", "");
              CLI::printError("", "|");
              return 0;
            }).err,
            "first\nsecond|");
}

TEST(CLIDeathTest, NullStagesAreFatal) {
  EXPECT_DEATH(CLI::setRouter(nullptr), "");
  EXPECT_DEATH(CLI::registerCommand(nullptr), "");
}

}  // namespace
}  // namespace cmdkit
