// SilentSetup.exe: a GUI-subsystem program so that a deployment tool that starts it
// flashes no console, and it opens no window; it tells its outcome by its exit code and
// its log.

#include <string>
#include <vector>

#include "silent/SilentSetup.h"
#include "sys/SystemLibrary.h"
#include "sys/Win32System.h"
#include "sys/Win32UnattendedSystem.h"
#include "sys/WindowsApi.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // No system box (a crash, a drive without a disk) may wait for a click that nobody
    // in a service session can give: the failure comes back to the program instead.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    sys::RestrictDllSearch();
    // The C runtime has split the ANSI command line by the system's quoting rules, so
    // /log:"C:\a folder\x.log" arrives as one argument without its quotes.
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);

    sys::Win32System system;
    sys::Win32UnattendedSystem unattended;
    return silent::RunSilentSetup(system, unattended, args);
}
