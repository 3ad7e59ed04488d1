#pragma once
// The detection marker: the registry key that deployment tools test to learn that this
// PC has the printer. It exists only after a run whose success was seen: removed at the
// start of every install run and by the uninstall, written at the end of a run that ends
// with 0 or 20. It lives in HKEY_LOCAL_MACHINE, which only administrators can write, in
// the 64-bit view on 64-bit Windows: the view that 64-bit tools, reg.exe and a
// deployment agent's registry rule read unless told otherwise.

#include <string>

#include "silent/InstallLog.h"
#include "sys/System.h"
#include "sys/UnattendedSystem.h"

namespace silent {

inline constexpr const char* kMarkerKey = "SOFTWARE\\RT450 Printer Installer";
// The values; Version is written last, so a marker with a Version value is whole.
inline constexpr const char* kMarkerVersionValue = "Version";
inline constexpr const char* kMarkerPortValue = "Port";
inline constexpr const char* kMarkerInstalledAtValue = "InstalledAt";
// The product's version (VERSION), as the version records carry it.
extern const char* const kMarkerVersion;

// False, with a log line, when a marker could not be removed.
bool RemoveDetectionMarker(sys::System& system, sys::UnattendedSystem& unattended,
                           InstallLog& log);

// Writes the marker for the port ("LPT1:" or "USB"); false, with a log line and no
// marker left, when it could not be written whole.
bool WriteDetectionMarker(sys::System& system, sys::UnattendedSystem& unattended,
                          InstallLog& log, const std::string& port);

}  // namespace silent
