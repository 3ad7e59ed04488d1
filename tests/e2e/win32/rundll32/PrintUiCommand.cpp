#include "PrintUiCommand.h"

#include <winspool.h>

#include <map>

#include "../common/LocalSpooler.h"
#include "../common/LogFile.h"
#include "../common/Text.h"

namespace e2e {

namespace {

const wchar_t* const kActions[] = {L"/ia", L"/if", L"/dl", L"/dd", L"/y"};
// The switches that take the next argument as their value.
const wchar_t* const kValueSwitches[] = {L"/b", L"/f", L"/r", L"/m", L"/n", L"/h", L"/v"};

struct Command {
    std::wstring action;
    std::map<std::wstring, std::wstring> values;

    std::wstring Value(const wchar_t* name) const {
        const auto found = values.find(name);
        return found == values.end() ? std::wstring() : found->second;
    }
    bool Has(const wchar_t* name) const { return values.count(name) != 0; }
};

bool IsOneOf(const std::wstring& word, const wchar_t* const (&names)[5]) {
    for (const wchar_t* name : names)
        if (word == name) return true;
    return false;
}

bool TakesValue(const std::wstring& word) {
    for (const wchar_t* name : kValueSwitches)
        if (word == name) return true;
    return false;
}

Command Parse(const std::vector<std::wstring>& arguments) {
    Command command;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& word = arguments[i];
        if (TakesValue(word) && i + 1 < arguments.size()) {
            command.values[word] = arguments[++i];
        } else if (command.action.empty() && IsOneOf(word, kActions)) {
            command.action = word;
        }
    }
    return command;
}

bool IsWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The spooler's own environment: on 64-bit Windows the 64-bit one, whoever calls.
std::wstring NativeEnvironment() { return IsWow64() ? L"Windows x64" : kCallerEnvironment; }

// The environment that /h names; the spooler's own without it.
DWORD EnvironmentOf(const Command& command, std::wstring& environment) {
    const std::wstring architecture = command.Value(L"/h");
    if (architecture.empty()) environment = kCallerEnvironment;
    else if (architecture == L"x64") environment = L"Windows x64";
    else if (architecture == L"x86") environment = L"Windows NT x86";
    else return ERROR_INVALID_ENVIRONMENT;
    return ERROR_SUCCESS;
}

// The folder of the driver files, with a trailing backslash.
DWORD SourceFolder(const Command& command, const std::wstring& environment,
                   std::wstring& folder) {
    if (command.Has(L"/f")) {
        wchar_t full[MAX_PATH] = {};
        const std::wstring inf = command.Value(L"/f");
        const DWORD length = GetFullPathNameW(inf.c_str(), MAX_PATH, full, nullptr);
        if (length == 0 || length >= MAX_PATH) return ERROR_FILE_NOT_FOUND;
        if (GetFileAttributesW(full) == INVALID_FILE_ATTRIBUTES) return ERROR_FILE_NOT_FOUND;
        const std::wstring path = full;
        folder = path.substr(0, path.find_last_of(L'\\') + 1);
        return ERROR_SUCCESS;
    }
    std::wstring name = environment;
    wchar_t directory[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, name.data(), 1, reinterpret_cast<LPBYTE>(directory),
                                    sizeof(directory), &needed))
        return GetLastError();
    folder = std::wstring(directory) + L"\\";
    return ERROR_SUCCESS;
}

std::string Outcome(DWORD error) { return error == ERROR_SUCCESS ? "done" : Hex(error); }

class Doer {
public:
    Doer(const PrintUiScript& script, std::vector<std::string>& steps)
        : script_(script), steps_(steps) {}

    DWORD AddDriver(const Command& command, const std::wstring& environment) {
        const std::wstring model = command.Value(L"/m");
        const auto files = script_.models.find(model);
        DWORD error = ERROR_UNKNOWN_PRINTER_DRIVER;
        std::wstring folder;
        if (files != script_.models.end()) error = SourceFolder(command, environment, folder);
        if (error == ERROR_SUCCESS)
            error = AddLocalPrinterDriver(model, folder + files->second.driverFile,
                                          folder + files->second.dataFile,
                                          folder + files->second.configFile, environment);
        return Step("add driver " + ToUtf8(model) + " in " + ToUtf8(environment), error);
    }

