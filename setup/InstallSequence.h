#pragma once
// The whole work behind the install button: classify the host, remove earlier
// installations, verify and stage the package, install the printer, tell the outcome.
// A failing step never stops the run: it posts quit and the run goes on, so that every
// later modal loop of the run closes at once.

#include <string>

#include "sys/UiPort.h"
#include "sys/System.h"

namespace setup {

class InstallSequence {
public:
    InstallSequence(sys::System& system, sys::UiPort& ui) : system_(system), ui_(ui) {}

    // Runs once per sequence object: a call while a run is under way (a click that a
    // message box's or the port dialog's loop dispatches) or after it (a click queued
    // before the run's closing quit) does nothing. Whatever escapes a step is told in a
    // box and ends the run as a failure does (quit posted).
    void OnInstall();

    int VerifyPackageFiles();
    int StageDriverFiles();
    int InstallDriverAndPrinter(int* userNotified);

    // Destination of the current staging pass.
    std::string m_stagingDir;

private:
    void Run();
    void RemovePreviousInstallations();
    void StageInto(bool haveDirectory, const std::string& directory);
    void TellOutcome(int installed, int userNotified);

    sys::System& system_;
    sys::UiPort& ui_;
    bool started_ = false;
};

}  // namespace setup
