// Stands in for the system's rundll32.exe in a test prefix: records how it was started
// and does nothing else. The file holds the command line exactly as the parent passed
// it (ANSI bytes), a line feed, the current directory and a line feed.
//
// Files are named after the process's creation time, which the system takes while the
// parent is still inside its CreateProcess call: sorted by name they give the order in
// which the parent started the commands, even when the children themselves run in
// another order.

#include <windows.h>

#include <cstdio>
#include <string>

#include "../common/E2ePaths.h"
#include "../common/LogFile.h"

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

}  // namespace

int main() {
    CreateDirectoryW(e2e::kCommandsDir, nullptr);
    wchar_t name[64];
    std::swprintf(name, 64, L"\\%020llu-%08lu.txt", CreationTime(), GetCurrentProcessId());
    const std::string record = std::string(GetCommandLineA()) + "\n" + CurrentDirectory() + "\n";
    // Exits 0 as the system's own printer-setup command does; a record that could not be
    // written shows as a missing command in the test.
    e2e::WriteWholeFile(std::wstring(e2e::kCommandsDir) + name, record);
    return 0;
}
