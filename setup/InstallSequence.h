#pragma once
// The whole work behind the install button: classify the host, check the PC, remove
// earlier installations, verify and stage the package, install the printer, tell the
// outcome. OnInstall is the window program's run: a failing step (but the PC check)
// never stops it, it posts quit and the run goes on, so that every later modal loop of
// the run closes at once. TakeSteps serves a caller that stops at the first failing
// step instead.

#include <string>

#include "host/PcChecks.h"
#include "package/StagingDestinations.h"
#include "setup/DriverInstallation.h"
#include "setup/InstallSteps.h"
#include "setup/Removal.h"
#include "sys/UiPort.h"
#include "sys/System.h"

namespace setup {

class InstallSequence {
public:
    InstallSequence(sys::System& system, sys::UiPort& ui) : system_(system), ui_(ui) {}

    // Runs once per sequence object: a call while a run is under way (a click that a
    // message box's or the port dialog's loop dispatches) or after it (a click queued
    // before the run's closing quit) does nothing. The run holds the run lock that
    // SilentSetup.exe shares, from the click on; when another run holds it, a box says
    // so, nothing starts and a later click may try again. Whatever escapes a step is told in a
    // box and ends the run as a failure does (quit posted).
    void OnInstall();

    // Takes the steps of an install run in their order (InstallSteps.h), as the observer
    // lets it. True when every step was taken. *outcome, when given, says how the
    // installation ended; the PC checks' report stays in LastPcCheck(). A removal
    // request, when given, is the removal step's.
    bool TakeSteps(InstallStepObserver& observer, InstallOutcome* outcome = nullptr,
                   RemovalRequest* removal = nullptr);
    const host::PcCheckReport& LastPcCheck() const { return pcCheckReport_; }

    // The steps of a run. Each step that can fail returns 0 when it did, after telling
    // the user why.
    void ClassifyHost();
    // Whether this PC can take the printer, before anything changes: one box for each
    // thing that keeps it from the printer, and 0 when there was one. The report, when
    // given, gets the findings and the checks that could not tell.
    int CheckPc(host::PcCheckReport* report = nullptr);
    // Removes what earlier installations left for every name of the removal list; only
    // the model's own last removal decides the result. A request, when given, applies to
    // every name, and adds up the failed uninstalls of all of them.
    int RemovePreviousInstallations(RemovalRequest* request = nullptr);
    int VerifyPackageFiles();
    // The package folder as the install will need it, looked at before anything
    // changes: the verify step's check, with its box.
    int LookAtPackage() { return VerifyPackageFiles(); }
    // One staging pass (package::StagingPasses gives them in order): the destination
    // into m_stagingDir, then the driver files into it.
    int StagePass(package::StagingPass pass);
    int InstallDriverAndPrinter(int* userNotified, InstallOutcome* outcome = nullptr);
    // The outcome message, unless the installation told the user itself; posts quit
    // after a failure message.
    void TellOutcome(int installed, int userNotified);

    int StageDriverFiles();

    // Destination of the current staging pass.
    std::string m_stagingDir;

private:
    bool TakeRunLock();
    void Run();

    sys::System& system_;
    sys::UiPort& ui_;
    bool started_ = false;
    host::PcCheckReport pcCheckReport_;
};

}  // namespace setup
