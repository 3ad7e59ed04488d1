#include <gtest/gtest.h>

#include "host/Platform.h"
#include "tests/unit/HostFixture.h"

namespace {

using fake::HostTest;

struct NameCase {
    uint32_t major, minor, platformId;
    uint8_t productType;
    uint16_t architecture;
    int serverR2;
    const char* name;
    int generation;
};

// major, minor, platform id, product type, processor architecture, SM_SERVERR2,
// expected name, expected generation.
const NameCase kNameCases[] = {
    {4, 0, 2, 1, 0, 0, "Microsoft Windows NT 4.0", 0},
    {4, 0, 1, 1, 0, 0, "Microsoft Windows 95", 0},
    {4, 0, 0, 1, 0, 0, "", 8},
    {4, 0, 3, 1, 0, 0, "", 8},
    {4, 10, 1, 1, 0, 0, "Microsoft Windows 98", 0},
    {4, 10, 7, 1, 0, 0, "Microsoft Windows 98", 0},
    {4, 90, 1, 1, 0, 0, "Microsoft Windows Me", 0},
    {4, 3, 1, 1, 0, 0, "", 8},
    {5, 0, 2, 1, 0, 0, "Microsoft Windows 2000", 0},
    {5, 1, 2, 1, 0, 0, "Microsoft Windows XP", 0},
    {5, 1, 1, 3, 9, 1, "Microsoft Windows XP", 0},
    {5, 2, 2, 1, 9, 0, "Microsoft Windows XP Professional x64 Edition", 0},
    {5, 2, 2, 1, 9, 1, "Microsoft Windows XP Professional x64 Edition", 0},
    {5, 2, 2, 1, 0, 0, "Microsoft Windows Server 2003", 0},
    {5, 2, 2, 3, 9, 0, "Microsoft Windows Server 2003", 0},
    {5, 2, 2, 3, 0, 1, "Microsoft Windows Server 2003 R2", 0},
    {5, 2, 2, 1, 6, 1, "Microsoft Windows Server 2003 R2", 0},
    {5, 3, 2, 1, 0, 0, "", 8},
    {6, 0, 2, 1, 0, 0, "Microsoft Windows Vista", 0},
    {6, 0, 2, 3, 0, 0, "Microsoft Windows Server 2008", 0},
    {6, 1, 2, 1, 9, 0, "Microsoft Windows 7", 7},
    {6, 1, 2, 2, 0, 0, "Microsoft Windows Server 2008 R2", 0},
    {6, 1, 2, 3, 0, 0, "Microsoft Windows Server 2008 R2", 0},
    {6, 2, 2, 1, 0, 0, "", 8},
    {6, 3, 2, 3, 0, 0, "", 8},
    {6, 99, 2, 1, 0, 0, "", 8},
    {3, 51, 2, 1, 0, 0, "未知操作系统", 0},
    {10, 0, 2, 1, 9, 0, "未知操作系统", 0},
    {0, 0, 0, 0, 0, 0, "未知操作系统", 0},
};

TEST_F(HostTest, VersionNameTableAndGeneration) {
    for (const auto& c : kNameCases) {
        fake::FakeSystem machine;
        machine.version = {c.major, c.minor, c.platformId, c.productType};
        machine.processorArchitecture = c.architecture;
        machine.serverR2Metric = c.serverR2;
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor) + " type " +
                     std::to_string(c.productType));
        EXPECT_EQ(host::GetOsDisplayName(machine), c.name);
        EXPECT_EQ(host::GetOsGeneration(machine), c.generation);
    }
}

TEST_F(HostTest, UnknownSystemNameIsTwelveBytesOfCodePage936) {
    system.version = {10, 0, 2, 1};
    const std::string expected = "\xCE\xB4\xD6\xAA\xB2\xD9\xD7\xF7\xCF\xB5\xCD\xB3";
    EXPECT_EQ(host::GetOsDisplayName(system), expected);
}

TEST_F(HostTest, ServerR2MetricIsAskedOnlyWhenTheRowNeedsIt) {
    system.version = {5, 2, 2, 1};
    system.processorArchitecture = 9;
    host::GetOsDisplayName(system);
    EXPECT_TRUE(system.CallsStartingWith("GetSystemMetrics").empty());
    system.processorArchitecture = 0;
    host::GetOsDisplayName(system);
    EXPECT_EQ(system.CallsStartingWith("GetSystemMetrics"),
              std::vector<std::string>{"GetSystemMetrics 89"});
}

