// Every platform call that can fail is made to fail, once at a time and for good, in
// whole install runs on each host class. Each failure that the program reports shows
// its box, with its text, right after the failed call; each that it passes over shows
// none there. No run changes a file outside the staging destinations and the INF
// directory.

#include <gtest/gtest.h>

#include "setup/InstallSequence.h"
#include "tests/unit/LivedInMachine.h"

namespace {

using fake::Host;

const char* const kAllowedPrefixes[] = {
    "c:\\windows\\system32\\spool\\drivers\\",
    "c:\\windows\\driver cache\\i386",
    "c:\\windows\\inf\\",
};

const std::string kDriverDirectoryX86 = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";
const std::string kDriverDirectoryX64 = "C:\\WINDOWS\\system32\\spool\\drivers\\x64";
const std::string kDriverCache = "C:\\WINDOWS\\Driver Cache\\i386";
using fake::kOldDriverInUse;

// The path a changing call acts on, or "" for calls that change nothing.
std::string ChangedPath(const std::string& call) {
    for (const char* verb : {"CreateDirectory ", "DeleteFile ", "WriteFile "})
        if (call.rfind(verb, 0) == 0) return call.substr(std::string(verb).size());
    if (call.rfind("SetFileAttributes ", 0) == 0)
        return call.substr(18, call.rfind(' ') - 18);
    if (call.rfind("CopyFile ", 0) == 0) return call.substr(call.find(" -> ") + 4);
    return "";
}

struct Report {
    bool told = false;
    std::string text;
    std::string caption;
    bool afx = false;
};

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

// UI events share the call log: "box <text>", "quit", "port <result>".
bool IsUiEvent(const std::string& entry) {
    return StartsWith(entry, "box ") || entry == "quit" || StartsWith(entry, "port ");
}

// The platform calls logged before the entry at, the nearest first.
std::vector<std::string> CallsBefore(const std::vector<std::string>& log, size_t at,
                                     size_t count) {
    std::vector<std::string> calls;
    while (at-- > 0 && calls.size() < count)
        if (!IsUiEvent(log[at])) calls.push_back(log[at]);
    return calls;
}

bool Contains(const std::vector<std::string>& log, size_t before, const std::string& prefix) {
    for (size_t i = 0; i < before; ++i)
        if (StartsWith(log[i], prefix)) return true;
    return false;
}

// What the user is told right after the call at log[at] failed by injection of method.
Report ReportOf(const std::vector<std::string>& log, size_t at, const std::string& method,
                Host host) {
    const std::string& call = log[at];
    const std::string injected = "1117 (0x0000045D)";  // the system has no text for it
    const bool installing = Contains(log, at, "SetupCopyOEMInf");
    const std::string outcome =
        host == Host::Win7x86 ? "请接入USB线(已经接好则重开打印机)，\n系统会自动安装打印机！"
                              : "打印机安装失败，取消安装!";
    const std::string startFailed = "创建安装进程失败，取消安装！";
    const std::string setup64 = "CreateProcess .\\amd64\\Setup64.exe";
    const std::string info = "信息提示";
    const std::string installError = "安装错误";

    if (method == "IsWow64Process") return {true, "IsWow64 error!", "setup", true};
    if (method == "PathFileExists") {
        const std::string path = call.substr(std::string("PathFileExists ").size());
        if (StartsWith(path, ".\\")) return {true, path, "安装文件受损：找不到文件", false};
        for (const auto& destination : {kDriverCache, kDriverDirectoryX86, kDriverDirectoryX64})
            if (path == destination) return {true, path, installError, false};
        // The check before the copy (after the pause that follows the first check or the
        // delete): the old driver in use is copied over, which fails.
        const auto before = CallsBefore(log, at, 2);
        if (path == kOldDriverInUse && before.size() == 2 && before[0] == "Sleep 100" &&
            (before[1] == call || before[1] == "DeleteFile " + path))
            return {true,
                    "The process cannot access the file because it is being used by another "
                    "process.\r\n",
                    installError, false};
        return {};
    }
    if (method == "CopyFile" || method == "GetWindowsDirectory" ||
        method == "GetPrinterDriverDirectory")
        return {true, injected, installError, false};
    if (method == "SetupCopyOEMInf") return {true, "打印机安装失败，取消安装!", info, false};
    if (method == "SetupUninstallOEMInf")
        return {true, "请尝试以\"管理员身份\"运行安装程序以获得更多支持!", "setup", true};
    if (method == "CreateProcess" || method == "GetSystemDirectory")
        return installing ? Report{true, startFailed, info, false}
                          : Report{true, startFailed, "setup", true};
    // An exit code that cannot be read is a failure without a word of its own, and so is
    // an update that fails for an unknown reason: the sequence tells the outcome.
    if (method == "GetExitCodeProcess" || method == "UpdateDriverForPlugAndPlayDevices")
        return {true, outcome, info, false};
    // The queue check after Setup64.exe found no device: a failed list is no queue.
    if (method == "EnumPrinters" && Contains(log, at, setup64) &&
        StartsWith(CallsBefore(log, at, 1).at(0), "CreateProcess "))
        return {true, "请接入USB线(已经接好则重开打印机)，\n系统会自动安装打印机！", info, false};
    return {};
}

// The numbers (among all boxes) of the boxes shown after log[at] before the next
// platform call. Three calls may come between a failure and its box: a failed check
// leads to the copy or to making the folder, and an error's text is formatted.
std::vector<size_t> BoxesRightAfter(const std::vector<std::string>& log, size_t at) {
    size_t boxNumber = 0;
    for (size_t i = 0; i <= at; ++i)
        if (StartsWith(log[i], "box ")) ++boxNumber;
    std::vector<size_t> boxes;
    for (size_t i = at + 1; i < log.size(); ++i) {
        const std::string& entry = log[i];
        if (StartsWith(entry, "box ")) {
            boxes.push_back(boxNumber++);
        } else if (!IsUiEvent(entry) && !StartsWith(entry, "FormatMessage ") &&
                   !StartsWith(entry, "CreateDirectory ") && !StartsWith(entry, "CopyFile ")) {
            break;
        }
    }
    return boxes;
}

bool IsAllowed(fake::FakeSystem& system, const std::string& path) {
    const std::string key = system.Key(path);
    for (const char* prefix : kAllowedPrefixes)
        if (key.rfind(prefix, 0) == 0) return true;
    return false;
}

class FaultInjection : public ::testing::TestWithParam<Host> {};

TEST_P(FaultInjection, EveryFailingCallIsToldAndTheProgramEnds) {
    const Host host = GetParam();
    for (const char* method : fake::kFallibleCalls) {
        for (int occurrence : fake::kOccurrences) {
            for (int port : {76, 85}) {
                SCOPED_TRACE(std::string(method) + " #" + std::to_string(occurrence) +
                             " port " + std::to_string(port));
                fake::SetFlags(0, 0, 0);
                fake::FakeSystem system;
                fake::FakeUi ui;
                fake::MakeLivedInMachine(system, host);
                ui.portChoice = port;
                ui.timeline = &system.calls;
                system.failMethod = method;
                system.failOccurrence = occurrence;

                setup::InstallSequence(system, ui).OnInstall();

                for (size_t at : system.injectedAt) {
                    SCOPED_TRACE("failed: " + system.calls[at]);
                    const Report report = ReportOf(system.calls, at, method, host);
                    const std::vector<size_t> boxes = BoxesRightAfter(system.calls, at);
                    if (!report.told) {
                        EXPECT_TRUE(boxes.empty()) << ui.boxes[boxes[0]].text;
                        continue;
                    }
                    if (boxes.empty()) {
                        ADD_FAILURE() << "no box for it";
                        continue;
                    }
                    const fake::Box& box = ui.boxes[boxes[0]];
                    EXPECT_EQ(box.text, report.text);
                    EXPECT_EQ(box.caption, report.caption);
                    EXPECT_EQ(box.afx, report.afx);
                }
                for (const auto& box : ui.boxes) EXPECT_FALSE(box.text.empty());
                for (const auto& call : system.calls) {
                    const std::string path = ChangedPath(call);
                    if (!path.empty()) {
                        EXPECT_TRUE(IsAllowed(system, path)) << call;
                    }
                }
            }
        }
    }
    fake::SetFlags(0, 0, 0);
}

INSTANTIATE_TEST_SUITE_P(HostClasses, FaultInjection, fake::FaultInjectionHosts(),
                         fake::FaultInjectionHostName);

}  // namespace
