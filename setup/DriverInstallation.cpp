#include "setup/DriverInstallation.h"

#include "host/Platform.h"
#include "host/SpoolerQueries.h"
#include "setup/Messages.h"
#include "setup/ModelName.h"
#include "setup/PortChoice.h"
#include "setup/ProcessLauncher.h"

namespace setup {

namespace {
// Every printer-setup text ends in one blank; the 32-bit printer commands hold a TAB.
const char* const kDriverCommand64 =
    "rundll32 printui.dll,PrintUIEntry /ia /K /m \"RT450\" /h \"x64\" /v 3 ";
const char* const kNoOpCommand = "rundll32 printui.dll,PrintUIEntry /q ";
const char* const kPrinterCommand64 =
    "rundll32 printui.dll,PrintUIEntry /if /b \"RT450\" /r \"LPT1:\" /m \"RT450\" ";
const char* const kPrinterCommandI386w7 =
    "rundll32 printui.dll,PrintUIEntry /if /b \"RT450\" \t"
    "   /f \".\\i386w7\\ZORQ80-Series.INF\" /r \"LPT1:\"  /m \"RT450\" /q ";
const char* const kPrinterCommandI386 =
    "rundll32 printui.dll,PrintUIEntry /if /b \"RT450\" \t"
    "   /f \".\\i386\\ZORQ80-Series.INF\" /r \"LPT1:\"  /m \"RT450\" /q ";
const char* const kSetDefaultCommand = "rundll32 printui.dll,PrintUIEntry /y /n \"RT450\" ";
const char* const kSetup64Command =
    ".\\amd64\\Setup64.exe USBPRINT\\KELVARO80-Series0AA5 .\\amd64\\ZORQ80-Series.INF";

constexpr uint32_t kRecordPauseMilliseconds = 100;
constexpr uint32_t kParallelSettleMilliseconds = 3000;
constexpr uint32_t kNoDevicePauseMilliseconds = 1000;
// Neither code that the step acts on: stands when Setup64.exe's exit code is unknown.
constexpr uint32_t kSetupExitUnknown = 11;
constexpr uint32_t kSetupExitInstalled = 1;
constexpr uint32_t kSetupExitNoDevice = 10;
constexpr uint32_t kSetupExitSignatureNotTrusted = 12;

void Tell(sys::UiPort& ui, const char* text) {
    ui.MessageBox(text, kInfoCaption, sys::kMbIconInformation);
}

void WriteRecordFile(sys::System& system, const std::string& stagedInfFileName) {
    const std::string path = RecordFilePath(g_modelName);
    if (system.PathFileExists(path)) system.DeleteFile(path);
    system.Sleep(kRecordPauseMilliseconds);
    // Not reported: a later run falls back to scanning the INF directory. A write that
    // failed after the file was emptied would leave a record naming no INF or a wrong
    // one, which that run would trust instead of scanning: no record is better.
    if (!system.WriteFile(path, stagedInfFileName)) system.DeleteFile(path);
}

// The result for the window program, and the outcome for a caller that asked for it.
int Ended(InstallOutcome* outcome, InstallOutcome how, int result) {
    if (outcome != nullptr) *outcome = how;
    return result;
}

int InstallOnParallelPort(sys::System& system, sys::UiPort& ui,
                          const PrinterSetupCommands& commands, int* userNotified,
                          InstallOutcome* outcome) {
    bool allStarted = true;
    if (!StartPrinterSetupCommand(system, commands.driver)) {
        allStarted = false;
        *userNotified = 1;
        Tell(ui, kProcessStartFailedText);
    }
    if (!StartPrinterSetupCommand(system, commands.printer)) {
        *userNotified = 1;
        Tell(ui, kProcessStartFailedText);
        return Ended(outcome, InstallOutcome::CommandNotStarted, 0);
    }
    system.Sleep(kParallelSettleMilliseconds);
    // The window program takes a started printer command for an installed printer even
    // when its driver command did not start.
    return Ended(outcome, allStarted ? InstallOutcome::Installed : InstallOutcome::CommandNotStarted,
                 1);
}

int InstallThroughSetup64(sys::System& system, sys::UiPort& ui,
                          const PrinterSetupCommands& commands, int* userNotified,
                          InstallOutcome* outcome) {
    const sys::ProcessExit run = system.CreateProcessAndWait("", kSetup64Command);
    if (!run.started) {
        *userNotified = 1;
        Tell(ui, kProcessStartFailedText);
        return Ended(outcome, InstallOutcome::CommandNotStarted, 0);
    }
    const uint32_t exitCode = run.exitCodeKnown ? run.exitCode : kSetupExitUnknown;
    if (exitCode == kSetupExitInstalled) return Ended(outcome, InstallOutcome::Installed, 1);
    // The window program takes it as any other failure of Setup64.exe.
    if (exitCode == kSetupExitSignatureNotTrusted)
        return Ended(outcome, InstallOutcome::Setup64SignatureNotTrusted, 0);
    if (exitCode != kSetupExitNoDevice) return Ended(outcome, InstallOutcome::Setup64Failed, 0);
    // No printer plugged in: the package waits in the driver store for it.
    if (!StartPrinterSetupCommand(system, commands.driver)) {
        *userNotified = 1;
        Tell(ui, kProcessStartFailedText);
        return Ended(outcome, InstallOutcome::CommandNotStarted, 0);
    }
    if (!host::IsPrinterInstalled(system, kModelName)) {
        Tell(ui, kConnectUsbText);
        *userNotified = 1;
    }
    return Ended(outcome, InstallOutcome::WaitingForUsbDevice, 1);
}

int InstallForUsb(sys::System& system, sys::UiPort& ui, const std::string& fullInfPath,
                  const PrinterSetupCommands& commands, int* userNotified,
                  InstallOutcome* outcome) {
    if (system.UpdateDriverForPlugAndPlayDevices(kUsbHardwareId, fullInfPath,
                                                 sys::kInstallFlagForce))
        return Ended(outcome, InstallOutcome::Installed, 1);
    switch (system.GetLastError()) {
    case sys::kErrorNoSuchDevinst: {
        // Windows 7 and later install the staged package when the printer is plugged in.
        const bool installsOnPlugIn = g_isWindows7 != 0 || g_isWindows8 != 0;
        *userNotified = 1;
        Tell(ui, installsOnPlugIn ? kConnectUsbText : "请检查打印机USB连线是否连接");
        system.Sleep(kNoDevicePauseMilliseconds);
        return Ended(outcome,
                     installsOnPlugIn ? InstallOutcome::WaitingForUsbDevice
                                      : InstallOutcome::NoUsbDevice,
                     0);
    }
    case sys::kErrorFileNotFound: Tell(ui, "ERROR_FILE_NOT_FOUND"); break;
    case sys::kErrorInvalidFlags: Tell(ui, "ERROR_INVALID_FLAGS"); break;
    case sys::kErrorNoMoreItems: Tell(ui, "NO_MORE_ITEMS"); break;
    // A 32-bit process cannot install devices on 64-bit Windows.
    case sys::kErrorInWow64:
        return InstallThroughSetup64(system, ui, commands, userNotified, outcome);
    default: break;
    }
    return Ended(outcome, InstallOutcome::UsbUpdateFailed, 0);
}
}  // namespace

std::string RecordFilePath(const std::string& fileNameForm) {
    return kInfDirectory + fileNameForm + ".txt";
}

PrinterSetupCommands ChoosePrinterSetupCommands(sys::System& system) {
    PrinterSetupCommands commands;
    const host::HostClass hostClass = host::CurrentHostClass();
    commands.driver = hostClass == host::HostClass::Host64 ? kDriverCommand64 : kNoOpCommand;
    if (host::IsDriverInstalled(system, kModelName)) commands.driver = kNoOpCommand;
    switch (hostClass) {
    case host::HostClass::Host64: commands.printer = kPrinterCommand64; break;
    case host::HostClass::Windows7Or8x86: commands.printer = kPrinterCommandI386w7; break;
    case host::HostClass::Older32: commands.printer = kPrinterCommandI386; break;
    }
    if (host::IsPrinterInstalled(system, kModelName)) commands.printer = kSetDefaultCommand;
    return commands;
}

int InstallDriverAndPrinter(sys::System& system, sys::UiPort& ui, int* userNotified,
                            InstallOutcome* outcome) {
    system.SetLastError(0);
    // The set-up API wants a full path; the command lines keep the relative one.
    const std::string infPath = package::InfPath(package::ChooseVariant());
    std::string fullInfPath = system.GetFullPathName(infPath);
    if (fullInfPath.empty()) fullInfPath = infPath;

    std::string stagedInfPath;
    std::string stagedInfFileName;
    if (!system.SetupCopyOEMInf(fullInfPath, stagedInfPath, stagedInfFileName)) {
        *userNotified = 1;
        Tell(ui, kInstallFailedText);
        return Ended(outcome, InstallOutcome::InfNotStaged, 0);
    }
    WriteRecordFile(system, stagedInfFileName);

    const PrinterSetupCommands commands = ChoosePrinterSetupCommands(system);
    if (ui.RunPortDialog() == PORT_PARALLEL)
        return InstallOnParallelPort(system, ui, commands, userNotified, outcome);
    return InstallForUsb(system, ui, fullInfPath, commands, userNotified, outcome);
}

}  // namespace setup
