// The placeholder's start: builds the delegate the way the application's interface
// would, with the desktop's workspace and log, and runs the application's life cycle
// for the events the command line carries.
#pragma once

namespace quietling {

// Answers the process's exit status.
int ApplicationMain(int argc, char** argv);

}  // namespace quietling
