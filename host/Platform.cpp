#include "host/Platform.h"

int g_is64BitOs = 0;
int g_isWindows7 = 0;
int g_isWindows8 = 0;

namespace host {

namespace {
constexpr uint32_t kPlatformWin32Windows = 1;
constexpr uint32_t kPlatformWin32Nt = 2;

std::string NameForVersion4(const sys::OsVersion& v) {
    switch (v.minorVersion) {
    case 0:
        if (v.platformId == kPlatformWin32Nt) return "Microsoft Windows NT 4.0";
        if (v.platformId == kPlatformWin32Windows) return "Microsoft Windows 95";
        return "";
    case 10: return "Microsoft Windows 98";
    case 90: return "Microsoft Windows Me";
    default: return "";
    }
}

std::string NameForVersion5(sys::System& system, const sys::OsVersion& v,
                            uint16_t architecture) {
    switch (v.minorVersion) {
    case 0: return "Microsoft Windows 2000";
    case 1: return "Microsoft Windows XP";
    case 2:
        if (v.productType == sys::kVerNtWorkstation &&
            architecture == sys::kProcessorArchitectureAmd64)
            return "Microsoft Windows XP Professional x64 Edition";
        if (system.GetSystemMetrics(sys::kSmServerR2) == 0)
            return "Microsoft Windows Server 2003";
        return "Microsoft Windows Server 2003 R2";
    default: return "";
    }
}

std::string NameForVersion6(const sys::OsVersion& v) {
    const bool workstation = v.productType == sys::kVerNtWorkstation;
    switch (v.minorVersion) {
    case 0: return workstation ? "Microsoft Windows Vista" : "Microsoft Windows Server 2008";
    case 1: return workstation ? "Microsoft Windows 7" : "Microsoft Windows Server 2008 R2";
    // 6.2 is what every later release reports to a program without a manifest that
    // names it, so the Windows 8 class is the empty name.
    default: return "";
    }
}
}  // namespace

int IsWow64Host(sys::System& system, sys::UiPort& ui) {
    // Looked up at run time: Windows before XP SP2 has no such entry point.
    if (!system.HasProcAddress("kernel32", "IsWow64Process")) return 0;
    int32_t result = 0;
    if (!system.IsWow64Process(result)) {
        ui.AfxMessageBox("IsWow64 error!", sys::kMbOk);
        return 0;
    }
    return result;
}

std::string GetOsDisplayName(sys::System& system) {
    const uint16_t architecture = system.GetSystemInfoProcessorArchitecture();
    sys::OsVersion version;
    if (!system.GetVersionEx(version)) return "";
    switch (version.majorVersion) {
    case 4: return NameForVersion4(version);
    case 5: return NameForVersion5(system, version, architecture);
    case 6: return NameForVersion6(version);
    default: return "未知操作系统";
    }
}

int GetOsGeneration(sys::System& system) {
    const std::string name = GetOsDisplayName(system);
    if (name == "Microsoft Windows 7") return 7;
    if (name.empty()) return 8;
    return 0;
}

void ClassifyHost(sys::System& system, sys::UiPort& ui) {
    g_is64BitOs = IsWow64Host(system, ui);
    const int generation = GetOsGeneration(system);
    if (generation == 7) {
        g_isWindows7 = 1;
    } else if (generation == 8) {
        g_isWindows8 = 1;
    }
}

HostClass CurrentHostClass() {
    if (g_is64BitOs != 0) return HostClass::Host64;
    if (g_isWindows7 != 0 || g_isWindows8 != 0) return HostClass::Windows7Or8x86;
    return HostClass::Older32;
}

}  // namespace host
