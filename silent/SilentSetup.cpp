#include "silent/SilentSetup.h"

#include <exception>

#include "host/PcChecks.h"
#include "host/Platform.h"
#include "package/Package.h"
#include "package/SignatureFailure.h"
#include "package/SignatureLook.h"
#include "package/StagingDestinations.h"
#include "setup/DriverInstallation.h"
#include "setup/InstallSequence.h"
#include "setup/Messages.h"
#include "setup/ModelName.h"
#include "setup/PortChoice.h"
#include "setup/Removal.h"
#include "silent/CommandLine.h"
#include "silent/DetectionMarker.h"
#include "silent/ExitCodes.h"
#include "silent/InstallLog.h"
#include "silent/LogLocation.h"
#include "silent/LoggingSystem.h"
#include "silent/OutcomeCheck.h"
#include "silent/SilentUi.h"
#include "silent/SpoolerStartWait.h"

namespace silent {

namespace {

const char* const kUntrustedPackageText =
    "the driver package's signature is not trusted on this PC: make it trust the "
    "publisher's certificate (Trusted Root Certification Authorities and Trusted "
    "Publishers), then run again";

const char* const kUsageLines[] = {
    "RT450 printer driver - unattended installer",
    "",
    "  SilentSetup.exe [/port:usb | /port:lpt1] [/log:<file>] [/msi]",
    "  SilentSetup.exe /uninstall [/log:<file>] [/msi]",
    "  SilentSetup.exe /?",
    "",
    "It works in its own folder, wherever it is started from.",
    "  /port:usb    install for a printer on USB (the default)",
    "  /port:lpt1   install the printer on the parallel port LPT1:",
    "  /uninstall   remove the printer queues, drivers and staged INF files of this and",
    "               earlier installations, the record file and the detection marker",
    "  /log:<file>  the log, UTF-8 (default: RT450.log in the temporary folder)",
    "  /msi         started by Windows Installer, which takes every code but 0 for a",
    "               failure: 20 is answered 0 (the log keeps 20)",
    "  /?           this text",
    "",
    "Exit codes:",
};

// Why a run whose printer the check did not see as asked ends with 34.
const char* const kNotAsAsked = "the printer is not there as asked";
// Why a run that could not remove the marker stops before its first change.
const char* const kMarkerStays = "nothing was changed: the marker of an earlier run stays";

std::string HostDescription() {
    const char* folder = package::VariantFolder(package::ChooseVariant());
    switch (host::CurrentHostClass()) {
    case host::HostClass::Host64: return std::string("64-bit Windows, package folder ") + folder;
    case host::HostClass::Windows7Or8x86:
        return std::string("32-bit Windows 7 or later, package folder ") + folder;
    case host::HostClass::Older32:
        return std::string("32-bit Windows before Windows 7, package folder ") + folder;
    }
    return folder;
}

int ExitCodeFor(setup::InstallOutcome outcome) {
    switch (outcome) {
    case setup::InstallOutcome::Installed: return kExitSuccess;
    case setup::InstallOutcome::WaitingForUsbDevice: return kExitWaitingForUsbDevice;
    case setup::InstallOutcome::InfNotStaged: return kExitInfStagingFailed;
    case setup::InstallOutcome::CommandNotStarted: return kExitCommandNotStarted;
    case setup::InstallOutcome::NoUsbDevice: return kExitNoUsbDevice;
    case setup::InstallOutcome::UsbUpdateFailed: return kExitUsbUpdateFailed;
    case setup::InstallOutcome::Setup64Failed: return kExitSetup64Failed;
    case setup::InstallOutcome::Setup64SignatureNotTrusted: return kExitSignatureNotTrusted;
    }
    return kExitUsbUpdateFailed;
}

const char* PcCheckSubject(host::PcCheck check) {
    switch (check) {
    case host::PcCheck::Spooler: return "the print spooler";
    case host::PcCheck::ProtectedPrint: return "protected print mode";
    case host::PcCheck::Processor: return "the processor";
    case host::PcCheck::Administrator: return "administrator rights";
    }
    return "the PC";
}

const char* PcFindingLine(host::PcCheck finding) {
    switch (finding) {
    case host::PcCheck::Spooler: return "the print spooler service is not running";
    case host::PcCheck::ProtectedPrint: return "Windows protected print mode is on";
    case host::PcCheck::Processor: return "an ARM64 processor, for which the package has no driver";
    case host::PcCheck::Administrator: return "not run as administrator";
    }
    return "";
}

int PcFindingCode(host::PcCheck finding) {
    switch (finding) {
    case host::PcCheck::Spooler: return kExitSpoolerNotRunning;
    case host::PcCheck::ProtectedPrint: return kExitProtectedPrintMode;
    case host::PcCheck::Processor: return kExitProcessorNotSupported;
    case host::PcCheck::Administrator: return kExitNotElevated;
    }
    return kExitUnexpectedError;
}

class Run : public setup::InstallStepObserver {
public:
    Run(sys::System& system, sys::UnattendedSystem& unattended, InstallLog& log,
        const Options& options)
        : system_(system),
          unattended_(unattended),
          log_(log),
          port_(options.port),
          logged_(system, log),
          ui_(log, options.port == Port::Parallel ? PORT_PARALLEL : PORT_USB),
          sequence_(logged_, ui_) {}

