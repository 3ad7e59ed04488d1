#include "silent/LoggingSystem.h"

#include <cstdio>

namespace silent {

std::string DescribeError(sys::System& system, uint32_t code) {
    char number[48];
    std::snprintf(number, sizeof number, "error %lu (0x%08lX)", static_cast<unsigned long>(code),
                  static_cast<unsigned long>(code));
    const std::string text = system.FormatMessage(code);
    return text.empty() ? std::string(number) : number + (": " + text);
}

bool LoggingSystem::LogFailure(const std::string& what) {
    const uint32_t code = inner_.GetLastError();
    log_.Write(what + " failed: " + DescribeError(inner_, code));
    // Telling the error may have changed it; the logic reads it next.
    inner_.SetLastError(code);
    return false;
}

bool LoggingSystem::LogStagingFailure(const std::string& what) {
    stagingError_ = inner_.GetLastError();
    return LogFailure(what);
}

bool LoggingSystem::HasProcAddress(const std::string& module, const std::string& procName) {
    return inner_.HasProcAddress(module, procName);
}
bool LoggingSystem::IsWow64Process(int32_t& result) {
    return inner_.IsWow64Process(result) || LogFailure("IsWow64Process");
}
uint16_t LoggingSystem::GetSystemInfoProcessorArchitecture() {
    return inner_.GetSystemInfoProcessorArchitecture();
}
bool LoggingSystem::GetVersionEx(sys::OsVersion& version) {
    if (!inner_.GetVersionEx(version)) return LogFailure("GetVersionExA");
    log_.Write("Windows version " + std::to_string(version.majorVersion) + "." +
               std::to_string(version.minorVersion) + ", product type " +
               std::to_string(version.productType));
    return true;
}
int LoggingSystem::GetSystemMetrics(int index) { return inner_.GetSystemMetrics(index); }
bool LoggingSystem::GetCPInfo(uint32_t codePage, std::vector<sys::LeadByteRange>& leadBytes) {
    return inner_.GetCPInfo(codePage, leadBytes);

}
// The checks of the PC tell what they found, and what they could not learn, themselves.
bool LoggingSystem::IsWow64Process2(uint16_t& processMachine, uint16_t& nativeMachine) {
    return inner_.IsWow64Process2(processMachine, nativeMachine);
}
bool LoggingSystem::QueryServiceStatus(const std::string& serviceName, uint32_t& currentState) {
    return inner_.QueryServiceStatus(serviceName, currentState);
}
bool LoggingSystem::IsProtectedPrintEnabled(bool& enabled) {
    return inner_.IsProtectedPrintEnabled(enabled);
}
bool LoggingSystem::GetTokenInformationTokenElevation(bool& elevated) {
    return inner_.GetTokenInformationTokenElevation(elevated);
}
bool LoggingSystem::CheckTokenMembershipAdministrators(bool& isMember) {
    return inner_.CheckTokenMembershipAdministrators(isMember);
}
uint32_t LoggingSystem::GetLastError() { return inner_.GetLastError(); }
void LoggingSystem::SetLastError(uint32_t code) { inner_.SetLastError(code); }
std::string LoggingSystem::FormatMessage(uint32_t code) { return inner_.FormatMessage(code); }
void LoggingSystem::Sleep(uint32_t milliseconds) { inner_.Sleep(milliseconds); }
bool LoggingSystem::PathFileExists(const std::string& path) { return inner_.PathFileExists(path); }

bool LoggingSystem::CreateDirectory(const std::string& path) {
    if (!inner_.CreateDirectory(path)) return LogFailure("creating the folder " + path);
    log_.Write("created the folder " + path);
    return true;
}

bool LoggingSystem::CopyFile(const std::string& source, const std::string& target,
                             bool failIfExists) {
    if (!inner_.CopyFile(source, target, failIfExists))
        return LogFailure("copying " + source + " to " + target);
    log_.Write("copied " + source + " to " + target);
    return true;
}

bool LoggingSystem::DeleteFile(const std::string& path) {
    if (!inner_.DeleteFile(path)) return LogFailure("deleting " + path);
    log_.Write("deleted " + path);
    return true;
}

uint32_t LoggingSystem::GetFileAttributes(const std::string& path) {
    return inner_.GetFileAttributes(path);
}
bool LoggingSystem::SetFileAttributes(const std::string& path, uint32_t attributes) {
    return inner_.SetFileAttributes(path, attributes) ||
           LogFailure("setting the attributes of " + path);
}
bool LoggingSystem::GetFileStamp(const std::string& path, sys::FileStamp& stamp) {
    return inner_.GetFileStamp(path, stamp);
}
sys::FileRead LoggingSystem::ReadFile(const std::string& path, uint32_t maxBytes) {
    return inner_.ReadFile(path, maxBytes);
}

bool LoggingSystem::CanOpenForReading(const std::string& path) {
    return inner_.CanOpenForReading(path);
}

sys::FileScan LoggingSystem::ScanFile(const std::string& path, uint32_t chunkBytes,
                                     const sys::ChunkConsumer& consume) {
    return inner_.ScanFile(path, chunkBytes, consume);
}

bool LoggingSystem::WriteFile(const std::string& path, const std::string& bytes) {
    if (!inner_.WriteFile(path, bytes)) return LogFailure("writing " + path);
    log_.Write("wrote " + path + ": " + bytes);
    return true;
}

std::string LoggingSystem::GetFullPathName(const std::string& path) {
    return inner_.GetFullPathName(path);
}
bool LoggingSystem::FindFirstFile(const std::string& pattern, std::vector<std::string>& names) {
    return inner_.FindFirstFile(pattern, names) || LogFailure("FindFirstFileA for " + pattern);
}
bool LoggingSystem::GetWindowsDirectory(std::string& directory) {
    return inner_.GetWindowsDirectory(directory) || LogFailure("GetWindowsDirectoryA");
}
bool LoggingSystem::GetSystemDirectory(std::string& directory) {
    return inner_.GetSystemDirectory(directory) || LogFailure("GetSystemDirectoryA");
}
bool LoggingSystem::GetSystemWindowsDirectory(std::string& directory) {
    return inner_.GetSystemWindowsDirectory(directory) ||
           LogFailure("GetSystemWindowsDirectoryA");
}
bool LoggingSystem::GetPrinterDriverDirectory(const std::string& environment,
                                              std::string& directory) {
    if (!inner_.GetPrinterDriverDirectory(environment, directory))
        return LogFailure("GetPrinterDriverDirectoryA for \"" + environment + "\"");
    log_.Write("printer driver directory for \"" + environment + "\": " + directory);
    return true;
}
std::vector<std::string> LoggingSystem::EnumPrinterDrivers() { return inner_.EnumPrinterDrivers(); }
std::vector<std::string> LoggingSystem::EnumPrinters() { return inner_.EnumPrinters(); }
bool LoggingSystem::EnumPrinterDriversIn(const std::string& environment,
                                         std::vector<std::string>& names) {
    return inner_.EnumPrinterDriversIn(environment, names) ||
           LogFailure("EnumPrinterDriversA for \"" + environment + "\"");
}
bool LoggingSystem::EnumPrinterDriverVersions(const std::string& environment,
                                              std::vector<sys::PrinterDriverVersion>& drivers) {
    return inner_.EnumPrinterDriverVersions(environment, drivers) ||
           LogFailure("EnumPrinterDriversA level 6 for \"" + environment + "\"");
}
bool LoggingSystem::EnumPrinterQueues(std::vector<sys::PrinterQueue>& queues) {
    return inner_.EnumPrinterQueues(queues) || LogFailure("EnumPrintersA");
}

bool LoggingSystem::CreateProcess(const std::string& applicationName,
                                  const std::string& commandLine) {
    return CreateProcessAndWaitAtMost(applicationName, commandLine,
                                      kPrinterSetupCommandBoundMilliseconds)
        .started;
}

sys::ProcessExit LoggingSystem::CreateProcessAndWait(const std::string& applicationName,
                                                     const std::string& commandLine) {
    return CreateProcessAndWaitAtMost(applicationName, commandLine, kSetup64BoundMilliseconds);
}

sys::ProcessExit LoggingSystem::CreateProcessAndWaitAtMost(const std::string& applicationName,
                                                           const std::string& commandLine,
                                                           uint32_t milliseconds) {
    const sys::ProcessExit run =
        inner_.CreateProcessAndWaitAtMost(applicationName, commandLine, milliseconds);
    if (run.started && run.jobError != 0) {
        const uint32_t error = inner_.GetLastError();
        log_.Write("the command " + commandLine + " runs outside the run's job, so what it "
                   "starts may outlive the run: putting it into the job failed: " +
                   DescribeError(inner_, run.jobError));
        inner_.SetLastError(error);
    }
    if (!run.started) {
        LogFailure("starting the command " + commandLine);
    } else if (run.timedOut) {
        const std::string what = "the command " + commandLine + " did not end within " +
                                 std::to_string(milliseconds / 1000) + " seconds";
        if (!run.ended)
            LogFailure(what + "; ending it");
        else if (run.jobError == 0)
            log_.Write(what + "; it was ended, with every process it started");
        else
            log_.Write(what + "; it was ended, but not what it started");
        throw ProcessOutlivedItsBound(what);
    } else if (!run.exitCodeKnown) {
        LogFailure("reading the exit code of " + commandLine);
    } else {
        log_.Write("the command " + commandLine + " ended with exit code " +
                   std::to_string(run.exitCode));
    }
    return run;
}

bool LoggingSystem::SetupCopyOEMInf(const std::string& sourceInfPath,
                                    std::string& destinationName,
                                    std::string& destinationFileName) {
    if (!inner_.SetupCopyOEMInf(sourceInfPath, destinationName, destinationFileName))
        return LogStagingFailure("staging the INF file " + sourceInfPath);
    log_.Write("staged the INF file " + sourceInfPath + " as " + destinationName);
    return true;
}

bool LoggingSystem::SetupUninstallOEMInf(const std::string& infFileName, uint32_t flags) {
    if (!inner_.SetupUninstallOEMInf(infFileName, flags))
        return LogFailure("uninstalling the staged INF file " + infFileName);
    log_.Write("uninstalled the staged INF file " + infFileName);
    return true;
}

bool LoggingSystem::UpdateDriverForPlugAndPlayDevices(const std::string& hardwareId,
                                                      const std::string& fullInfPath,
                                                      uint32_t installFlags) {
    if (!inner_.UpdateDriverForPlugAndPlayDevices(hardwareId, fullInfPath, installFlags))
        return LogStagingFailure("the driver update for " + hardwareId + " from " + fullInfPath);
    log_.Write("updated the driver of " + hardwareId + " from " + fullInfPath);
    return true;
}

bool LoggingSystem::DiInstallDriver(const std::string& fullInfPath) {
    if (!inner_.DiInstallDriver(fullInfPath))
        return LogStagingFailure("staging the driver package " + fullInfPath);
    log_.Write("staged the driver package " + fullInfPath);
    return true;
}

}  // namespace silent
