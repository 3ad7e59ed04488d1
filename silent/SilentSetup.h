#pragma once
// SilentSetup.exe: the window program's install run (or its removal of earlier
// installations) without any window, for deployment tools. It takes its choices from
// the command line, stops at the end of the first step that fails, writes a log and
// tells the outcome by its exit code (silent/ExitCodes.h).

#include <string>
#include <vector>

#include "sys/System.h"
#include "sys/UnattendedSystem.h"

namespace silent {

// The arguments as the C runtime split them, without the program's name; returns the
// exit code. The run works in the program's own folder, whatever the current directory
// was, and holds the run lock that setup.exe shares; a run that finds the lock held
// changes nothing and writes no log (the log is the other run's).
int RunSilentSetup(sys::System& system, sys::UnattendedSystem& unattended,
                   const std::vector<std::string>& args);

// The text that /? shows, lines parted by CR LF.
std::string UsageText();

}  // namespace silent
