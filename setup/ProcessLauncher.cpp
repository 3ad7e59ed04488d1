#include "setup/ProcessLauncher.h"

namespace setup {

bool StartPrinterSetupCommand(sys::System& system, const std::string& commandLine) {
    std::string systemDirectory;
    if (!system.GetSystemDirectory(systemDirectory)) return false;
    return system.CreateProcess(systemDirectory + "\\rundll32.exe", commandLine);
}

}  // namespace setup