    // The install run's steps, as the window program takes them, stopping at the first
    // that fails.
    int Install();
    int Uninstall();
    bool BeforeStep(setup::InstallStep step, int pass, int passes) override;
    bool AfterStep(setup::InstallStep step, int result) override;
    // What setup.exe tells when a step throws; the run ends there.
    int Unexpected(const std::string& what) {
        log_.Write("unexpected error: " + what);
        ui_.MessageBox(setup::kUnexpectedErrorText, setup::kInfoCaption,
                       sys::kMbIconInformation);
        return kExitUnexpectedError;
    }
    // A process that outlived its bound ends the run; the log has its line.
    int OutlivedItsBound() {
        log_.Write("the run stops: it does not wait longer");
        return kExitProcessOutlivedItsBound;
    }

private:
    // Starts a step: its name on the lines that follow, and what it does.
    void Step(const char* name, const std::string& what) {
        log_.SetStep(name);
        log_.Write(what);
    }
    int Failed(int code, const std::string& why) {
        log_.Write(why);
        return code;
    }
    // Ends the steps with the code: false, for AfterStep.
    bool StopWith(int code, const std::string& why) {
        code_ = Failed(code, why);
        return false;
    }
    void ClassifyHost();
    // Whether this PC can take the printer, by the checks just made; the code of the
    // first thing that keeps it from the printer otherwise.
    bool PcCanTakeThePrinter(int canTake);
    // Whether the package will install as far as a look that changes nothing can tell:
    // all its files there, and on 64-bit Windows a signature that this PC trusts.
    bool PackageWillInstall(int filesThere);
    // 0 when the removal can be done; else the code of the first thing that keeps it
    // from being done. A PC that could not take the printer may still have one to
    // remove: only the spooler and the rights count.
    int CheckPcForRemoval();
    void LogCheckFailures(const host::PcCheckReport& report);
    // The marker goes before anything changes: a run that fails leaves none behind.
    bool RemoveMarker() {
        Step("marker", "removing the detection marker");
        return RemoveDetectionMarker(logged_, unattended_, log_);
    }
    // The checks begin with a spooler that has come up, where one is coming: the window
    // program's checks take the PC as it is.
    void BeginChecks() {
        log_.SetStep("pc");
        WaitForSpoolerStart(system_, unattended_, log_);
    }
    // A code of success stands only for what the spooler and the INF directory show;
    // then the marker tells the deployment tools.
    int Verified(int code);

