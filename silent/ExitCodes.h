#pragma once
// The exit codes of the unattended installer: one per outcome that a deployment tool
// must tell apart. Where the deployment engines already give a Windows installer code a
// meaning, that code is used; the others are ours, and 0 is success only. No outcome
// needs a restart, so 3010 is never returned.

namespace silent {

enum ExitCode : int {
    kExitSuccess = 0,                      // installed; removed; usage shown
    kExitWaitingForUsbDevice = 20,         // package staged, the printer installs when
                                           // it is plugged in
    kExitDamagedPackage = 21,              // a file of the package folder is missing
    kExitStagingFailed = 22,               // copying the driver files failed
    kExitInfStagingFailed = 23,            // the system did not take the INF file
    kExitCommandNotStarted = 24,           // a printer-setup command or Setup64.exe
                                           // could not start
    kExitNoUsbDevice = 25,                 // no USB printer, on a host that does not
                                           // install it when plugged in later
    kExitUsbUpdateFailed = 26,             // the USB driver update failed
    kExitSetup64Failed = 27,               // Setup64.exe ended with a failure code
    kExitRemovalNeedsAdministrator = 28,   // a staged INF or the record file could not
                                           // be removed: run as administrator
    kExitUnexpectedError = 29,             // a step threw (memory that could not be had),
                                           // or the marker could not be removed or written
    kExitSpoolerNotRunning = 30,           // the print spooler does not run
    kExitProtectedPrintMode = 31,          // protected print mode admits no driver of ours
    kExitProcessorNotSupported = 32,       // an ARM64 PC: the package has no driver for it
    kExitSignatureNotTrusted = 33,         // the driver package's signature is not
                                           // trusted on this PC
    kExitNotAsAsked = 34,                  // the commands ran, but the spooler shows no
                                           // queue as asked (or no staged driver for USB)
    kExitProcessOutlivedItsBound = 35,     // a printer-setup command or Setup64.exe did
                                           // not end within its bound
    kExitRemovalLeftSomething = 36,        // the uninstall left something of the model
    kExitOtherDriverVersion = 37,          // the printer is there, but its driver is
                                           // another version than this package's
    kExitLogRefused = 38,                  // /log names what the run may not write
                                           // through; nothing was changed
    kExitNotElevated = 740,                // ERROR_ELEVATION_REQUIRED: run as administrator
    kExitAnotherInstallRunning = 1618,     // ERROR_INSTALL_ALREADY_RUNNING: retry later
    kExitInvalidCommandLine = 1639,        // ERROR_INVALID_COMMAND_LINE
};

// What the code means, in a few words, for the log and the usage text.
const char* ExitCodeMeaning(int code);

// Every code, in the order of the table above.
inline constexpr ExitCode kExitCodes[] = {
    kExitSuccess,           kExitWaitingForUsbDevice, kExitDamagedPackage,
    kExitStagingFailed,     kExitInfStagingFailed,    kExitCommandNotStarted,
    kExitNoUsbDevice,       kExitUsbUpdateFailed,     kExitSetup64Failed,
    kExitRemovalNeedsAdministrator, kExitUnexpectedError, kExitSpoolerNotRunning,
    kExitProtectedPrintMode,        kExitProcessorNotSupported, kExitSignatureNotTrusted,
    kExitNotAsAsked,                kExitProcessOutlivedItsBound, kExitRemovalLeftSomething,
    kExitOtherDriverVersion,
    kExitLogRefused,
    kExitNotElevated,               kExitAnotherInstallRunning, kExitInvalidCommandLine,
};

}  // namespace silent
