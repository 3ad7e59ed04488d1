// Runs the installer's own host classification against the real system of a test
// prefix and writes what it decided to a log: the platform flags, the host class, the
// package variant and the staging destinations, and the ANSI code page that the test
// prefix gives.
//
// Usage: e2e_probe.exe <log file>

#include "sys/WindowsApi.h"  // not <windows.h>: its A/W macros would rename seam methods

#include <string>
#include <vector>

#include "../common/JsonObject.h"
#include "../common/LogFile.h"
#include "../common/Text.h"
#include "RecordingUi.h"
#include "host/Platform.h"
#include "package/Package.h"
#include "package/StagingDestinations.h"
#include "sys/Win32System.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;

const char* HostClassName(host::HostClass hostClass) {
    switch (hostClass) {
    case host::HostClass::Host64: return "64-bit";
    case host::HostClass::Windows7Or8x86: return "32-bit Windows 7/8";
    case host::HostClass::Older32: return "older 32-bit";
    }
    return "?";
}

// The directories an install run stages into on this host, in order, as the
// installer's own code names them.
std::vector<std::string> StagingDestinations(sys::System& system) {
    std::vector<std::string> destinations;
    for (const package::StagingPass pass : package::StagingPasses()) {
        std::string directory;
        if (package::StagingDestination(system, pass, directory))
            destinations.push_back(e2e::AnsiToUtf8(directory));
    }
    return destinations;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return kExitUsage;
    const std::wstring logPath = argv[1];

    sys::Win32System system;
    e2e::RecordingUi ui(logPath);
    host::ClassifyHost(system, ui);

    const package::Variant variant = package::ChooseVariant();
    e2e::JsonObject line;
    line.Add("kind", "host")
        .Add("is64BitOs", static_cast<long long>(g_is64BitOs))
        .Add("isWindows7", static_cast<long long>(g_isWindows7))
        .Add("isWindows8", static_cast<long long>(g_isWindows8))
        .Add("class", HostClassName(host::CurrentHostClass()))
        .Add("osDisplayName", e2e::AnsiToUtf8(host::GetOsDisplayName(system)))
        .Add("variant", package::VariantFolder(variant))
        .Add("destinations", StagingDestinations(system))
        .Add("acp", static_cast<long long>(GetACP()));
    e2e::AppendJson(logPath, line);
    return kExitOk;
}
