#pragma once
// Yes-or-no questions to the local print spooler. Nothing is cached: each call asks
// afresh. Names compare as whole byte strings: case-sensitive, no trimming, no prefixes.

#include <string>

#include "sys/System.h"

namespace host {

bool IsDriverInstalled(sys::System& system, const std::string& name);
bool IsPrinterInstalled(sys::System& system, const std::string& name);

}  // namespace host
