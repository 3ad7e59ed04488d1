#pragma once
// The version of the driver that an INF installs: its DriverVer line,
// "DriverVer=mm/dd/yyyy,a.b.c.d". The spooler keeps the version of a driver installed
// from an INF as that line gave it, so the two can be compared.

#include <cstdint>
#include <string>

#include "sys/System.h"

namespace package {

// The INF's version packed as the spooler's dwlDriverVersion packs it: a, b, c and d in
// 16 bits each, a highest; parts left out count 0. False when the INF cannot be read or
// has no DriverVer line with a version.
bool ReadDriverVer(sys::System& system, const std::string& infPath, uint64_t& version);

// "a.b.c.d".
std::string DriverVersionText(uint64_t version);

}  // namespace package
