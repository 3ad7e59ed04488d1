#pragma once
// Where an install run stages the package on this host: the destination directories of
// its staging passes, in order, as the platform flags choose them.

#include <string>
#include <vector>

#include "sys/System.h"

namespace package {

enum class StagingPass {
    DriverCache,             // the Windows directory's "Driver Cache\i386", older 32-bit hosts
    PrinterDriverDirectory,  // the spooler's driver directory for the host's environment
};

// The passes for the current platform flags, in the order they run.
std::vector<StagingPass> StagingPasses();
// The directory of a pass as the system gives it; false when the system cannot.
bool StagingDestination(sys::System& system, StagingPass pass, std::string& directory);

}  // namespace package
