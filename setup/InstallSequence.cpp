#include "setup/InstallSequence.h"

#include "host/Platform.h"
#include "package/Staging.h"
#include "setup/CandidateCounts.h"
#include "setup/Messages.h"
#include "setup/RemovalList.h"

#include <vector>

namespace setup {

namespace {
const char* const kInstalledText = "打印机安装成功!";
const char* const kAnotherRunText = "另一个安装程序正在运行，请等它结束后再安装！";

const char* PcFindingText(host::PcCheck finding) {
    switch (finding) {
    case host::PcCheck::Spooler: return kSpoolerNotRunningText;
    case host::PcCheck::ProtectedPrint: return kProtectedPrintText;
    case host::PcCheck::Processor: return kProcessorText;
    case host::PcCheck::Administrator: return kAdministratorText;
    }
    return kUnexpectedErrorText;
}
}  // namespace

int InstallSequence::VerifyPackageFiles() { return package::VerifyPackageFiles(system_, ui_); }

int InstallSequence::StageDriverFiles() {
    return package::StageDriverFiles(system_, ui_, m_stagingDir);
}

int InstallSequence::InstallDriverAndPrinter(int* userNotified, InstallOutcome* outcome) {
    return setup::InstallDriverAndPrinter(system_, ui_, userNotified, outcome);
}

void InstallSequence::ClassifyHost() { host::ClassifyHost(system_, ui_); }

int InstallSequence::CheckPc(host::PcCheckReport* report) {
    const host::PcCheckReport checked = host::CheckPc(system_);
    for (const host::PcCheck finding : checked.findings)
        ui_.MessageBox(PcFindingText(finding), kInfoCaption, sys::kMbIconInformation);
    if (report != nullptr) *report = checked;
    return checked.findings.empty() ? 1 : 0;
}

int InstallSequence::RemovePreviousInstallations(RemovalRequest* request) {
    // The same staged INF files are searched for every name: one pass over each counts
    // all the names, and the counts serve while the file stays unchanged.
    const std::vector<std::string>& names = RemovalList();
    CandidateCounts infCounts(system_, names);
    const int total = static_cast<int>(names.size());
    int lastResult = 1;
    for (int index = 0; index < total; ++index) {
        ui_.ShowProgress(sys::RunStep::Removal, index, total);
        RemovalRequest each;
        if (request != nullptr) {
            each = *request;
            each.failedUninstalls = 0;
        }
        lastResult = RemovePreviousInstallation(system_, ui_, names[index], infCounts,
                                                request != nullptr ? &each : nullptr);
        if (request != nullptr) request->failedUninstalls += each.failedUninstalls;
    }
    // Only the model's own last removal counts; the others are best effort.
    return lastResult;
}

// A directory the system could not give is never staged into: its copies would land in
// the root of the current drive.
int InstallSequence::StagePass(package::StagingPass pass) {
    std::string directory;
    if (!package::StagingDestination(system_, pass, directory)) {
        const uint32_t error = system_.GetLastError();
        ui_.MessageBox(package::ErrorText(system_, error), package::kInstallErrorCaption,
                       sys::kMbIconInformation);
        return 0;
    }
    m_stagingDir = directory;
    return StageDriverFiles();
}

void InstallSequence::TellOutcome(int installed, int userNotified) {
    if (userNotified == 1) return;
    if (installed != 0) {
        ui_.MessageBox(kInstalledText, kInfoCaption, sys::kMbIconInformation);
        return;
    }
    const bool usbPlugAndPlay = host::CurrentHostClass() == host::HostClass::Windows7Or8x86;
    ui_.MessageBox(usbPlugAndPlay ? kConnectUsbText : kInstallFailedText, kInfoCaption,
                   sys::kMbIconInformation);
    ui_.PostQuit();
}

bool InstallSequence::TakeRunLock() {
    const sys::RunLockState lock = system_.TakeRunLock();
    if (lock == sys::RunLockState::HeldByAnotherRun || lock == sys::RunLockState::Denied) {
        ui_.MessageBox(kAnotherRunText, kInfoCaption, sys::kMbIconInformation);
        return false;
    }
    // A lock that cannot be had at all (no raised rights) leaves the run as it always
    // was: it goes on.
    return true;
}

void InstallSequence::OnInstall() {
    if (started_) return;
    started_ = true;
    // While another run is under way nothing starts; a later click tries again.
    if (!TakeRunLock()) {
        started_ = false;
        return;
    }

    // Whatever a step throws (memory that cannot be had, above all) ends the run as a
    // failure does, with a word to the user, rather than the program without one.
    try {
        Run();
    } catch (...) {
        ui_.ShowProgress(sys::RunStep::Finished, 1, 1);
        ui_.MessageBox(kUnexpectedErrorText, kInfoCaption, sys::kMbIconInformation);
        ui_.PostQuit();
    }
}

bool InstallSequence::TakeSteps(InstallStepObserver& observer, InstallOutcome* outcome,
                                RemovalRequest* removal) {
    int count = 0;
    // Before, the step, after: false from the observer ends the run.
    const auto take = [&](InstallStep step, int pass, const auto& work) {
        if (!observer.BeforeStep(step, pass, count)) return false;
        return observer.AfterStep(step, work());
    };
    if (!take(InstallStep::ClassifyHost, 0, [&] { return ClassifyHost(), 1; })) return false;
    // The staging passes follow from the host's class, known after the first step.
    const std::vector<package::StagingPass> passes = package::StagingPasses();
    count = static_cast<int>(passes.size());
    if (!take(InstallStep::CheckPc, 0, [&] { return CheckPc(&pcCheckReport_); })) return false;
    // A damaged package stops the run before the removal deletes a working printer.
    if (!take(InstallStep::LookAtPackage, 0, [&] { return LookAtPackage(); })) return false;
    if (!take(InstallStep::RemovePrevious, 0,
              [&] { return RemovePreviousInstallations(removal); }))
        return false;
    if (!take(InstallStep::VerifyPackage, 0, [&] { return VerifyPackageFiles(); }))
        return false;
    m_stagingDir.clear();
    for (int pass = 0; pass < count; ++pass) {
        if (!take(InstallStep::StagePass, pass, [&] { return StagePass(passes[pass]); }))
            return false;
    }
    int userNotified = 0;
    int installed = 0;
    if (!take(InstallStep::InstallPrinter, 0,
              [&] { return installed = InstallDriverAndPrinter(&userNotified, outcome); }))
        return false;
    return take(InstallStep::TellOutcome, 0,
                [&] { return TellOutcome(installed, userNotified), installed; });
}

namespace {

// The window program's run: progress along the steps, and quit posted after a failed
// one so that the later modal loops close at once; only a PC that cannot take the
// printer or a damaged package ends it, before the removal.
class WindowRun : public InstallStepObserver {
public:
    explicit WindowRun(sys::UiPort& ui) : ui_(ui) {}

