#include "setup64/Setup64Main.h"

#include "package/SignatureFailure.h"

namespace setup64 {

int RunSetup64(sys::System& system, const std::vector<std::string>& args) {
    if (args.size() != 2) return kExitBadArguments;
    const std::string& hardwareId = args[0];

    // The update takes only a full INF path. A relative one names a file in the
    // current directory, which the installer passes on to us: its package folder.
    const std::string fullInfPath = system.GetFullPathName(args[1]);
    if (fullInfPath.empty()) return kExitFailed;

    if (system.UpdateDriverForPlugAndPlayDevices(hardwareId, fullInfPath,
                                                 sys::kInstallFlagForce))
        return kExitInstalled;
    if (system.GetLastError() == sys::kErrorNoSuchDevinst) {
        // Exit 10 promises that the printer installs itself when plugged in. Where the
        // system has a driver store (DiInstallDriverA exists) that holds once the package
        // is in it, so a failed pre-install is a failure. 64-bit XP and Server 2003 have
        // none: Plug and Play installs from the INF that setup.exe staged before it
        // asked for the port. The update has loaded newdev.dll, so it is asked in
        // place.
        if (!system.HasProcAddress("newdev", "DiInstallDriverA") ||
            system.DiInstallDriver(fullInfPath))
            return kExitPackagePreinstalled;
    }
    return package::IsSignatureFailure(system.GetLastError()) ? kExitSignatureNotTrusted
                                                               : kExitFailed;
}

}  // namespace setup64
