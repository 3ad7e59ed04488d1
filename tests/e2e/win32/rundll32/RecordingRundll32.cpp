// Stands in for the system's rundll32.exe in a test prefix: records how it was started
// and, when the test has switched it on (PrintUiScript.h), does what the system's
// printer-setup command does through the spooler (PrintUiCommand.h); otherwise nothing,
// as Wine's own command. The record file holds the command line exactly as the parent
// passed it (ANSI bytes), a line feed, the current directory, a line feed, the start-up
// record that the parent handed over (one JSON object) and a line feed.
//
// Files are named after the process's creation time, which the system takes while the
// parent is still inside its CreateProcess call: sorted by name they give the order in
// which the parent started the commands, even when the children themselves run in
// another order.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../common/E2ePaths.h"
#include "../common/JsonObject.h"
#include "../common/LogFile.h"
#include "../common/Text.h"
#include "PrintUiCommand.h"
#include "PrintUiScript.h"

namespace {

unsigned long long CreationTime() {
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) |
           created.dwLowDateTime;
}

std::string CurrentDirectory() {
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    std::string directory(size, '\0');
    const DWORD length = GetCurrentDirectoryA(size, directory.data());
    directory.resize(length);
    return directory;
}

std::string HandleValue(HANDLE handle) {
    return e2e::Hex(reinterpret_cast<ULONG_PTR>(handle));
}

// What the parent put into the start-up record: the flags, the standard handles' values
// as they arrived (inherited or not), and the size of the C runtime's handle table.
std::string StartupRecord() {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    return e2e::JsonObject()
        .Add("flags", e2e::Hex(startup.dwFlags))
        .Add("show_window", static_cast<long long>(startup.wShowWindow))
        .Add("std_input", HandleValue(startup.hStdInput))
        .Add("std_output", HandleValue(startup.hStdOutput))
        .Add("std_error", HandleValue(startup.hStdError))
        .Add("reserved2_bytes", static_cast<long long>(startup.cbReserved2))
        .Str();
}

void Record() {
    CreateDirectoryW(e2e::kCommandsDir, nullptr);
    wchar_t name[64];
    std::swprintf(name, 64, L"\\%020llu-%08lu.txt", CreationTime(), GetCurrentProcessId());
    const std::string record = std::string(GetCommandLineA()) + "\n" + CurrentDirectory() +
                               "\n" + StartupRecord() + "\n";
    // A record that could not be written shows as a missing command in the test.
    e2e::WriteWholeFile(std::wstring(e2e::kCommandsDir) + name, record);
}

// The arguments after the entry point ("printui.dll,PrintUIEntry"), split as the
// system's command splits them.
std::vector<std::wstring> PrintUiArguments() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    for (int i = 2; words != nullptr && i < count; ++i) arguments.push_back(words[i]);
    LocalFree(words);
    return arguments;
}

// As the system's own programs: the spooler's libraries come from the system directory,
// never from the current one (the installer's folder, where tests plant libraries).
void LoadLibrariesFromTheSystemOnly() {
    using SetDirectories = decltype(&::SetDefaultDllDirectories);
    const auto setDirectories = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDirectories != nullptr) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

int main() {
    LoadLibrariesFromTheSystemOnly();
    Record();
    e2e::PrintUiScript script;
    std::string scriptError;
    const e2e::ScriptState state = e2e::ReadPrintUiScript(script, scriptError);
    // Exits 0 as Wine's printer-setup command does.
    if (state == e2e::ScriptState::Missing) return 0;
    e2e::JsonObject log;
    log.Add("command_line", e2e::AnsiToUtf8(GetCommandLineA()));
    DWORD code = ERROR_INVALID_DATA;
    if (state == e2e::ScriptState::Unreadable) {
        log.Add("script_error", scriptError).Add("exit_code", static_cast<long long>(code));
    } else {
        code = e2e::RunPrintUiCommand(PrintUiArguments(), script, log);
    }
    e2e::AppendJson(e2e::kPrintUiLogPath, log);
    return static_cast<int>(code);
}
