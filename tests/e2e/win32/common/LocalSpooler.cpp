#include "LocalSpooler.h"

#include <winspool.h>

namespace e2e {

DWORD AddLocalPrinterDriver(std::wstring name, std::wstring driverFile, std::wstring dataFile,
                            std::wstring configFile) {
    DRIVER_INFO_3W info = {};
    info.cVersion = 3;
    info.pName = name.data();
    info.pDriverPath = driverFile.data();
    info.pDataFile = dataFile.data();
    info.pConfigFile = configFile.data();
    if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<LPBYTE>(&info))) return GetLastError();
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

}  // namespace e2e
