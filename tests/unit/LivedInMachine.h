#pragma once
// The machine of the fault-injection tests: the package and the leftovers of an earlier
// installation, and the faults injected into it: every platform call that can fail, made
// to fail once at a time and for good.

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/HostFixture.h"

namespace fake {

inline const char* const kFallibleCalls[] = {
    "HasProcAddress",   "IsWow64Process",     "GetVersionEx",
    "PathFileExists",   "CreateDirectory",    "CopyFile",
    "DeleteFile",       "GetFileAttributes",  "SetFileAttributes",
    "ReadFile",         "WriteFile",          "GetFullPathName",
    "GetWindowsDirectory", "GetSystemDirectory", "GetPrinterDriverDirectory",
    "EnumPrinterDrivers",  "EnumPrinters",     "CreateProcess",
    "GetExitCodeProcess",  "SetupCopyOEMInf",  "SetupUninstallOEMInf",
    "UpdateDriverForPlugAndPlayDevices", "EnumPrinterQueues", "EnumPrinterDriversIn",
    "GetCPInfo",
    "QueryServiceStatus", "IsProtectedPrintEnabled",
    "IsWow64Process2",    "GetTokenInformationTokenElevation",
    "CheckTokenMembershipAdministrators",
};
// -1 fails every call of the kind; the others fail one call, counted from 0.
inline const int kOccurrences[] = {-1, 0, 1, 7, 150};

// The spooler has the old universal driver loaded.
inline const std::string kOldDriverInUse =
    "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\UNIDRV.DLL";

inline void MakeLivedInMachine(FakeSystem& system, Host host) {
    MakeHost(system, host);
    AddWholePackage(system);
    system.AddDirectory("C:\\WINDOWS\\Driver Cache\\i386");
    system.printers = {"RT450", "RT450 (副本 1)"};
    system.drivers = {"RT450"};
    system.AddFile("c:\\windows\\inf\\RT450.txt", "oem5.inf");
    system.AddFile("c:\\windows\\inf\\oem5.inf", "[Strings]\nModel=\"RT450\"\n");
    system.AddFile("c:\\windows\\inf\\oem9.inf", "; RT450 (副本 1)\n");
    system.AddFile(kOldDriverInUse, "old");
    system.inUse.insert(kOldDriverInUse);
    if (host == Host::Win10x64 || host == Host::Win7x64) {
        system.updateDriverError = sys::kErrorInWow64;
        system.exitCode = 10;
    }
}

// One fault on the lived-in machine of a host: the fake machine with the fault set, and
// the port the user picks.
struct InjectedFault {
    const char* method;
    int occurrence;
    int port;

    // The lived-in machine of the host with this fault injected.
    void Arrange(FakeSystem& system, Host host) const {
        MakeLivedInMachine(system, host);
        system.failMethod = method;
        system.failOccurrence = occurrence;
    }
};

// Calls run(fault) for every fault and port, with the fault in the trace and the
// platform flags cleared before each.
template <typename Run>
void ForEachInjectedFault(Run run) {
    for (const char* method : kFallibleCalls) {
        for (int occurrence : kOccurrences) {
            for (int port : {76, 85}) {
                SCOPED_TRACE(std::string(method) + " #" + std::to_string(occurrence) +
                             " port " + std::to_string(port));
                SetFlags(0, 0, 0);
                run(InjectedFault{method, occurrence, port});
            }
        }
    }
    SetFlags(0, 0, 0);
}

// The host classes the fault injections run on, with their test names.
inline auto FaultInjectionHosts() {
    return ::testing::Values(Host::Xp32, Host::Win7x86, Host::Win10x64);
}
inline std::string FaultInjectionHostName(const ::testing::TestParamInfo<Host>& param) {
    switch (param.param) {
    case Host::Xp32: return "Xp32";
    case Host::Win7x86: return "Win7x86";
    default: return "Win10x64";
    }
}

}  // namespace fake
