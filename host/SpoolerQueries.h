#pragma once
// Yes-or-no questions to the local print spooler. Nothing is cached: each call asks
// afresh. Names compare as whole byte strings: case-sensitive, no trimming, no prefixes.

#include <string>

#include "sys/System.h"

namespace host {

// The spooler's environments: of the 32-bit drivers, and of the 64-bit ones, which 64-bit
// Windows prints with.
inline constexpr const char* kEnvironmentX86 = "Windows NT x86";
inline constexpr const char* kEnvironmentX64 = "Windows x64";

// In the environment of this 32-bit process ("Windows NT x86").
bool IsDriverInstalled(sys::System& system, const std::string& name);
// In the environment named; false too when the spooler cannot be asked.
bool IsDriverInstalledIn(sys::System& system, const std::string& environment,
                         const std::string& name);
bool IsPrinterInstalled(sys::System& system, const std::string& name);

}  // namespace host
