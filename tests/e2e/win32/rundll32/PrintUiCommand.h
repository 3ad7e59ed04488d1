#pragma once
// The printer-setup double: what the system's printer-setup command does through the
// spooler, for the switches that the installer uses.
//   /ia /m <model> [/f <inf>] [/h x64|x86]   adds the model's driver
//   /if /b <printer> [/f <inf>] /r <port> /m <model>
//                                           adds the printer on the model's driver
//   /dl /n <printer>                        deletes the printer
//   /dd /m <model> [/h x64|x86]             deletes the driver
//   /y /n <printer>                         makes the printer the default one
// Other switches (/q, /K, /v) change nothing here. The driver files come from the INF's
// folder (/f, relative to the current directory), or without /f from the spooler's
// driver directory of the environment, where an installer stages a package before it
// runs the command. /h names the environment; without it the driver goes to the
// spooler's own, which a 32-bit stand-in under Wine reaches only as "Windows NT x86".

#include <windows.h>

#include <string>
#include <vector>

#include "../common/JsonObject.h"
#include "PrintUiScript.h"

namespace e2e {

// Carries out the command whose arguments follow "printui.dll,PrintUIEntry"; returns the
// exit code (0, the spooler's error code, or the one the script forces) and adds what
// it did to `log`.
DWORD RunPrintUiCommand(const std::vector<std::wstring>& arguments,
                        const PrintUiScript& script, JsonObject& log);

}  // namespace e2e
