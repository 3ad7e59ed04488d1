#pragma once
// What the test says about the devices of its prefix, read from the device script on
// every call so that a test may change it between runs. One setting per line, words
// parted by blanks, '#' starting a comment line:
//   device <hardware id>        a device with this hardware id is plugged in
//   queue <name> <port> <driver> <data> <config>
//                               when an update installs a device, add the printer driver
//                               <name> (files of the INF's folder) and the printer <name>
//                               on <port>
//   fail <function> <code>      the function fails with this error code (0x hex or
//                               decimal); <function> is UpdateDriverForPlugAndPlayDevices
//                               or DiInstallDriver, A and W alike
// A missing script means nothing is plugged in.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace e2e {

struct PrinterQueue {
    std::wstring name;
    std::wstring port;
    std::wstring driverFile;
    std::wstring dataFile;
    std::wstring configFile;
};

struct DeviceScript {
    std::vector<std::wstring> devices;
    std::vector<PrinterQueue> queues;
    std::map<std::wstring, DWORD> forcedErrors;   // function name -> error code

    bool IsPlugged(const std::wstring& hardwareId) const;
    // True with the code when the script makes `function` fail.
    bool ForcedError(const std::wstring& function, DWORD& code) const;
};

// False with a reason when a line cannot be read; the script is then not used.
bool ReadDeviceScript(DeviceScript& script, std::string& error);

}  // namespace e2e
