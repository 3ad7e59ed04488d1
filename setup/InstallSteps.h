#pragma once
// The steps of an install run, in the one order that both programs take them: the window
// program tells the user along the way and goes on after a failed step; the unattended
// one logs each and stops at the first that fails. Each says so through its observer.

namespace setup {

enum class InstallStep {
    ClassifyHost,    // never fails
    CheckPc,         // fails when something keeps this PC from the printer
    LookAtPackage,   // read only, before any change: fails when a file of the package
                     // folder is missing
    RemovePrevious,  // fails when a deletion command of the model could not start
    VerifyPackage,   // fails when a file of the package folder is missing
    StagePass,       // once per staging pass; fails when its copy failed
    InstallPrinter,  // fails when the printer is not taken as installed
    TellOutcome,     // the outcome message, where the installation gave none
};

class InstallStepObserver {
public:
    virtual ~InstallStepObserver() = default;
    // Before a step; pass and passes number the staging passes (0 and their count for
    // the other steps). False ends the run before the step.
    virtual bool BeforeStep(InstallStep step, int pass, int passes) = 0;
    // After a step, with its result (1 done, 0 failed). False ends the run there.
    virtual bool AfterStep(InstallStep step, int result) = 0;
};

}  // namespace setup
