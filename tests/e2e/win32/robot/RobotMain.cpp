// Drives the windows of a test prefix from a script and logs what it saw.
//
// Usage: e2e_robot.exe <script file> <log file>
// Exit codes: 0 every command ran; 1 a command failed (the log says which and why);
// 2 wrong usage or an unreadable script.

#include <windows.h>

#include <string>
#include <vector>

#include "../common/JsonObject.h"
#include "../common/LogFile.h"
#include "Robot.h"
#include "Script.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitCommandFailed = 1;
constexpr int kExitBadScript = 2;

std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory = path;
    return directory.substr(0, directory.find_last_of(L'\\'));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return kExitBadScript;
    const std::wstring logPath = argv[2];
    std::string script;
    std::vector<e2e::Command> commands;
    std::string error = "cannot read the script";
    if (!e2e::ReadWholeFile(argv[1], script) || !e2e::ParseScript(script, commands, error)) {
        e2e::AppendJson(logPath, e2e::JsonObject().Add("error", error).Add("ok", false));
        return kExitBadScript;
    }
    e2e::Robot robot(logPath, ProgramDirectory());
    return robot.Run(commands) ? kExitOk : kExitCommandFailed;
}