TEST_F(HostTest, FailedVersionQueryIsTheWindows8Class) {
    system.versionQueryFails = true;
    EXPECT_EQ(host::GetOsDisplayName(system), "");
    EXPECT_EQ(host::GetOsGeneration(system), 8);
}

// The processor's architecture is asked first, also when the version then cannot be had.
TEST_F(HostTest, TheSystemInfoIsAskedBeforeTheVersion) {
    for (const bool versionFails : {false, true}) {
        system.calls.clear();
        system.versionQueryFails = versionFails;
        host::GetOsDisplayName(system);
        EXPECT_EQ(system.calls, (std::vector<std::string>{"GetSystemInfo", "GetVersionEx"}));
    }
}

TEST_F(HostTest, Wow64Detection) {
    struct Case {
        bool available, fails;
        int32_t wow64;
        int expected;
        bool message;
    };
    // entry point present, call fails, what it reports, result, "IsWow64 error!" shown
    const Case cases[] = {
        {true, false, 1, 1, false},
        {true, false, 0, 0, false},
        {false, false, 1, 0, false},
        {true, true, 1, 0, true},
    };
    for (const auto& c : cases) {
        fake::FakeSystem machine;
        fake::FakeUi window;
        machine.hasIsWow64Process = c.available;
        machine.isWow64ProcessFails = c.fails;
        machine.wow64 = c.wow64;
        EXPECT_EQ(host::IsWow64Host(machine, window), c.expected);
        if (c.message) {
            ASSERT_EQ(window.boxes.size(), 1u);
            // The framework's application box: the program's name as caption and the
            // warning icon, not a box of the main window.
            EXPECT_TRUE(window.boxes[0].afx);
            EXPECT_EQ(window.boxes[0].text, "IsWow64 error!");
            EXPECT_EQ(window.boxes[0].caption, "setup");
            EXPECT_EQ(window.boxes[0].type, sys::kMbIconWarning);
        } else {
            EXPECT_TRUE(window.boxes.empty());
        }
        EXPECT_EQ(machine.CallsStartingWith("GetProcAddress"),
                  std::vector<std::string>{"GetProcAddress kernel32 IsWow64Process"});
    }
}

TEST_F(HostTest, ClassificationSetsTheFlagsOfEachHost) {
    struct Case {
        fake::Host host;
        int is64, win7, win8;
        host::HostClass hostClass;
    };
    const Case cases[] = {
        {fake::Host::Xp32, 0, 0, 0, host::HostClass::Older32},
        {fake::Host::Vista32, 0, 0, 0, host::HostClass::Older32},
        {fake::Host::Win7x86, 0, 1, 0, host::HostClass::Windows7Or8x86},
        {fake::Host::Win8x86, 0, 0, 1, host::HostClass::Windows7Or8x86},
        {fake::Host::Win7x64, 1, 1, 0, host::HostClass::Host64},
        {fake::Host::Win10x64, 1, 0, 1, host::HostClass::Host64},
    };
    for (const auto& c : cases) {
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::MakeHost(machine, c.host);
        host::ClassifyHost(machine, ui);
        EXPECT_EQ(g_is64BitOs, c.is64);
        EXPECT_EQ(g_isWindows7, c.win7);
        EXPECT_EQ(g_isWindows8, c.win8);
        EXPECT_EQ(host::CurrentHostClass(), c.hostClass);
    }
}

TEST_F(HostTest, ClassificationNeverClearsAGenerationFlagButAlwaysRewritesWow64) {
    fake::SetFlags(1, 1, 1);
    system.version = {10, 0, 2, 1};  // generation 0
    system.wow64 = 0;
    host::ClassifyHost(system, ui);
    EXPECT_EQ(g_is64BitOs, 0);
    EXPECT_EQ(g_isWindows7, 1);
    EXPECT_EQ(g_isWindows8, 1);
}

TEST_F(HostTest, ServerR2On64BitSetsOnlyTheWow64Flag) {
    system.version = {6, 1, 2, 3};
    system.wow64 = 1;
    host::ClassifyHost(system, ui);
    EXPECT_EQ(g_is64BitOs, 1);
    EXPECT_EQ(g_isWindows7, 0);
    EXPECT_EQ(g_isWindows8, 0);
}

}  // namespace
