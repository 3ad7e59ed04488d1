#pragma once
// The system's printer-setup command on the fake machine: each command line that the
// fake starts does to the spooler lists what the real command would, so that what the
// spooler shows afterwards can be checked. A command that is told to fail starts and
// ends but changes nothing.

#include <functional>
#include <string>
#include <vector>

#include "tests/unit/FakeSystem.h"

namespace fake {

// The printer-setup command's arguments, split as its command-line parser does: blanks
// and tabs part them, double quotes group.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Does what one "rundll32 printui.dll,PrintUIEntry ..." line asks: /ia installs the
// driver /m (in "Windows x64" with /h "x64", else in "Windows NT x86"); /if installs the
// queue /b on port /r with driver /m, which must be installed or come with /f; /dl
// deletes the queue /n; /dd deletes the driver /m (with /h as for /ia) unless a queue
// uses it. Any other line changes nothing. A driver that /ia or /if installs, anew or
// over one of that name, gets the version of the INF it comes from: /f's, or for /ia
// the one the run staged.
void DoPrinterSetupCommand(FakeSystem& system, const std::string& commandLine);

// The queue that Windows makes when it installs the USB printer's driver from the INF:
// "RT450" on USB001 with the driver "RT450" of the INF's version.
void AddUsbQueue(FakeSystem& system, const std::string& infPath);

// The version of a fake INF's DriverVer line ("DriverVer=<date>,a.b.c.d"), packed as the
// spooler keeps it; 0 for a file without one.
uint64_t DriverVerOf(const FakeSystem& system, const std::string& infPath);

// From now on every command that the fake starts acts as above, except those for which
// fails answers true; and a USB printer's driver that is installed (by the update, or by
// Setup64.exe when it ends with 1) gets its queue.
void UsePrinterSetupDouble(FakeSystem& system,
                           std::function<bool(const std::string& commandLine)> fails = {});

}  // namespace fake
