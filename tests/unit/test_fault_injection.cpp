// Every platform call that can fail is made to fail, once at a time and for good, in
// whole install runs on each host class. Whatever fails, the run tells the user in words,
// ends the program, and changes no file outside the staging destinations and the INF
// directory.

#include <gtest/gtest.h>

#include "setup/InstallSequence.h"
#include "tests/unit/HostFixture.h"

namespace {

using fake::Host;

const char* const kFallibleCalls[] = {
    "HasProcAddress",   "IsWow64Process",     "GetVersionEx",
    "PathFileExists",   "CreateDirectory",    "CopyFile",
    "DeleteFile",       "GetFileAttributes",  "SetFileAttributes",
    "ReadFile",         "WriteFile",          "GetFullPathName",
    "GetWindowsDirectory", "GetSystemDirectory", "GetPrinterDriverDirectory",
    "EnumPrinterDrivers",  "EnumPrinters",     "CreateProcess",
    "GetExitCodeProcess",  "SetupCopyOEMInf",  "SetupUninstallOEMInf",
    "UpdateDriverForPlugAndPlayDevices",
};
// -1 fails every call of the kind; the others fail one call, counted from 0.
const int kOccurrences[] = {-1, 0, 1, 7, 150};

const char* const kAllowedPrefixes[] = {
    "c:\\windows\\system32\\spool\\drivers\\",
    "c:\\windows\\driver cache\\i386",
    "c:\\windows\\inf\\",
};

// A machine with the package and the leftovers of an earlier installation.
void MakeLivedInMachine(fake::FakeSystem& system, Host host) {
    fake::MakeHost(system, host);
    fake::AddWholePackage(system);
    system.AddDirectory("C:\\WINDOWS\\Driver Cache\\i386");
    system.printers = {"RT450", "RT450 (副本 1)"};
    system.drivers = {"RT450"};
    system.AddFile("c:\\windows\\inf\\RT450.txt", "oem5.inf");
    system.AddFile("c:\\windows\\inf\\oem5.inf", "[Strings]\nModel=\"RT450\"\n");
    system.AddFile("c:\\windows\\inf\\oem9.inf", "; RT450 (副本 1)\n");
    system.AddFile("C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\UNIDRV.DLL", "old");
    if (host == Host::Win10x64 || host == Host::Win7x64) {
        system.updateDriverError = sys::kErrorInWow64;
        system.exitCode = 10;
    }
}

// The path a changing call acts on, or "" for calls that change nothing.
std::string ChangedPath(const std::string& call) {
    for (const char* verb : {"CreateDirectory ", "DeleteFile ", "WriteFile "})
        if (call.rfind(verb, 0) == 0) return call.substr(std::string(verb).size());
    if (call.rfind("SetFileAttributes ", 0) == 0)
        return call.substr(18, call.rfind(' ') - 18);
    if (call.rfind("CopyFile ", 0) == 0) return call.substr(call.find(" -> ") + 4);
    return "";
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
    for (const char* method : kFallibleCalls) {
        for (int occurrence : kOccurrences) {
            for (int port : {76, 85}) {
                SCOPED_TRACE(std::string(method) + " #" + std::to_string(occurrence) +
                             " port " + std::to_string(port));
                fake::SetFlags(0, 0, 0);
                fake::FakeSystem system;
                fake::FakeUi ui;
                MakeLivedInMachine(system, host);
                ui.portChoice = port;
                system.failMethod = method;
                system.failOccurrence = occurrence;

                setup::InstallSequence(system, ui).OnInstall();

                ASSERT_FALSE(ui.events.empty());
                EXPECT_EQ(ui.events.back(), "quit");
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

INSTANTIATE_TEST_SUITE_P(HostClasses, FaultInjection,
                         ::testing::Values(Host::Xp32, Host::Win7x86, Host::Win10x64),
                         [](const ::testing::TestParamInfo<Host>& param) {
                             switch (param.param) {
                             case Host::Xp32: return "Xp32";
                             case Host::Win7x86: return "Win7x86";
                             default: return "Win10x64";
                             }
                         });

}  // namespace
