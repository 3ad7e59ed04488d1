#pragma once
// What the test says the printer-setup double does, read from its script at every start.
// Without the script the stand-in only records its start, as Wine's own command changes
// nothing. One setting per line, words parted by blanks, '#' starting a comment line:
//   driver <model> <driver file> <data file> <config file>
//                          the files that the INF's install section names for the model
//                          (the double reads no INF); a model without a line is unknown
//   fail <switch> <code>   a command whose action is <switch> (/ia, /if, /dl, /dd, /y)
//                          changes nothing and exits with <code> (0x hex or decimal)
//   hold <switch> <file>   a command whose action is <switch> waits until <file> exists
//                          (five minutes at most) before it goes on: the test decides
//                          how long the run that started it stays under way
//   hang <switch> <file>   a command whose action is <switch> never ends: until it is
//                          ended from outside it rewrites <file> with its tick count
//                          every 100 ms, so a file that stops changing shows it gone

#include <windows.h>

#include <map>
#include <string>

#include "../common/ScriptFile.h"

namespace e2e {

struct DriverFiles {
    std::wstring driverFile;
    std::wstring dataFile;
    std::wstring configFile;
};

struct PrintUiScript {
    std::map<std::wstring, DriverFiles> models;
    std::map<std::wstring, DWORD> failures;   // action switch -> exit code
    std::map<std::wstring, std::wstring> holds;  // action switch -> file that releases it
    std::map<std::wstring, std::wstring> hangs;  // action switch -> file it beats into
};

// Missing: the double is off. Unreadable comes with the reason.
ScriptState ReadPrintUiScript(PrintUiScript& script, std::string& error);

}  // namespace e2e
