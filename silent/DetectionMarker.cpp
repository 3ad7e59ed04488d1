#include "silent/DetectionMarker.h"

#include <cstdint>
#include <utility>

#include "ProductVersion.h"
#include "silent/LoggingSystem.h"

namespace silent {

const char* const kMarkerVersion = RT450_VERSION_TEXT;

namespace {
std::string FullName() { return std::string("HKLM\\") + kMarkerKey; }
}  // namespace

bool RemoveDetectionMarker(sys::System& system, sys::UnattendedSystem& unattended,
                           InstallLog& log) {
    const uint32_t error = unattended.RegDeleteKey(kMarkerKey);
    if (error != 0) {
        log.Write("removing the detection marker " + FullName() +
                  " failed: " + DescribeError(system, error));
        return false;
    }
    log.Write("no detection marker " + FullName() + " is left");
    return true;
}

bool WriteDetectionMarker(sys::System& system, sys::UnattendedSystem& unattended,
                          InstallLog& log, const std::string& port) {
    const std::pair<const char*, std::string> values[] = {
        {kMarkerPortValue, port},
        {kMarkerInstalledAtValue, TimeStamp(unattended.GetLocalTime())},
        {kMarkerVersionValue, kMarkerVersion},
    };
    for (const auto& [name, text] : values) {
        const uint32_t error = unattended.RegSetValueEx(kMarkerKey, name, text);
        if (error != 0) {
            log.Write("writing the detection marker " + FullName() + " failed: " +
                      DescribeError(system, error));
            unattended.RegDeleteKey(kMarkerKey);
            return false;
        }
    }
    log.Write("wrote the detection marker " + FullName() + ": Version " + kMarkerVersion +
              ", Port " + port);
    return true;
}

}  // namespace silent
