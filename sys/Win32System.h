#pragma once
// The real Windows behind the seam. Each method calls the ANSI function it is named
// after, with the arguments that System.h describes, and leaves the thread's last-error
// code as that call left it, so that the logic can read the reason of a failure through
// GetLastError afterwards. Texts and paths are never cut to a fixed buffer size.

#include <cstdint>
#include <string>
#include <vector>

#include "sys/System.h"
#include "sys/Win32ChildJob.h"
#include "sys/Win32RunLock.h"

namespace sys {

class Win32System final : public System {
public:
    bool HasProcAddress(const std::string& module, const std::string& procName) override;
    bool IsWow64Process(int32_t& result) override;
    uint16_t GetSystemInfoProcessorArchitecture() override;
    bool GetVersionEx(OsVersion& version) override;
    int GetSystemMetrics(int index) override;
    bool GetCPInfo(uint32_t codePage, std::vector<LeadByteRange>& leadBytes) override;
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
    bool GetFileStamp(const std::string& path, FileStamp& stamp) override;
    FileRead ReadFile(const std::string& path, uint32_t maxBytes) override;
    bool CanOpenForReading(const std::string& path) override;
    FileScan ScanFile(const std::string& path, uint32_t chunkBytes,
                      const ChunkConsumer& consume) override;
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
                                   std::vector<PrinterDriverVersion>& drivers) override;
    bool EnumPrinterQueues(std::vector<PrinterQueue>& queues) override;

    bool CreateProcess(const std::string& applicationName,
                       const std::string& commandLine) override;
    ProcessExit CreateProcessAndWait(const std::string& applicationName,
                                     const std::string& commandLine) override;
    ProcessExit CreateProcessAndWaitAtMost(const std::string& applicationName,
                                           const std::string& commandLine,
                                           uint32_t milliseconds) override;

    bool SetupCopyOEMInf(const std::string& sourceInfPath, std::string& destinationName,
                         std::string& destinationFileName) override;
    bool SetupUninstallOEMInf(const std::string& infFileName, uint32_t flags) override;
    bool UpdateDriverForPlugAndPlayDevices(const std::string& hardwareId,
                                           const std::string& fullInfPath,
                                           uint32_t installFlags) override;
    // DiInstallDriverA exists from Windows Vista on and is looked up at run time; where
    // it is missing the call fails with ERROR_PROC_NOT_FOUND.
    bool DiInstallDriver(const std::string& fullInfPath) override;
    bool SetupVerifyInfFile(const std::string& fullInfPath) override;

    RunLockState TakeRunLock() override;

private:
    Win32RunLockCalls runLockCalls_;
    RunLock runLock_{runLockCalls_};
    // Declared after the lock, so destroyed before it: the job ends what is left in it
    // before the lock is let go.
    Win32ChildJob childJob_;
};

}  // namespace sys
