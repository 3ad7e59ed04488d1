// Setup64.exe: a GUI-subsystem program so that starting it shows no console, and it
// opens no window; the installer that waits for it reads only its exit code.

#include <cstdlib>
#include <string>
#include <vector>

#include "setup64/Setup64Main.h"
#include "sys/SystemLibrary.h"
#include "sys/Win32System.h"
#include "sys/WindowsApi.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    sys::RestrictDllSearch();
    // The C runtime has already split the ANSI command line by the system's quoting
    // rules; a process started with an empty command line has no program name either.
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);

    sys::Win32System system;
    return setup64::RunSetup64(system, args);
}
