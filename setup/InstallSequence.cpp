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
        each.onEveryHost = request != nullptr && request->onEveryHost;
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

void InstallSequence::Run() {
    ClassifyHost();
    // A PC that cannot take the printer keeps what it has: the run ends before the
    // removal, as a failed run ends.
    if (CheckPc() == 0) {
        ui_.ShowProgress(sys::RunStep::Finished, 1, 1);
        ui_.PostQuit();
        return;
    }
    if (RemovePreviousInstallations() == 0) ui_.PostQuit();
    const std::vector<package::StagingPass> passes = package::StagingPasses();
    const int stagingPasses = static_cast<int>(passes.size());
    ui_.ShowProgress(sys::RunStep::Staging, 0, stagingPasses);
    if (VerifyPackageFiles() == 0) ui_.PostQuit();

    m_stagingDir.clear();
    for (int done = 0; done < stagingPasses; ++done) {
        if (StagePass(passes[done]) == 0) ui_.PostQuit();
        if (done + 1 < stagingPasses)
            ui_.ShowProgress(sys::RunStep::Staging, done + 1, stagingPasses);
    }

    ui_.ShowProgress(sys::RunStep::Installation, 0, 1);
    int userNotified = 0;
    const int installed = InstallDriverAndPrinter(&userNotified);
    ui_.ShowProgress(sys::RunStep::Finished, 1, 1);
    TellOutcome(installed, userNotified);
    ui_.PostQuit();
}

}  // namespace setup
