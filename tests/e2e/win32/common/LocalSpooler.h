#pragma once
// Adding a printer driver and a printer to the local spooler, for the caller's
// environment, as an installation does. Each gives ERROR_SUCCESS or the spooler's error
// code, taken at once.

#include <windows.h>

#include <string>

namespace e2e {

// The driver files by full path: the spooler copies them and never loads them.
DWORD AddLocalPrinterDriver(std::wstring name, std::wstring driverFile, std::wstring dataFile,
                            std::wstring configFile);
// A local printer on the print processor "WinPrint".
DWORD AddLocalPrinter(std::wstring name, std::wstring driver, std::wstring port);

}  // namespace e2e