    // Without an INF the printer takes the driver that the spooler has. Wine's 32-bit
    // spooler keeps a printer only on a driver of the caller's environment: a driver that
    // 64-bit Windows has in its own is registered there again with the same files.
    DWORD FindDriver(const std::wstring& model) {
        std::vector<InstalledDriver> own, native;
        DWORD error = ListPrinterDrivers(own);
        if (error != ERROR_SUCCESS) return Step("list drivers", error);
        for (const InstalledDriver& driver : own)
            if (driver.name == model) return ERROR_SUCCESS;
        const std::wstring nativeEnvironment = NativeEnvironment();
        if (nativeEnvironment != kCallerEnvironment) {
            error = ListPrinterDrivers(native, nativeEnvironment);
            if (error != ERROR_SUCCESS) return Step("list drivers", error);
            for (const InstalledDriver& driver : native)
                if (driver.name == model)
                    return Step("add driver " + ToUtf8(model) + " of " +
                                    ToUtf8(nativeEnvironment) + " in " +
                                    ToUtf8(kCallerEnvironment),
                                AddLocalPrinterDriver(model, driver.driverFile, driver.dataFile,
                                                      driver.configFile));
        }
        return Step("find driver " + ToUtf8(model), ERROR_UNKNOWN_PRINTER_DRIVER);
    }

    // Wine's spooler answers success for a driver that it does not have; Windows does not.
    DWORD DeleteDriver(const std::wstring& model, const std::wstring& environment) {
        std::vector<InstalledDriver> drivers;
        DWORD error = ListPrinterDrivers(drivers, environment);
        if (error == ERROR_SUCCESS) {
            error = ERROR_UNKNOWN_PRINTER_DRIVER;
            for (const InstalledDriver& driver : drivers)
                if (driver.name == model) error = DeleteLocalPrinterDriver(model, environment);
        }
        return Step("delete driver " + ToUtf8(model) + " in " + ToUtf8(environment), error);
    }

    DWORD AddPrinter(const Command& command) {
        const std::wstring model = command.Value(L"/m");
        DWORD error = command.Has(L"/f") ? AddDriver(command, kCallerEnvironment)
                                          : FindDriver(model);
        if (error != ERROR_SUCCESS) return error;
        const std::wstring name = command.Value(L"/b");
        const std::wstring port = command.Value(L"/r");
        error = AddLocalPrinter(name, model, port);
        return Step("add printer " + ToUtf8(name) + " on " + ToUtf8(port), error);
    }

    DWORD Step(const std::string& what, DWORD error) {
        steps_.push_back(what + ": " + Outcome(error));
        return error;
    }

private:
    const PrintUiScript& script_;
    std::vector<std::string>& steps_;
};

DWORD Carry(const Command& command, Doer& doer) {
    std::wstring environment;
    if (command.action == L"/ia") {
        const DWORD error = EnvironmentOf(command, environment);
        return error == ERROR_SUCCESS ? doer.AddDriver(command, environment)
                                      : doer.Step("environment", error);
    }
    if (command.action == L"/if") return doer.AddPrinter(command);
    const std::wstring name = command.Value(L"/n");
    if (command.action == L"/dl")
        return doer.Step("delete printer " + ToUtf8(name), DeleteLocalPrinter(name));
    if (command.action == L"/dd") {
        const DWORD error = EnvironmentOf(command, environment);
        if (error != ERROR_SUCCESS) return doer.Step("environment", error);
        return doer.DeleteDriver(command.Value(L"/m"), environment);
    }
    if (command.action == L"/y") {
        const BOOL set = SetDefaultPrinterW(name.c_str());
        return doer.Step("set default printer " + ToUtf8(name),
                         set ? ERROR_SUCCESS : GetLastError());
    }
    return ERROR_SUCCESS;
}

bool WaitForRelease(const std::wstring& file) {
    const ULONGLONG deadline = GetTickCount64() + 5 * 60 * 1000;
    while (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(100);
    }
    return true;
}

// Never returns: only an end from outside (a job's, a terminated process's) stops the
// beats.
[[noreturn]] void HangBeating(const std::wstring& file) {
    for (;;) {
        WriteWholeFile(file, std::to_string(GetTickCount64()));
        Sleep(100);
    }
}

}  // namespace

DWORD RunPrintUiCommand(const std::vector<std::wstring>& arguments,
                        const PrintUiScript& script, JsonObject& log) {
    const Command command = Parse(arguments);
    log.Add("action", command.action);
    std::vector<std::string> steps;
    if (const auto hang = script.hangs.find(command.action); hang != script.hangs.end())
        HangBeating(hang->second);
    if (const auto hold = script.holds.find(command.action); hold != script.holds.end())
        steps.push_back(WaitForRelease(hold->second) ? "held until released"
                                                      : "held, never released");
    DWORD code = ERROR_SUCCESS;
    const auto forced = script.failures.find(command.action);
    if (forced != script.failures.end()) {
        code = forced->second;
        steps.push_back("forced to fail");
    } else {
        Doer doer(script, steps);
        code = Carry(command, doer);
    }
    log.Add("steps", steps).Add("exit_code", static_cast<long long>(code));
    return code;
}

}  // namespace e2e
