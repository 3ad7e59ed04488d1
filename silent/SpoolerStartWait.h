#pragma once
// A Group Policy startup script can run before the service control manager has started
// the print spooler: at boot the services set to start automatically come up in the order
// of their groups, and the delayed ones a while after the others. The unattended run
// waits for such a spooler, within a bound, before its checks would find it not running;
// a spooler that nobody is going to start (set to start manually, or disabled) is not
// waited for. The window program never waits: a person reads its box and starts it.

#include <cstdint>

#include "silent/InstallLog.h"
#include "sys/System.h"
#include "sys/UnattendedSystem.h"

namespace silent {

// How long the run waits for a spooler set to start automatically. Windows starts the
// delayed automatic services about 120 seconds after the last automatic one, and gives a
// service 30 seconds (ServicesPipeTimeout) to report that it runs; a spooler that is not
// up after both, and a minute more for a slow boot, is not coming.
inline constexpr uint32_t kSpoolerStartBoundMilliseconds = 3 * 60 * 1000;
// How often the service's state is asked meanwhile.
inline constexpr uint32_t kSpoolerStartPollMilliseconds = 1000;

// Returns at once when the spooler is up, cannot be asked (the checks tell why) or is not
// set to start automatically; else once it is up or the bound has passed. The wait and its
// outcome get a log line each; the polls none.
void WaitForSpoolerStart(sys::System& system, sys::UnattendedSystem& unattended,
                         InstallLog& log);

}  // namespace silent
