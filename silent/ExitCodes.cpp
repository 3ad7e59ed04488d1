#include "silent/ExitCodes.h"

namespace silent {

const char* ExitCodeMeaning(int code) {
    switch (code) {
    case kExitSuccess: return "success";
    case kExitWaitingForUsbDevice:
        return "driver staged; the printer installs when its USB cable is plugged in";
    case kExitDamagedPackage: return "damaged package: a file of the package folder is missing";
    case kExitStagingFailed: return "copying the driver files failed";
    case kExitInfStagingFailed: return "the system did not stage the INF file";
    case kExitCommandNotStarted: return "a printer-setup command or Setup64.exe could not start";
    case kExitNoUsbDevice: return "no USB printer is connected";
    case kExitUsbUpdateFailed: return "the USB driver update failed";
    case kExitSetup64Failed: return "Setup64.exe failed";
    case kExitRemovalNeedsAdministrator:
        return "removal incomplete: run as administrator";
    case kExitUnexpectedError: return "unexpected error";
    case kExitSpoolerNotRunning:
        return "the print spooler is not running: start the Print Spooler service";
    case kExitProtectedPrintMode:
        return "Windows protected print mode is on: it allows no third-party printer driver";
    case kExitProcessorNotSupported:
        return "this PC's processor (ARM64) needs a driver that the package does not have";
    case kExitSignatureNotTrusted:
        return "the driver package's signature is not trusted on this PC";
    case kExitNotAsAsked:
        return "the commands ran, but the printer is not there as asked";
    case kExitProcessOutlivedItsBound:
        return "a printer-setup command or Setup64.exe did not end in time";
    case kExitRemovalLeftSomething: return "the uninstall left something of RT450 behind";
    case kExitOtherDriverVersion:
        return "the printer is there, but its driver is another version than this package's";
    case kExitLogRefused: return "the log that /log names may not be written";
    case kExitNotElevated: return "not run as administrator";
    case kExitAnotherInstallRunning: return "another installation is running";
    case kExitInvalidCommandLine: return "invalid command line";
    default: return "unknown";
    }
}

}  // namespace silent