    bool BeforeStep(InstallStep step, int pass, int passes) override {
        switch (step) {
        case InstallStep::VerifyPackage: ui_.ShowProgress(sys::RunStep::Staging, 0, passes); break;
        case InstallStep::StagePass:
            if (pass > 0) ui_.ShowProgress(sys::RunStep::Staging, pass, passes);
            break;
        case InstallStep::InstallPrinter: ui_.ShowProgress(sys::RunStep::Installation, 0, 1); break;
        case InstallStep::TellOutcome: ui_.ShowProgress(sys::RunStep::Finished, 1, 1); break;
        default: break;
        }
        return true;
    }

    bool AfterStep(InstallStep step, int result) override {
        if (result != 0) return true;
        switch (step) {
        case InstallStep::CheckPc:
        case InstallStep::LookAtPackage:
            ui_.ShowProgress(sys::RunStep::Finished, 1, 1);
            ui_.PostQuit();
            return false;
        // The outcome message tells a failed installation, and posts quit itself.
        case InstallStep::InstallPrinter:
        case InstallStep::TellOutcome: return true;
        default: ui_.PostQuit(); return true;
        }
    }

private:
    sys::UiPort& ui_;
};

}  // namespace

void InstallSequence::Run() {
    WindowRun window(ui_);
    if (TakeSteps(window)) ui_.PostQuit();
}

}  // namespace setup
