#pragma once
// A fake machine and main window, with the platform flags cleared before each test and
// helpers that put the fake into one of the host classes.

#include <gtest/gtest.h>

#include "host/Platform.h"
#include "tests/unit/FakeSystem.h"
#include "tests/unit/FakeUi.h"

namespace fake {

enum class Host { Xp32, Vista32, Win7x86, Win8x86, Win7x64, Win10x64 };

inline void SetFlags(int is64, int win7, int win8) {
    g_is64BitOs = is64;
    g_isWindows7 = win7;
    g_isWindows8 = win8;
}

// What the system reports on each kind of host (as a 32-bit program without a manifest
// that names later releases sees it).
inline void MakeHost(FakeSystem& system, Host host) {
    switch (host) {
    case Host::Xp32: system.version = {5, 1, 2, 1}; system.wow64 = 0; break;
    case Host::Vista32: system.version = {6, 0, 2, 1}; system.wow64 = 0; break;
    case Host::Win7x86: system.version = {6, 1, 2, 1}; system.wow64 = 0; break;
    case Host::Win8x86: system.version = {6, 2, 2, 1}; system.wow64 = 0; break;
    case Host::Win7x64: system.version = {6, 1, 2, 1}; system.wow64 = 1; break;
    case Host::Win10x64: system.version = {6, 2, 2, 1}; system.wow64 = 1; break;
    }
    // The calls that older releases lack: no IsWow64Process2 before Windows 10, no
    // run-time classes (combase.dll) before Windows 8, no token elevation before Vista.
    const bool windows10 = host == Host::Win8x86 || host == Host::Win10x64;
    system.hasIsWow64Process2 = windows10;
    system.protectedPrintInfoError =
        windows10 ? sys::kClassNotRegistered : sys::kErrorModNotFound;
    system.knowsTokenElevation = host != Host::Xp32;
}

// The version in the package's INF files (DriverVer), and as the spooler keeps it.
inline constexpr const char* kPackageDriverVer = "12/01/2026,2.4.0.7";
inline constexpr uint64_t kPackageDriverVersion = 0x0002000400000007;

// The three package folders with their seven driver files and INF file, as shipped.
inline void AddWholePackage(FakeSystem& system) {
    for (const char* folder : {"amd64", "i386w7", "i386"}) {
        for (const char* name : {"ZORQ80-Series.dll", "ZORQ80-Series.gpd", "UNIDRV.DLL",
                                 "UNIDRV.HLP", "UNIDRVUI.DLL", "UNIRES.DLL", "STDNAMES.GPD"})
            system.AddFile(std::string(".\\") + folder + "\\" + name, std::string(folder) + ":" + name);
        system.AddFile(std::string(".\\") + folder + "\\ZORQ80-Series.INF",
                       std::string(folder) + ":ZORQ80-Series.INF\r\n[Version]\r\nDriverVer=" +
                           kPackageDriverVer + "\r\n");
    }
}

class HostTest : public ::testing::Test {
protected:
    void SetUp() override { SetFlags(0, 0, 0); }
    void TearDown() override { SetFlags(0, 0, 0); }

    FakeSystem system;
    FakeUi ui;
};

}  // namespace fake
