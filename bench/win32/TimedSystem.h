#pragma once
// The real system behind the seam with a stopwatch on every call: how often each call
// was made and how long the calls took in all. Whole-file reads can be served from
// memory instead, so that the logic's own share of a read can be told from the system's.
// It follows sys::System method for method.

#include <map>
#include <string>
#include <vector>

#include "sys/System.h"

namespace bench {

struct CallTotal {
    long long calls = 0;
    double ms = 0.0;
};

double NowMs();

class TimedSystem final : public sys::System {
public:
    explicit TimedSystem(sys::System& inner) : inner_(inner) {}

    const std::map<std::string, CallTotal>& Totals() const { return totals_; }
    void ClearTotals() { totals_.clear(); }
    double TotalMs() const;
    // While set, ScanFile of a path in the map hands over its bytes without asking the
    // system; other paths scan as files that cannot be opened.
    void ServeScansFrom(const std::map<std::string, std::string>* files) { files_ = files; }

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
    bool CreateProcess(const std::string& applicationName,
                       const std::string& commandLine) override;
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
    bool SetupVerifyInfFile(const std::string& fullInfPath) override;
    sys::RunLockState TakeRunLock() override;

private:
    template <typename Call>
    auto Timed(const char* name, Call call) -> decltype(call()) {
        const double start = NowMs();
        struct Stop {
            CallTotal& total;
            double start;
            ~Stop() {
                ++total.calls;
                total.ms += NowMs() - start;
            }
        } stop{totals_[name], start};
        return call();
    }

    sys::System& inner_;
    std::map<std::string, CallTotal> totals_;
    const std::map<std::string, std::string>* files_ = nullptr;
};

}  // namespace bench
