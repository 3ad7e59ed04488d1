#pragma once
// What the spooler and the INF directory show after a run, held against what the run's
// outcome claims: a deployment tool believes the exit code and never looks again, so a
// success is told only once it has been seen.

#include <string>

#include "silent/CommandLine.h"
#include "sys/System.h"

namespace silent {

struct Seen {
    bool asClaimed = false;
    std::string what;  // what was seen, for the log
    bool otherVersion = false;  // a driver of another version than this package's
};

// The queue "RT450" with the driver "RT450" on the port that the command line named:
// LPT1:, or for USB a port of the USB printer class ("USB001"), which the spooler makes
// on its own a moment after the device's driver is installed, so it is asked again for
// a while.
Seen SeeInstalledQueue(sys::System& system, Port port);

// The INF that the model's record file names is staged in the INF directory: what
// Windows installs from when the printer is plugged in. (Where Setup64.exe put the
// package into the driver store, its exit code said so; a 32-bit program cannot look
// there.)
Seen SeeDriverWaitingForDevice(sys::System& system);

// The driver "RT450" in the environment that the run installs into ("Windows x64" on
// 64-bit Windows, else "Windows NT x86") against this package's version: the DriverVer
// of the package folder's INF, what the run installed from. installed: the driver must
// be there (a queue on it was seen); else (the printer installs when it is plugged in)
// only a driver that is there is looked at. The spooler keeps the DriverVer of every
// driver installed from an INF; one that it keeps no version for (0: added without an
// INF, or any driver of Wine's spooler) is taken by its name, as the queue was, and the
// log says so.
Seen SeeThisPackagesDriver(sys::System& system, bool installed);

// Nothing of the model is left: no queue "RT450" and no queue on its driver; no driver
// "RT450" in "Windows NT x86", nor, on 64-bit Windows, in "Windows x64"; no record file;
// no staged INF file whose text names the model, among every oem*.inf of the system's
// own INF folder (the Windows folder's "inf", on whatever drive it is).
Seen SeeNothingLeft(sys::System& system);

}  // namespace silent
