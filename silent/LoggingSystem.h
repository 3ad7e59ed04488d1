#pragma once
// The unattended run's seam: every call passes to the real system, and what a person
// reading the log needs is written as it happens: each command line started and how it
// ended, what the set-up API staged, uninstalled or updated, each file written or
// deleted, and every failure with the system's error code and text. The thread's
// last-error code is left as the call left it, so the logic reads the same reasons.
//
// One change of behaviour: every process that the run starts is waited for, within a
// bound, so that what the spooler shows afterwards is the commands' doing; it runs in the
// run's job, which ends it, and what it started, when it outlives the bound or the run. The window
// program starts its printer-setup commands and goes on; through this seam the same
// logic, with the same pauses, waits for each.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "silent/InstallLog.h"
#include "sys/System.h"

namespace silent {

// How long a printer-setup command may take before the run counts it as hung: the
// spooler installs a driver in seconds, minutes when it is busy.
inline constexpr uint32_t kPrinterSetupCommandBoundMilliseconds = 5 * 60 * 1000;
// Setup64.exe may wait for the device installation that Windows runs for the printer.
inline constexpr uint32_t kSetup64BoundMilliseconds = 15 * 60 * 1000;

// Thrown when a started process outlives its bound, once it has been ended (or could not
// be). The run ends.
class ProcessOutlivedItsBound : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class LoggingSystem final : public sys::System {
public:
    LoggingSystem(sys::System& inner, InstallLog& log) : inner_(inner), log_(log) {}

    bool HasProcAddress(const std::string& module, const std::string& procName) override;
    bool IsWow64Process(int32_t& result) override;
    uint16_t GetSystemInfoProcessorArchitecture() override;
    bool GetVersionEx(sys::OsVersion& version) override;
    int GetSystemMetrics(int index) override;
    bool GetCPInfo(uint32_t codePage, std::vector<sys::LeadByteRange>& leadBytes) override;
    bool IsWow64Process2(uint16_t& processMachine, uint16_t& nativeMachine) override;
    bool QueryServiceStatus(const std::string& serviceName, uint32_t& currentState) override;
    bool IsProtectedPrintEnabled(bool& enabled) override;
    bool GetTokenInformationTokenElevation(bool& elevated) override;
    bool CheckTokenMembershipAdministrators(bool& isMember) override;
    uint32_t GetLastError() override;
    void SetLastError(uint32_t code) override;
    std::string FormatMessage(uint32_t code) override;
    void Sleep(uint32_t milliseconds) override;
    bool PathFileExists(const std::string& path) override;
    bool CreateDirectory(const std::string& path) override;
    bool CopyFile(const std::string& source, const std::string& target,
                  bool failIfExists) override;
    bool DeleteFile(const std::string& path) override;
    uint32_t GetFileAttributes(const std::string& path) override;
    bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
    bool GetFileStamp(const std::string& path, sys::FileStamp& stamp) override;
    sys::FileRead ReadFile(const std::string& path, uint32_t maxBytes) override;
    bool CanOpenForReading(const std::string& path) override;
    sys::FileScan ScanFile(const std::string& path, uint32_t chunkBytes,
                           const sys::ChunkConsumer& consume) override;
    bool WriteFile(const std::string& path, const std::string& bytes) override;
    std::string GetFullPathName(const std::string& path) override;
    bool FindFirstFile(const std::string& pattern, std::vector<std::string>& names) override;
    bool GetWindowsDirectory(std::string& directory) override;
    bool GetSystemDirectory(std::string& directory) override;
    bool GetSystemWindowsDirectory(std::string& directory) override;
    bool GetPrinterDriverDirectory(const std::string& environment,
                                   std::string& directory) override;
    std::vector<std::string> EnumPrinterDrivers() override;
    std::vector<std::string> EnumPrinters() override;
    bool EnumPrinterDriversIn(const std::string& environment,
                              std::vector<std::string>& names) override;
    bool EnumPrinterDriverVersions(const std::string& environment,
                                   std::vector<sys::PrinterDriverVersion>& drivers) override;
    bool EnumPrinterQueues(std::vector<sys::PrinterQueue>& queues) override;
    // Starts the command and waits for it, at most kPrinterSetupCommandBoundMilliseconds;
    // true when it started. Throws ProcessOutlivedItsBound.
    bool CreateProcess(const std::string& applicationName,
                       const std::string& commandLine) override;
    // Waits for Setup64.exe, at most kSetup64BoundMilliseconds. Throws
    // ProcessOutlivedItsBound, as the bounded wait below does.
    sys::ProcessExit CreateProcessAndWait(const std::string& applicationName,
                                          const std::string& commandLine) override;
    sys::ProcessExit CreateProcessAndWaitAtMost(const std::string& applicationName,
                                                const std::string& commandLine,
                                                uint32_t milliseconds) override;
    bool SetupCopyOEMInf(const std::string& sourceInfPath, std::string& destinationName,
                         std::string& destinationFileName) override;
    bool SetupUninstallOEMInf(const std::string& infFileName, uint32_t flags) override;
    bool UpdateDriverForPlugAndPlayDevices(const std::string& hardwareId,
                                           const std::string& fullInfPath,
                                           uint32_t installFlags) override;
    bool DiInstallDriver(const std::string& fullInfPath) override;
    // The look at the package's signature tells what it found itself.
    bool SetupVerifyInfFile(const std::string& fullInfPath) override {
        return inner_.SetupVerifyInfFile(fullInfPath);
    }
    // Taken before the log is opened, so nothing to log here.
    sys::RunLockState TakeRunLock() override { return inner_.TakeRunLock(); }

    // The error of the last failed staging of the driver package (the INF staged, the
    // USB update, the pre-install); 0 when none failed.
    uint32_t StagingError() const { return stagingError_; }

private:
    // Logs "<what> failed: error <code> (0x<code>): <system text>" for the thread's
    // current last-error code, and leaves that code in place. Returns false.
    bool LogFailure(const std::string& what);
    // LogFailure, keeping the code as the staging error.
    bool LogStagingFailure(const std::string& what);

    sys::System& inner_;
    InstallLog& log_;
    uint32_t stagingError_ = 0;
};

// "error 5 (0x00000005): <text>" for a code, with the system's text when it has one.
std::string DescribeError(sys::System& system, uint32_t code);

}  // namespace silent
