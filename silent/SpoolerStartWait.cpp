#include "silent/SpoolerStartWait.h"

#include <string>

#include "host/PcChecks.h"
#include "silent/LoggingSystem.h"

namespace silent {

namespace {

const char* const kSpoolerService = "Spooler";

// Not up yet: starting, or down as the checks would find it.
bool NotUpYet(sys::System& system, uint32_t state) {
    return state == sys::kServiceStartPending || host::IsSpoolerDown(system, state);
}

std::string Seconds(uint32_t milliseconds) { return std::to_string(milliseconds / 1000); }

}  // namespace

void WaitForSpoolerStart(sys::System& system, sys::UnattendedSystem& unattended,
                         InstallLog& log) {
    uint32_t state = 0;
    if (!system.QueryServiceStatus(kSpoolerService, state) || !NotUpYet(system, state)) return;
    uint32_t startType = 0;
    if (const uint32_t error = unattended.QueryServiceConfig(kSpoolerService, startType);
        error != 0) {
        log.Write("not waiting for the print spooler: how its service starts could not be "
                  "learnt: " + DescribeError(system, error));
        return;
    }
    if (startType != sys::kServiceAutoStart) return;
    log.Write("the print spooler service starts automatically and is not running yet: "
              "waiting for it, at most " + Seconds(kSpoolerStartBoundMilliseconds) + " seconds");
    for (uint32_t waited = 0; waited < kSpoolerStartBoundMilliseconds;) {
        system.Sleep(kSpoolerStartPollMilliseconds);
        waited += kSpoolerStartPollMilliseconds;
        if (!system.QueryServiceStatus(kSpoolerService, state)) {
            log.Write("the print spooler service could not be asked after " + Seconds(waited) +
                      " seconds; waiting no longer");
            return;
        }
        if (!NotUpYet(system, state)) {
            log.Write("the print spooler runs after " + Seconds(waited) + " seconds");
            return;
        }
    }
    log.Write("the print spooler did not start within " +
              Seconds(kSpoolerStartBoundMilliseconds) + " seconds");
}

}  // namespace silent