    sys::System& system_;  // unlogged: the wait's polls are no news for the log
    sys::UnattendedSystem& unattended_;
    InstallLog& log_;
    Port port_;
    LoggingSystem logged_;
    SilentUi ui_;
    setup::InstallSequence sequence_;
    int code_ = kExitSuccess;  // the code of the step that ended the install run
};

// The removal classifies the host on its own, with the install run's lines.
void Run::ClassifyHost() {
    BeforeStep(setup::InstallStep::ClassifyHost, 0, 0);
    sequence_.ClassifyHost();
    AfterStep(setup::InstallStep::ClassifyHost, 1);
}

void Run::LogCheckFailures(const host::PcCheckReport& report) {
    for (const host::PcCheckFailure& failure : report.failures)
        log_.Write(std::string("could not check ") + PcCheckSubject(failure.check) + ": " +
                   DescribeError(logged_, failure.error) + "; taken as no obstacle");
}

int Run::CheckPcForRemoval() {
    BeginChecks();
    // Asked of the system itself: the window program shows no box for a removal.
    const host::PcCheckReport report = host::CheckPc(logged_);
    LogCheckFailures(report);
    for (const host::PcCheck finding : report.findings) {
        if (finding != host::PcCheck::Spooler && finding != host::PcCheck::Administrator)
            continue;
        log_.Write(std::string("the removal cannot be done: ") + PcFindingLine(finding));
        log_.Write("nothing was changed");
        return PcFindingCode(finding);
    }
    return kExitSuccess;
}

bool Run::PcCanTakeThePrinter(int canTake) {
    const host::PcCheckReport& report = sequence_.LastPcCheck();
    LogCheckFailures(report);
    if (canTake != 0) return true;
    for (const host::PcCheck finding : report.findings)
        log_.Write(std::string("this PC cannot take the printer: ") + PcFindingLine(finding));
    log_.Write("nothing was changed");
    code_ = PcFindingCode(report.findings.front());
    return false;
}

bool Run::PackageWillInstall(int filesThere) {
    if (filesThere == 0)
        return StopWith(kExitDamagedPackage,
                        "a file of the package folder is missing; nothing was changed");
    if (host::CurrentHostClass() != host::HostClass::Host64) return true;
    const std::string inf =
        logged_.GetFullPathName(package::InfPath(package::ChooseVariant()));
    const package::SignatureLook look = package::LookAtSignature(logged_, inf);
    switch (look.seen) {
    case package::SignatureSeen::Trusted:
    case package::SignatureSeen::NotAsked: return true;
    case package::SignatureSeen::CannotTell:
        log_.Write("could not check the signature of " + inf + ", taken as no obstacle: " +
                   DescribeError(logged_, look.error));
        return true;
    case package::SignatureSeen::NotTrusted:
        log_.Write("the signature of " + inf + ": " + DescribeError(logged_, look.error));
        return StopWith(kExitSignatureNotTrusted,
                        std::string(kUntrustedPackageText) + "; nothing was changed");
    }
    return true;
}

int Run::Verified(int code) {
    if (code != kExitSuccess && code != kExitWaitingForUsbDevice) return code;
    Step("check", "looking at what the run left");
    const Seen seen = code == kExitSuccess ? SeeInstalledQueue(logged_, port_)
                                           : SeeDriverWaitingForDevice(logged_);
    log_.Write(seen.what);
    if (!seen.asClaimed) return Failed(kExitNotAsAsked, kNotAsAsked);
    const Seen driver = SeeThisPackagesDriver(logged_, code == kExitSuccess);
    log_.Write(driver.what);
    if (driver.otherVersion)
        return Failed(kExitOtherDriverVersion,
                      "a driver of another version stays in place: remove it "
                      "(SilentSetup.exe /uninstall), then install again");
    if (!driver.asClaimed) return Failed(kExitNotAsAsked, kNotAsAsked);
    Step("marker", "writing the detection marker");
    const char* const port = port_ == Port::Parallel ? "LPT1:" : "USB";
    if (!WriteDetectionMarker(logged_, unattended_, log_, port)) return kExitUnexpectedError;
    return code;
}

bool Run::BeforeStep(setup::InstallStep step, int pass, int) {
    switch (step) {
    case setup::InstallStep::ClassifyHost: Step("host", "classifying the host"); break;
    case setup::InstallStep::CheckPc: BeginChecks(); break;
    case setup::InstallStep::LookAtPackage: log_.SetStep("package"); break;
    // The marker goes right before the first change: a PC that cannot take the printer
    // keeps it, and a run that fails after this leaves none.
    case setup::InstallStep::RemovePrevious:
        if (!RemoveMarker())
            return StopWith(kExitUnexpectedError, kMarkerStays);
        Step("remove", "removing what earlier installations left");
        break;
    case setup::InstallStep::VerifyPackage: Step("verify", "checking the package folder"); break;
    case setup::InstallStep::StagePass:
        if (pass == 0) Step("stage", "copying the driver files");
        break;
    case setup::InstallStep::InstallPrinter:
        Step("install", "installing the driver and the printer");
        break;
    // What the window program would tell at the end, for the reader of the log.
    case setup::InstallStep::TellOutcome: break;
    }
    return true;
}

bool Run::AfterStep(setup::InstallStep step, int result) {
    switch (step) {
    case setup::InstallStep::ClassifyHost: log_.Write(HostDescription()); return true;
    case setup::InstallStep::CheckPc: return PcCanTakeThePrinter(result);
    case setup::InstallStep::LookAtPackage: return PackageWillInstall(result);
    case setup::InstallStep::RemovePrevious:
        return result != 0 ||
               StopWith(kExitCommandNotStarted, "a deletion command for RT450 did not start");
    case setup::InstallStep::VerifyPackage:
        return result != 0 ||
               StopWith(kExitDamagedPackage, "a file of the package folder is missing");
    case setup::InstallStep::StagePass:
        return result != 0 ||
               StopWith(kExitStagingFailed, "the driver files were not copied into " +
                                                (sequence_.m_stagingDir.empty()
                                                     ? std::string("the staging folder")
                                                     : sequence_.m_stagingDir));
    // The outcome decides the code once the steps are taken.
    case setup::InstallStep::InstallPrinter:
    case setup::InstallStep::TellOutcome: return true;
    }
    return true;
}

int Run::Install() {
    setup::InstallOutcome outcome = setup::InstallOutcome::UsbUpdateFailed;
    // Unlike the window program, this run removes earlier installations on the older
    // 32-bit class too: there an earlier version's queue and driver would stay in place
    // under this package's name.
    setup::RemovalRequest removal;
    removal.onEveryHost = true;
    if (!sequence_.TakeSteps(*this, &outcome, &removal)) return code_;
    const int code = ExitCodeFor(outcome);
    // Another run cannot mend a package whose publisher this PC does not trust.
    if (code == kExitSignatureNotTrusted ||
        ((code == kExitInfStagingFailed || code == kExitUsbUpdateFailed) &&
         package::IsSignatureFailure(logged_.StagingError())))
        return Failed(kExitSignatureNotTrusted, kUntrustedPackageText);
    return Verified(code);
}

int Run::Uninstall() {
    if (const int code = CheckPcForRemoval(); code != kExitSuccess) return code;
    // As in an install run: a marker that stayed would tell of a printer that is gone.
    if (!RemoveMarker()) return Failed(kExitUnexpectedError, kMarkerStays);
    ClassifyHost();

    Step("remove", "removing the printer, its driver and its staged INF files");
    setup::RemovalRequest request;
    request.onEveryHost = true;
    request.everyStagedInf = true;
    if (sequence_.RemovePreviousInstallations(&request) == 0)
        return Failed(kExitCommandNotStarted, "a deletion command for RT450 did not start");
    if (request.failedUninstalls > 0)
        return Failed(kExitRemovalNeedsAdministrator,
                      "a staged INF file of RT450 could not be uninstalled");

    // Deleted only after a complete removal: a later run still finds what remains.
    const std::string record = setup::RecordFilePath(g_modelName);
    if (logged_.PathFileExists(record) && !logged_.DeleteFile(record))
        return Failed(kExitRemovalNeedsAdministrator, "the record file could not be deleted");

    Step("check", "looking at what the removal left");
    const Seen seen = SeeNothingLeft(logged_);
    log_.Write(seen.what);
    if (!seen.asClaimed)
        return Failed(kExitRemovalLeftSomething, "the uninstall left something of RT450 behind");
    return kExitSuccess;
}

// The folder of the program's own file, without its closing backslash; empty when the
// system does not tell it.
std::string ProgramFolder(sys::UnattendedSystem& unattended) {
    const std::string program = unattended.GetModuleFileName();
    const std::size_t backslash = program.find_last_of('\\');
    if (backslash == std::string::npos) return {};
    // A folder at a drive's root keeps its backslash: "C:" alone names a drive's
    // current directory.
    return program.substr(0, backslash == 2 ? 3 : backslash);
}

// "error <code>: <the system's text>", on one line.
std::string ErrorText(sys::System& system, uint32_t error) {
    std::string text = system.FormatMessage(error);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return "error " + std::to_string(error) + ": " + text;
}

int Finish(InstallLog& log, int code) {
    log.SetStep("end");
    log.Write("exit code " + std::to_string(code) + ": " + ExitCodeMeaning(code));
    return code;
}

}  // namespace

std::string UsageText() {
    std::string text;
    for (const char* line : kUsageLines) text += std::string(line) + "\r\n";
    for (const ExitCode code : kExitCodes) {
        std::string number = std::to_string(static_cast<int>(code));
        number.resize(6, ' ');
        text += "  " + number + ExitCodeMeaning(code) + "\r\n";
    }
    return text;
}

int RunSilentSetup(sys::System& system, sys::UnattendedSystem& unattended,
                   const std::vector<std::string>& args) {
    const ParsedCommandLine parsed = ParseCommandLine(args);
    // A log named relative to where the run was started stays there.
    const std::string startDirectory = unattended.GetCurrentDirectory();
    std::string logPath = parsed.options.logPath;
    if (!logPath.empty()) {
        const std::string fullLogPath = system.GetFullPathName(logPath);
        if (!fullLogPath.empty()) logPath = fullLogPath;
    }
    // The package's folders are named relative to the program's own folder.
    const std::string programFolder = ProgramFolder(unattended);
    const bool inProgramFolder =
        !programFolder.empty() && unattended.SetCurrentDirectory(programFolder);
    const uint32_t directoryError = inProgramFolder ? 0 : system.GetLastError();

    const sys::RunLockState lock = system.TakeRunLock();
    const uint32_t lockError = system.GetLastError();
    const bool anotherRun = lock == sys::RunLockState::HeldByAnotherRun ||
                            lock == sys::RunLockState::Denied;

    InstallLog log(system, unattended);
    LogOpening opening;
    // Opened only under the lock: the log at the usual name belongs to the run that
    // holds it.
    if (!anotherRun) opening = OpenRunLog(log, unattended, logPath);
    log.SetStep("start");
    log.Write("SilentSetup.exe " + JoinArguments(args));
    for (const std::string& note : opening.notes) log.Write(note);
    log.Write("started in " + startDirectory);
    if (inProgramFolder) {
        log.Write("current directory " + programFolder);
    } else {
        log.Write("the current directory could not be set to the program folder \"" +
                  programFolder + "\": " + ErrorText(system, directoryError));
    }
    if (lock == sys::RunLockState::Failed)
        log.Write("the run lock could not be had (" + ErrorText(system, lockError) +
                  "); the run goes on without it");

    if (!parsed.valid) {
        log.Write("invalid argument \"" + parsed.badArgument + "\": " + parsed.reason);
        return Finish(log, kExitInvalidCommandLine);
    }
    if (parsed.options.action == Action::Help) {
        const std::string usage = UsageText();
        unattended.WriteStandardOutput(usage);
        log.Write(usage);
        return Finish(log, kExitSuccess);
    }

    // Another run of this program or of setup.exe, in any session: nothing changes.
    if (anotherRun) return kExitAnotherInstallRunning;
    if (opening.refused) return Finish(log, kExitLogRefused);

    // The window program does this as its main window opens; the record file's name
    // is built from it.
    RewriteModelName(g_modelName);
    Run run(system, unattended, log, parsed.options);
    int code = kExitUnexpectedError;
    try {
        code = parsed.options.action == Action::Uninstall ? run.Uninstall() : run.Install();
    } catch (const ProcessOutlivedItsBound&) {
        code = run.OutlivedItsBound();
    } catch (const std::exception& error) {
        code = run.Unexpected(error.what());
    } catch (...) {
        code = run.Unexpected("not a standard exception");
    }
    Finish(log, code);
    if (parsed.options.forWindowsInstaller && code == kExitWaitingForUsbDevice) {
        log.Write("answered 0 to Windows Installer, which counts every other code as a "
                  "failure");
        return kExitSuccess;
    }
    return code;
}

}  // namespace silent
