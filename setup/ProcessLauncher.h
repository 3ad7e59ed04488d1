#pragma once
// Starts the system's printer-setup command. The command line stays exactly as given;
// the system directory's rundll32.exe is named as the application so that no
// rundll32.exe planted in the current or the program's folder runs instead.

#include <string>

#include "sys/System.h"

namespace setup {

// Starts a "rundll32 ..." command line without waiting for it; false when it did not
// start.
bool StartPrinterSetupCommand(sys::System& system, const std::string& commandLine);

}  // namespace setup
