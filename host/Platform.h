#pragma once
// Classification of the running Windows into the three host classes that every later
// step of an install run reads.

#include <string>

#include "sys/UiPort.h"
#include "sys/System.h"

// The platform flags: 0 at process start, written only by ClassifyHost; a flag is set
// when it is non-zero.
extern int g_is64BitOs;
extern int g_isWindows7;
extern int g_isWindows8;

namespace host {

enum class HostClass {
    Host64,         // g_is64BitOs set, whatever the other two say
    Windows7Or8x86, // 32-bit Windows 7 or Windows 8 class
    Older32,        // all three flags 0
};

// Non-zero when this 32-bit process runs under WOW64; 0 otherwise or when it cannot be
// learnt ("IsWow64 error!" is shown when IsWow64Process itself fails).
int IsWow64Host(sys::System& system, sys::UiPort& ui);
// The release name by the version table; empty for the Windows 8 class and failures.
std::string GetOsDisplayName(sys::System& system);
// 7, 8 or 0.
int GetOsGeneration(sys::System& system);
// Sets the platform flags; the first step of every install run.
void ClassifyHost(sys::System& system, sys::UiPort& ui);
// The class that the current flags give.
HostClass CurrentHostClass();

}  // namespace host
