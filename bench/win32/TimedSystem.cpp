#include "TimedSystem.h"

#include <algorithm>

#include "sys/WindowsApi.h"

namespace bench {

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

double TimedSystem::TotalMs() const {
    double ms = 0.0;
    for (const auto& entry : totals_) ms += entry.second.ms;
    return ms;
}

bool TimedSystem::HasProcAddress(const std::string& module, const std::string& procName) {
    return Timed("HasProcAddress", [&] { return inner_.HasProcAddress(module, procName); });
}
bool TimedSystem::IsWow64Process(int32_t& result) {
    return Timed("IsWow64Process", [&] { return inner_.IsWow64Process(result); });
}
uint16_t TimedSystem::GetSystemInfoProcessorArchitecture() {
    return Timed("GetSystemInfo", [&] { return inner_.GetSystemInfoProcessorArchitecture(); });
}
bool TimedSystem::GetVersionEx(sys::OsVersion& version) {
    return Timed("GetVersionEx", [&] { return inner_.GetVersionEx(version); });
}
bool TimedSystem::GetCPInfo(uint32_t codePage, std::vector<sys::LeadByteRange>& leadBytes) {
    return Timed("GetCPInfo", [&] { return inner_.GetCPInfo(codePage, leadBytes); });
}
int TimedSystem::GetSystemMetrics(int index) {
    return Timed("GetSystemMetrics", [&] { return inner_.GetSystemMetrics(index); });
}
bool TimedSystem::IsWow64Process2(uint16_t& processMachine, uint16_t& nativeMachine) {
    return Timed("IsWow64Process2",
                 [&] { return inner_.IsWow64Process2(processMachine, nativeMachine); });
}
bool TimedSystem::QueryServiceStatus(const std::string& serviceName, uint32_t& currentState) {
    return Timed("QueryServiceStatus",
                 [&] { return inner_.QueryServiceStatus(serviceName, currentState); });
}
bool TimedSystem::IsProtectedPrintEnabled(bool& enabled) {
    return Timed("IsProtectedPrintEnabled", [&] { return inner_.IsProtectedPrintEnabled(enabled); });
}
bool TimedSystem::GetTokenInformationTokenElevation(bool& elevated) {
    return Timed("GetTokenInformation",
                 [&] { return inner_.GetTokenInformationTokenElevation(elevated); });
}
bool TimedSystem::CheckTokenMembershipAdministrators(bool& isMember) {
    return Timed("CheckTokenMembership",
                 [&] { return inner_.CheckTokenMembershipAdministrators(isMember); });
}
uint32_t TimedSystem::GetLastError() {
    return Timed("GetLastError", [&] { return inner_.GetLastError(); });
}
void TimedSystem::SetLastError(uint32_t code) {
    Timed("SetLastError", [&] { inner_.SetLastError(code); });
}
std::string TimedSystem::FormatMessage(uint32_t code) {
    return Timed("FormatMessage", [&] { return inner_.FormatMessage(code); });
}
void TimedSystem::Sleep(uint32_t milliseconds) {
    Timed("Sleep", [&] { inner_.Sleep(milliseconds); });
}
bool TimedSystem::PathFileExists(const std::string& path) {
    return Timed("PathFileExists", [&] { return inner_.PathFileExists(path); });
}
bool TimedSystem::CreateDirectory(const std::string& path) {
    return Timed("CreateDirectory", [&] { return inner_.CreateDirectory(path); });
}
bool TimedSystem::CopyFile(const std::string& source, const std::string& target,
                           bool failIfExists) {
    return Timed("CopyFile", [&] { return inner_.CopyFile(source, target, failIfExists); });
}
bool TimedSystem::DeleteFile(const std::string& path) {
    return Timed("DeleteFile", [&] { return inner_.DeleteFile(path); });
}
uint32_t TimedSystem::GetFileAttributes(const std::string& path) {
    return Timed("GetFileAttributes", [&] { return inner_.GetFileAttributes(path); });
}
bool TimedSystem::SetFileAttributes(const std::string& path, uint32_t attributes) {
    return Timed("SetFileAttributes", [&] { return inner_.SetFileAttributes(path, attributes); });
}
bool TimedSystem::GetFileStamp(const std::string& path, sys::FileStamp& stamp) {
    return Timed("GetFileStamp", [&] { return inner_.GetFileStamp(path, stamp); });
}
sys::FileRead TimedSystem::ReadFile(const std::string& path, uint32_t maxBytes) {
    return Timed("ReadFile", [&] { return inner_.ReadFile(path, maxBytes); });
}
bool TimedSystem::CanOpenForReading(const std::string& path) {
    return Timed("CanOpenForReading", [&] { return inner_.CanOpenForReading(path); });
}
sys::FileScan TimedSystem::ScanFile(const std::string& path, uint32_t chunkBytes,
                                    const sys::ChunkConsumer& consume) {
    if (files_ != nullptr) {
        return Timed("ScanFile (from memory)", [&] {
            sys::FileScan scan;
            const auto file = files_->find(path);
            if (file == files_->end()) return scan;
            scan.opened = scan.readOk = true;
            const std::string& bytes = file->second;
            for (size_t at = 0; at < bytes.size(); at += chunkBytes) {
                if (!consume(bytes.data() + at, std::min<size_t>(chunkBytes, bytes.size() - at)))
                    break;
            }
            return scan;
        });
    }
    return Timed("ScanFile", [&] { return inner_.ScanFile(path, chunkBytes, consume); });
}
bool TimedSystem::WriteFile(const std::string& path, const std::string& bytes) {
    return Timed("WriteFile", [&] { return inner_.WriteFile(path, bytes); });
}
std::string TimedSystem::GetFullPathName(const std::string& path) {
    return Timed("GetFullPathName", [&] { return inner_.GetFullPathName(path); });
}
bool TimedSystem::FindFirstFile(const std::string& pattern, std::vector<std::string>& names) {
    return Timed("FindFirstFile", [&] { return inner_.FindFirstFile(pattern, names); });
}
bool TimedSystem::GetWindowsDirectory(std::string& directory) {
    return Timed("GetWindowsDirectory", [&] { return inner_.GetWindowsDirectory(directory); });
}
bool TimedSystem::GetSystemDirectory(std::string& directory) {
    return Timed("GetSystemDirectory", [&] { return inner_.GetSystemDirectory(directory); });
}
bool TimedSystem::GetSystemWindowsDirectory(std::string& directory) {
    return Timed("GetSystemWindowsDirectory",
                 [&] { return inner_.GetSystemWindowsDirectory(directory); });
}
bool TimedSystem::GetPrinterDriverDirectory(const std::string& environment,
                                            std::string& directory) {
    return Timed("GetPrinterDriverDirectory",
                 [&] { return inner_.GetPrinterDriverDirectory(environment, directory); });
}
std::vector<std::string> TimedSystem::EnumPrinterDrivers() {
    return Timed("EnumPrinterDrivers", [&] { return inner_.EnumPrinterDrivers(); });
}
std::vector<std::string> TimedSystem::EnumPrinters() {
    return Timed("EnumPrinters", [&] { return inner_.EnumPrinters(); });
}
bool TimedSystem::EnumPrinterDriversIn(const std::string& environment,
                                       std::vector<std::string>& names) {
    return Timed("EnumPrinterDriversIn",
                 [&] { return inner_.EnumPrinterDriversIn(environment, names); });
}
bool TimedSystem::EnumPrinterDriverVersions(const std::string& environment,
                                            std::vector<sys::PrinterDriverVersion>& drivers) {
    return Timed("EnumPrinterDriverVersions",
                 [&] { return inner_.EnumPrinterDriverVersions(environment, drivers); });
}
bool TimedSystem::EnumPrinterQueues(std::vector<sys::PrinterQueue>& queues) {
    return Timed("EnumPrinterQueues", [&] { return inner_.EnumPrinterQueues(queues); });
}
bool TimedSystem::CreateProcess(const std::string& applicationName,
                                const std::string& commandLine) {
    return Timed("CreateProcess",
                 [&] { return inner_.CreateProcess(applicationName, commandLine); });
}
sys::ProcessExit TimedSystem::CreateProcessAndWait(const std::string& applicationName,
                                                   const std::string& commandLine) {
    return Timed("CreateProcessAndWait",
                 [&] { return inner_.CreateProcessAndWait(applicationName, commandLine); });
}
sys::ProcessExit TimedSystem::CreateProcessAndWaitAtMost(const std::string& applicationName,
                                                         const std::string& commandLine,
                                                         uint32_t milliseconds) {
    return Timed("CreateProcessAndWaitAtMost", [&] {
        return inner_.CreateProcessAndWaitAtMost(applicationName, commandLine, milliseconds);
    });
}
bool TimedSystem::SetupCopyOEMInf(const std::string& sourceInfPath, std::string& destinationName,
                                  std::string& destinationFileName) {
    return Timed("SetupCopyOEMInf", [&] {
        return inner_.SetupCopyOEMInf(sourceInfPath, destinationName, destinationFileName);
    });
}
bool TimedSystem::SetupUninstallOEMInf(const std::string& infFileName, uint32_t flags) {
    return Timed("SetupUninstallOEMInf",
                 [&] { return inner_.SetupUninstallOEMInf(infFileName, flags); });
}
bool TimedSystem::UpdateDriverForPlugAndPlayDevices(const std::string& hardwareId,
                                                    const std::string& fullInfPath,
                                                    uint32_t installFlags) {
    return Timed("UpdateDriverForPlugAndPlayDevices", [&] {
        return inner_.UpdateDriverForPlugAndPlayDevices(hardwareId, fullInfPath, installFlags);
    });
}
bool TimedSystem::DiInstallDriver(const std::string& fullInfPath) {
    return Timed("DiInstallDriver", [&] { return inner_.DiInstallDriver(fullInfPath); });
}
bool TimedSystem::SetupVerifyInfFile(const std::string& fullInfPath) {
    return Timed("SetupVerifyInfFile", [&] { return inner_.SetupVerifyInfFile(fullInfPath); });
}

sys::RunLockState TimedSystem::TakeRunLock() {
    return Timed("TakeRunLock", [&] { return inner_.TakeRunLock(); });
}

}  // namespace bench
