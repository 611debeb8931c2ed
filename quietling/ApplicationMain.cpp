#include "quietling/ApplicationMain.h"

#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "quietling/AppDelegate.h"
#include "quietling/Application.h"
#include "quietling/LaunchEvent.h"
#include "quietling/Logger.h"
#include "quietling/Workspace.h"

namespace quietling {

int ApplicationMain(int argc, char** argv) {
  // A reader that went away must not end the process before it terminates normally:
  // a failed write of the log line is simply dropped.
  ::signal(SIGPIPE, SIG_IGN);
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);

  GioWorkspace workspace;
  StandardLogger logger(STDERR_FILENO, SystemLog("Quietling"));
  AppDelegate delegate(workspace, logger);
  Application application(delegate);
  return application.run(launchEventsForArguments(arguments));
}

}  // namespace quietling
