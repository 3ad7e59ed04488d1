#include "package/StagingDestinations.h"

#include "host/Platform.h"
#include "host/SpoolerQueries.h"

namespace package {

namespace {
const char* const kDriverCacheSuffix = "\\Driver Cache\\i386";
}  // namespace

std::vector<StagingPass> StagingPasses() {
    if (host::CurrentHostClass() == host::HostClass::Older32)
        return {StagingPass::DriverCache, StagingPass::PrinterDriverDirectory};
    return {StagingPass::PrinterDriverDirectory};
}

bool StagingDestination(sys::System& system, StagingPass pass, std::string& directory) {
    if (pass == StagingPass::DriverCache) {
        std::string windowsDirectory;
        if (!system.GetWindowsDirectory(windowsDirectory)) return false;
        directory = windowsDirectory + kDriverCacheSuffix;
        return true;
    }
    const char* const environment =
        g_is64BitOs != 0 ? host::kEnvironmentX64 : host::kEnvironmentX86;
    return system.GetPrinterDriverDirectory(environment, directory);
}

}  // namespace package
