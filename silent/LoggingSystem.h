#pragma once
// The seam with a log on it: every call passes to the real system unchanged, and what a
// person reading the log needs is written as it happens: each command line started and
// how it ended, what the set-up API staged, uninstalled or updated, each file written or
// deleted, and every failure with the system's error code and text. The thread's
// last-error code is left as the call left it, so the logic reads the same reasons.

#include <string>
#include <vector>

#include "silent/InstallLog.h"
#include "sys/System.h"

namespace silent {

class LoggingSystem final : public sys::System {
public:
    LoggingSystem(sys::System& inner, InstallLog& log) : inner_(inner), log_(log) {}

    bool HasProcAddress(const std::string& module, const std::string& procName) override;
    bool IsWow64Process(int32_t& result) override;
    uint16_t GetSystemInfoProcessorArchitecture() override;
    bool GetVersionEx(sys::OsVersion& version) override;
    int GetSystemMetrics(int index) override;
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
    sys::FileScan ScanFile(const std::string& path, uint32_t chunkBytes,
                           const sys::ChunkConsumer& consume) override;
    bool WriteFile(const std::string& path, const std::string& bytes) override;
    std::string GetFullPathName(const std::string& path) override;
    bool GetWindowsDirectory(std::string& directory) override;
    bool GetSystemDirectory(std::string& directory) override;
    bool GetPrinterDriverDirectory(const std::string& environment,
                                   std::string& directory) override;
    std::vector<std::string> EnumPrinterDrivers() override;
    std::vector<std::string> EnumPrinters() override;
    bool CreateProcess(const std::string& applicationName,
                       const std::string& commandLine) override;
    sys::ProcessExit CreateProcessAndWait(const std::string& applicationName,
                                          const std::string& commandLine) override;
    bool SetupCopyOEMInf(const std::string& sourceInfPath, std::string& destinationName,
                         std::string& destinationFileName) override;
    bool SetupUninstallOEMInf(const std::string& infFileName, uint32_t flags) override;
    bool UpdateDriverForPlugAndPlayDevices(const std::string& hardwareId,
                                           const std::string& fullInfPath,
                                           uint32_t installFlags) override;
    bool DiInstallDriver(const std::string& fullInfPath) override;

private:
    // Logs "<what> failed: error <code> (0x<code>): <system text>" for the thread's
    // current last-error code, and leaves that code in place. Returns false.
    bool LogFailure(const std::string& what);

    sys::System& inner_;
    InstallLog& log_;
};

// "error 5 (0x00000005): <text>" for a code, with the system's text when it has one.
std::string DescribeError(sys::System& system, uint32_t code);

}  // namespace silent
