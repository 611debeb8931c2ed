// The tool's command table and its set-up of the command-line framework: the name
// "vrax", the project's version, the description, and the five commands in their fixed order
// (getHandler, getApps, getSchemes, getUTIs, setHandler).
#pragma once

#include <memory>
#include <vector>

#include "cmdkit/Command.h"

namespace vrax {

// The five commands, in table order.
std::vector<std::shared_ptr<cmdkit::Command>> makeCommandTable();
// Sets up the framework and registers the command table; go runs it.
void setUpCLI();

}  // namespace vrax
