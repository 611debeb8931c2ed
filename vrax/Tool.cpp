#include "vrax/Tool.h"

#include "cmdkit/CLI.h"
#include "vrax/Identifiers.h"
#include "vrax/ListingCommands.h"
#include "vrax/ReadCommand.h"
#include "vrax/SetCommand.h"

namespace vrax {

std::vector<std::shared_ptr<cmdkit::Command>> makeCommandTable() {
  return {
      std::make_shared<ReadCommand>(),
      std::make_shared<GetApps>("getApps", "", "Returns a list of all registered applications."),
      std::make_shared<GetSchemes>(
          "getSchemes", "",
          "Returns a list of all known URI schemes, accompanied by their default handler."),
      std::make_shared<GetUTIs>("getUTIs", "",
                                "Returns a list of all known UTIs, and their default handler."),
      std::make_shared<SetCommand>(),
  };
}

void setUpCLI() {
  cmdkit::CLI::setup("vrax", kVersion,
                     "Utility to retrieve and manipulate default applications in macOS.");
  cmdkit::CLI::registerCommands(makeCommandTable());
}

}  // namespace vrax
