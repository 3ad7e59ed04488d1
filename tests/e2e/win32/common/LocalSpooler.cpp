#include "LocalSpooler.h"

#include <winspool.h>

namespace e2e {

namespace {
// The spooler's name for "the caller's environment".
LPWSTR EnvironmentArgument(std::wstring& environment) {
    return environment.empty() ? nullptr : environment.data();
}
}  // namespace

DWORD AddLocalPrinterDriver(std::wstring name, std::wstring driverFile, std::wstring dataFile,
                            std::wstring configFile, std::wstring environment) {
    DRIVER_INFO_3W info = {};
    info.cVersion = 3;
    info.pName = name.data();
    info.pEnvironment = EnvironmentArgument(environment);
    info.pDriverPath = driverFile.data();
    info.pDataFile = dataFile.data();
    info.pConfigFile = configFile.data();
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&info), APD_COPY_NEW_FILES))
        return GetLastError();
    return ERROR_SUCCESS;
}

DWORD AddLocalPrinter(std::wstring name, std::wstring driver, std::wstring port) {
    std::wstring processor = L"WinPrint", dataType = L"RAW";
    PRINTER_INFO_2W info = {};
    info.pPrinterName = name.data();
    info.pDriverName = driver.data();
    info.pPortName = port.data();
    info.pPrintProcessor = processor.data();
    info.pDatatype = dataType.data();
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    const HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    if (printer == nullptr) return GetLastError();
    ClosePrinter(printer);
    return ERROR_SUCCESS;
}

DWORD DeleteLocalPrinter(std::wstring name) {
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(name.data(), &printer, &access)) return GetLastError();
    const DWORD error = DeletePrinter(printer) ? ERROR_SUCCESS : GetLastError();
    ClosePrinter(printer);
    return error;
}

DWORD DeleteLocalPrinterDriver(std::wstring name, std::wstring environment) {
    if (!DeletePrinterDriverW(nullptr, EnvironmentArgument(environment), name.data()))
        return GetLastError();
    return ERROR_SUCCESS;
}

DWORD ListPrinterDrivers(std::vector<InstalledDriver>& drivers, std::wstring environment) {
    DWORD needed = 0, count = 0;
    EnumPrinterDriversW(nullptr, EnvironmentArgument(environment), 3, nullptr, 0, &needed,
                        &count);
    std::vector<BYTE> buffer(needed);
    if (!EnumPrinterDriversW(nullptr, EnvironmentArgument(environment), 3, buffer.data(),
                             needed, &needed, &count))
        return GetLastError();
    const auto* entries = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        drivers.push_back({entries[i].pName, entries[i].pDriverPath, entries[i].pDataFile,
                           entries[i].pConfigFile});
    return ERROR_SUCCESS;
}

}  // namespace e2e
