#include "host/PcChecks.h"

namespace host {

namespace {

void CheckSpooler(sys::System& system, PcCheckReport& report) {
    uint32_t state = 0;
    if (!system.QueryServiceStatus("Spooler", state)) {
        report.failures.push_back({PcCheck::Spooler, system.GetLastError()});
        return;
    }
    if (IsSpoolerDown(system, state)) report.findings.push_back(PcCheck::Spooler);
}

// Windows before 8 has no run-time classes, and before 11 24H2 not this one.
bool IsMissingCall(uint32_t error) {
    return error == sys::kClassNotRegistered || error == sys::kErrorModNotFound ||
           error == sys::kErrorProcNotFound;
}

// The platform's own answer alone: it knows the mode that a policy or device management
// turned on. The policy's registry value proves nothing: a policy writes it on every PC
// it reaches, and Windows before 11 24H2 has no such mode and takes the printer as always.
void CheckProtectedPrint(sys::System& system, PcCheckReport& report) {
    bool enabled = false;
    if (system.IsProtectedPrintEnabled(enabled)) {
        if (enabled) report.findings.push_back(PcCheck::ProtectedPrint);
    } else if (const uint32_t error = system.GetLastError(); !IsMissingCall(error)) {
        report.failures.push_back({PcCheck::ProtectedPrint, error});
    }
}

// IsWow64Process answers the same on ARM64 as on x64; only IsWow64Process2 tells the
// native machine.
void CheckProcessor(sys::System& system, PcCheckReport& report) {
    if (!system.HasProcAddress("kernel32", "IsWow64Process2")) return;
    uint16_t processMachine = 0;
    uint16_t nativeMachine = 0;
    if (!system.IsWow64Process2(processMachine, nativeMachine)) {
        report.failures.push_back({PcCheck::Processor, system.GetLastError()});
        return;
    }
    if (nativeMachine == sys::kImageFileMachineArm64)
        report.findings.push_back(PcCheck::Processor);
}

// The token's elevation from Vista on; before, where the token knows no elevation,
// membership of the Administrators group.
void CheckAdministrator(sys::System& system, PcCheckReport& report) {
    bool elevated = false;
    if (system.GetTokenInformationTokenElevation(elevated)) {
        if (!elevated) report.findings.push_back(PcCheck::Administrator);
        return;
    }
    if (const uint32_t error = system.GetLastError(); error != sys::kErrorInvalidParameter) {
        report.failures.push_back({PcCheck::Administrator, error});
        return;
    }
    bool member = false;
    if (!system.CheckTokenMembershipAdministrators(member)) {
        report.failures.push_back({PcCheck::Administrator, system.GetLastError()});
        return;
    }
    if (!member) report.findings.push_back(PcCheck::Administrator);
}

}  // namespace

bool IsSpoolerDown(sys::System& system, uint32_t serviceState) {
    if (serviceState != sys::kServiceStopped && serviceState != sys::kServiceStopPending)
        return false;
    std::vector<sys::PrinterQueue> queues;
    return !system.EnumPrinterQueues(queues);
}

PcCheckReport CheckPc(sys::System& system) {
    PcCheckReport report;
    CheckSpooler(system, report);
    CheckProtectedPrint(system, report);
    CheckProcessor(system, report);
    CheckAdministrator(system, report);
    return report;
}

}  // namespace host
