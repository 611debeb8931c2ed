// Registering and starting an application bundle. A bundle is a folder "Name.app"
// holding exactly one desktop entry ("*.desktop", its information) and the program
// that entry's Exec names relative to the folder. Registering installs the entry where
// desktop readers look for applications; starting runs its program once, detached.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform {

// Copies the bundle's entry into applicationsDir under its desktop file ID, with Exec's
// program (and a TryExec naming a file of the bundle) rewritten to the absolute path,
// quoted as the desktop entry standard requires so that paths with spaces work;
// every other line is copied as it is. Written atomically; applicationsDir is created
// when missing; a mimeinfo.cache there learns the entry's MimeType types. Answers the
// desktop file ID without ".desktop"; none, with error set, when the folder is not such
// a bundle or the entry cannot be written.
std::optional<std::string> installBundle(const std::string& bundlePath,
                                         const std::string& applicationsDir, Status* error);

// Starts argv[0] (a path, or a name looked up in PATH) with the arguments once,
// detached: in a session of its own, standard streams on /dev/null, not waited for,
// and leaving no zombie behind (it is not this process's child). Answers its process
// id once the program has started; none, with error set, when it could not be started.
std::optional<RunningApplication> spawnDetached(const std::vector<std::string>& argv,
                                                Status* error);

}  // namespace platform
