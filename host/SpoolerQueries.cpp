#include "host/SpoolerQueries.h"

#include <algorithm>

namespace host {

namespace {
bool Lists(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}
}  // namespace

bool IsDriverInstalled(sys::System& system, const std::string& name) {
    return Lists(system.EnumPrinterDrivers(), name);
}

bool IsDriverInstalledIn(sys::System& system, const std::string& environment,
                         const std::string& name) {
    std::vector<std::string> names;
    return system.EnumPrinterDriversIn(environment, names) && Lists(names, name);
}

bool IsPrinterInstalled(sys::System& system, const std::string& name) {
    return Lists(system.EnumPrinters(), name);
}

}  // namespace host
