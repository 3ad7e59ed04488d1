#pragma once
// Adding and deleting printer drivers and printers in the local spooler, as an
// installation and a removal do. Each gives ERROR_SUCCESS or the spooler's error code,
// taken at once.

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The environment of the calling process, which the spooler takes when none is named.
constexpr const wchar_t* kCallerEnvironment =
    sizeof(void*) == 8 ? L"Windows x64" : L"Windows NT x86";

// The driver files by full path: the spooler copies them and never loads them. An empty
// environment is the caller's.
DWORD AddLocalPrinterDriver(std::wstring name, std::wstring driverFile, std::wstring dataFile,
                            std::wstring configFile, std::wstring environment = {});
// A local printer on the print processor "WinPrint".
DWORD AddLocalPrinter(std::wstring name, std::wstring driver, std::wstring port);
DWORD DeleteLocalPrinter(std::wstring name);
DWORD DeleteLocalPrinterDriver(std::wstring name, std::wstring environment = {});

struct InstalledDriver {
    std::wstring name;
    std::wstring driverFile;   // full paths of the spooler's copies
    std::wstring dataFile;
    std::wstring configFile;
};
// The drivers of an environment (empty: the caller's).
DWORD ListPrinterDrivers(std::vector<InstalledDriver>& drivers, std::wstring environment = {});

}  // namespace e2e
