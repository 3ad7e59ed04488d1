// The test prefixes' newdev.dll: the Plug-and-Play driver update and the driver
// pre-install as Windows answers them, for the devices that the test's device script
// says are plugged in (Wine's own update succeeds for any hardware id). Every call is
// appended to the device log with its arguments, the calling program and its bitness,
// the result and the error code.

#include <windows.h>
#include <newdev.h>
#include <setupapi.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "../common/E2ePaths.h"
#include "../common/JsonObject.h"
#include "../common/LocalSpooler.h"
#include "../common/LogFile.h"
#include "../common/Text.h"
#include "DeviceScript.h"

namespace {

constexpr long long kCallerBits = sizeof(void*) * 8;

std::wstring Widen(const char* ansi) {
    if (ansi == nullptr) return {};
    const int count = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide.data(), count);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

std::string ProgramName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full = path;
    return e2e::ToUtf8(full.substr(full.find_last_of(L"\\/") + 1));
}

bool IsWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The system takes only a full path: a drive and a root, or a UNC name.
bool IsFullPath(const std::wstring& path) {
    const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    return drive || path.rfind(L"\\\\", 0) == 0;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What an INF path argument is worth, ERROR_SUCCESS when it names an existing file.
DWORD CheckInfPath(const wchar_t* infPath) {
    if (infPath == nullptr) return ERROR_INVALID_PARAMETER;
    if (!IsFullPath(infPath) || !IsFile(infPath)) return ERROR_FILE_NOT_FOUND;
    return ERROR_SUCCESS;
}

bool QueueExists(std::wstring name) {
    HANDLE printer = nullptr;
    if (!OpenPrinterW(name.data(), &printer, nullptr)) return false;
    ClosePrinter(printer);
    return true;
}

// As Plug and Play does once a printer's driver is installed: its driver and its queue
// in the spooler, the driver files taken from the INF's folder; a device that has its
// queue keeps it. Returns what happened, for the log.
std::string AddQueue(const e2e::PrinterQueue& queue, const std::wstring& infPath) {
    const std::string logName = e2e::ToUtf8(queue.name) + ": ";
    if (QueueExists(queue.name)) return logName + "present";
    const std::wstring folder = infPath.substr(0, infPath.find_last_of(L'\\') + 1);
    DWORD error = e2e::AddLocalPrinterDriver(queue.name, folder + queue.driverFile,
                                             folder + queue.dataFile, folder + queue.configFile);
    if (error == ERROR_SUCCESS) error = e2e::AddLocalPrinter(queue.name, queue.name, queue.port);
    return logName + (error == ERROR_SUCCESS ? "added" : e2e::Hex(error));
}

// Ends a call: logs it and leaves `error` as the thread's last error.
BOOL Finish(e2e::JsonObject& log, DWORD error) {
    log.Add("program", ProgramName())
        .Add("bits", kCallerBits)
        .Add("result", error == ERROR_SUCCESS)
        .Add("error", e2e::Hex(error));
    e2e::AppendJson(e2e::kDeviceLogPath, log);
    SetLastError(error);
    return error == ERROR_SUCCESS;
}

// Reads the script, then makes the checks that both functions make first, in the order
// Windows makes them; a forced code stands for whatever else could go wrong.
// ERROR_SUCCESS lets the call go on.
DWORD Prologue(e2e::JsonObject& log, e2e::DeviceScript& script, const wchar_t* function,
               DWORD flags, DWORD validFlags, const wchar_t* infPath) {
    std::string scriptError;
    if (!e2e::ReadDeviceScript(script, scriptError)) {
        log.Add("script_error", scriptError);
        return ERROR_INVALID_DATA;
    }
    // A 32-bit process cannot install devices on 64-bit Windows.
    if (IsWow64()) return ERROR_IN_WOW64;
    DWORD forced = ERROR_SUCCESS;
    if (script.ForcedError(function, forced)) return forced;
    if (flags & ~validFlags) return ERROR_INVALID_FLAGS;
    return CheckInfPath(infPath);
}

BOOL Update(const char* function, const std::wstring& hardwareId, const wchar_t* infPath,
            DWORD flags, PBOOL rebootRequired) {
    e2e::JsonObject log;
    log.Add("function", function)
        .Add("hardware_id", e2e::ToUtf8(hardwareId))
        .Add("inf", e2e::ToUtf8(infPath ? infPath : L""))
        .Add("flags", static_cast<long long>(flags));
    e2e::DeviceScript script;
    DWORD error = Prologue(log, script, L"UpdateDriverForPlugAndPlayDevices", flags,
                           INSTALLFLAG_BITS, infPath);
    if (error == ERROR_SUCCESS && hardwareId.empty()) error = ERROR_INVALID_PARAMETER;
    if (error == ERROR_SUCCESS && !script.IsPlugged(hardwareId)) error = ERROR_NO_SUCH_DEVINST;
    if (error == ERROR_SUCCESS) {
        std::vector<std::string> queues;
        for (const e2e::PrinterQueue& queue : script.queues)
            queues.push_back(AddQueue(queue, infPath));
        log.Add("queues", queues);
        if (rebootRequired != nullptr) *rebootRequired = FALSE;
    }
    return Finish(log, error);
}

BOOL PreInstall(const char* function, const wchar_t* infPath, DWORD flags,
                PBOOL needReboot) {
    e2e::JsonObject log;
    log.Add("function", function)
        .Add("inf", e2e::ToUtf8(infPath ? infPath : L""))
        .Add("flags", static_cast<long long>(flags));
    // Puts the package into the driver store: no device changes.
    e2e::DeviceScript script;
    const DWORD error =
        Prologue(log, script, L"DiInstallDriver", flags, DIIRFLAG_BITS, infPath);
    if (error == ERROR_SUCCESS && needReboot != nullptr) *needReboot = FALSE;
    return Finish(log, error);
}

}  // namespace

extern "C" {

BOOL WINAPI UpdateDriverForPlugAndPlayDevicesA(HWND, LPCSTR hardwareId, LPCSTR fullInfPath,
                                               DWORD installFlags, PBOOL rebootRequired) {
    const std::wstring infPath = Widen(fullInfPath);
    return Update(__func__, Widen(hardwareId), fullInfPath ? infPath.c_str() : nullptr,
                  installFlags, rebootRequired);
}

BOOL WINAPI UpdateDriverForPlugAndPlayDevicesW(HWND, LPCWSTR hardwareId, LPCWSTR fullInfPath,
                                               DWORD installFlags, PBOOL rebootRequired) {
    return Update(__func__, hardwareId ? hardwareId : L"", fullInfPath, installFlags,
                  rebootRequired);
}

BOOL WINAPI DiInstallDriverA(HWND, LPCSTR infPath, DWORD flags, PBOOL needReboot) {
    const std::wstring wide = Widen(infPath);
    return PreInstall(__func__, infPath ? wide.c_str() : nullptr, flags, needReboot);
}

BOOL WINAPI DiInstallDriverW(HWND, LPCWSTR infPath, DWORD flags, PBOOL needReboot) {
    return PreInstall(__func__, infPath, flags, needReboot);
}

}  // extern "C"
