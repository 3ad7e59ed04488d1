#pragma once
// The 64-bit device-installation program of the amd64 package folder. The 32-bit
// installer starts it when its own Plug-and-Play update fails with ERROR_IN_WOW64,
// waits for it and acts on its exit code.

#include <string>
#include <vector>

#include "sys/System.h"

namespace setup64 {

// Exit codes, the contract with the installer that waits for this program.
constexpr int kExitFailed = 0;         // any failure the installer cannot act on
constexpr int kExitInstalled = 1;      // the driver is installed on a present device
constexpr int kExitBadArguments = 2;   // not exactly a hardware id and an INF path
// No device has the hardware id; the package is in the driver store, or the system has
// none and the INF is staged, so Plug and Play installs it when the printer is plugged in.
constexpr int kExitPackagePreinstalled = 10;
// The update or the pre-install failed for the package's signature (no catalog, a
// publisher this PC does not trust): only the PC's trust mends it, not another run.
constexpr int kExitSignatureNotTrusted = 12;

// args are the arguments after the program name: the hardware id and the INF path,
// which may be relative to the current directory. Returns one of the exit codes.
int RunSetup64(sys::System& system, const std::vector<std::string>& args);

}  // namespace setup64
