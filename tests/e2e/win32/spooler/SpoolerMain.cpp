// Arranges the print spooler of a test prefix the way an earlier installation would
// have left it, and reports what it lists, one JSON object per call in the log.
//
// Usage: e2e_spooler.exe <log file> <verb> [<argument> ...]
//   add-driver <name> <driver file> <data file> <config file>
//                          a printer driver of the caller's environment, from files
//                          given by full path (the spooler copies them)
//   add-printer <name> <driver> <port>
//                          a local printer on that driver and port
//   list                   the names of the local printers and of the printer drivers
//   drivers <environment>  the names of the printer drivers of that environment
//                          ("Windows NT x86", "Windows x64"), and the file name of
//                          each one's driver file, which tells one install from another
// Exit codes: 0 done; 1 the spooler refused (the log holds its error code); 2 wrong usage.

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "../common/JsonObject.h"
#include "../common/LocalSpooler.h"
#include "../common/LogFile.h"
#include "../common/Text.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

// The names of every entry that an EnumPrinters-like call gives.
template <typename Info, typename Enumerate>
DWORD Names(Enumerate enumerate, LPWSTR Info::*name, std::vector<std::string>& names) {
    DWORD needed = 0, count = 0;
    enumerate(nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (!enumerate(buffer.data(), needed, &needed, &count)) return GetLastError();
    const auto* entries = reinterpret_cast<const Info*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) names.push_back(e2e::ToUtf8(entries[i].*name));
    return ERROR_SUCCESS;
}

DWORD List(e2e::JsonObject& line) {
    std::vector<std::string> printers, drivers;
    DWORD error =
        Names<PRINTER_INFO_4W>(
            [](LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD count) {
                return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, buffer, size, needed,
                                     count);
            },
            &PRINTER_INFO_4W::pPrinterName, printers);
    if (error == ERROR_SUCCESS)
        error = Names<DRIVER_INFO_1W>(
            [](LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD count) {
                return EnumPrinterDriversW(nullptr, nullptr, 1, buffer, size, needed, count);
            },
            &DRIVER_INFO_1W::pName, drivers);
    line.Add("printers", printers).Add("drivers", drivers);
    return error;
}

DWORD ListDriversOf(const std::wstring& environment, e2e::JsonObject& line) {
    std::vector<e2e::InstalledDriver> drivers;
    const DWORD error = e2e::ListPrinterDrivers(drivers, environment);
    std::vector<std::string> names, files;
    for (const e2e::InstalledDriver& driver : drivers) {
        names.push_back(e2e::ToUtf8(driver.name));
        files.push_back(e2e::ToUtf8(driver.driverFile.substr(driver.driverFile.find_last_of(L'\\') + 1)));
    }
    line.Add("environment", environment).Add("drivers", names).Add("driver_files", files);
    return error;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return kExitUsage;
    const std::wstring logPath = argv[1], verb = argv[2];
    const std::vector<std::wstring> args(argv + 3, argv + argc);

    e2e::JsonObject line;
    line.Add("verb", verb);
    DWORD error = ERROR_SUCCESS;
    if (verb == L"add-driver" && args.size() == 4) {
        error = e2e::AddLocalPrinterDriver(args[0], args[1], args[2], args[3]);
    } else if (verb == L"add-printer" && args.size() == 3) {
        error = e2e::AddLocalPrinter(args[0], args[1], args[2]);
    } else if (verb == L"list" && args.empty()) {
        error = List(line);
    } else if (verb == L"drivers" && args.size() == 1) {
        error = ListDriversOf(args[0], line);
    } else {
        return kExitUsage;
    }
    line.Add("ok", error == ERROR_SUCCESS).Add("error", static_cast<long long>(error));
    e2e::AppendJson(logPath, line);
    return error == ERROR_SUCCESS ? kExitOk : kExitRefused;
}
