// A small program built on cmdkit that shows its main features: a LightweightCommand
// with a flag and a keyed option ("greet"), ChainableCommands configured in one
// expression ("sum", "paint" with required and conflicting option groups), and aliases
// of one and of several words ("add", "hi").
#pragma once

namespace example {

// Sets up the framework for the example program: name, version, description, commands
// and aliases.
void setUpExampleProgram();

}  // namespace example
