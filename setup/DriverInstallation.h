#pragma once
// The last step of an install run: stage the INF, record its staged name, ask for the
// port and install the printer on LPT1: or as a Plug-and-Play USB device.

#include <string>

#include "package/Package.h"
#include "sys/UiPort.h"
#include "sys/System.h"

namespace setup {

inline constexpr const char* kModelName = "RT450";
inline constexpr const char* kUsbHardwareId = "USBPRINT\\KELVARO80-Series0AA5";
inline constexpr const char* kInfDirectory = "c:\\windows\\inf\\";

// The printer-setup command lines, fixed before the port is asked for.
struct PrinterSetupCommands {
    std::string driver;
    std::string printer;
};

// The commands for the current platform flags and what the spooler lists now.
PrinterSetupCommands ChoosePrinterSetupCommands(sys::System& system);

// The record file that names the INF staged for a printer: c:\windows\inf\<name>.txt.
std::string RecordFilePath(const std::string& fileNameForm);

// How the step ended, for a caller that must tell the outcomes apart; the window
// program needs only the result and the flag.
enum class InstallOutcome {
    Installed,            // both LPT1: commands started, the USB update made, or
                          // Setup64.exe reported the printer installed
    WaitingForUsbDevice,  // the package is staged and installs when the printer is
                          // plugged in (the user was told so, or its queue is there)
    InfNotStaged,         // SetupCopyOEMInfA failed
    CommandNotStarted,    // a printer-setup command or Setup64.exe did not start
    NoUsbDevice,          // no printer with the hardware id, on a host that does not
                          // install it when it is plugged in later
    UsbUpdateFailed,      // the USB update failed with another code
    Setup64Failed,        // Setup64.exe ended with another exit code
    Setup64SignatureNotTrusted,  // Setup64.exe failed for the package's signature
};

// 1 when the printer is taken as installed, 0 when not. Sets *userNotified to 1 when it
// has told the user the outcome itself; never sets it to 0. *outcome, when given, says
// how the step ended.
int InstallDriverAndPrinter(sys::System& system, sys::UiPort& ui, int* userNotified,
                            InstallOutcome* outcome = nullptr);

}  // namespace setup
