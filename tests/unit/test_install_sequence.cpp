#include <algorithm>

#include <gtest/gtest.h>

#include "setup/InstallSequence.h"
#include "tests/unit/HostFixture.h"
#include "tests/unit/PrinterSetupDouble.h"

namespace {

using fake::Host;
using fake::HostTest;

const std::string kW32x86 = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";
const std::string kX64 = "C:\\WINDOWS\\system32\\spool\\drivers\\x64";
const std::string kDriverCache = "C:\\WINDOWS\\Driver Cache\\i386";
const std::string kUsbText = "请接入USB线(已经接好则重开打印机)，\n系统会自动安装打印机！";

// The destination directories of the copies, in order, one per pass.
std::vector<std::string> StagingPasses(const fake::FakeSystem& system) {
    std::vector<std::string> passes;
    for (const auto& call : system.CallsStartingWith("CopyFile")) {
        const auto target = call.substr(call.find(" -> ") + 4);
        const auto dir = target.substr(0, target.rfind('\\'));
        if (passes.empty() || passes.back() != dir) passes.push_back(dir);
    }
    return passes;
}

// A machine of its own for one row of a table: no platform flag set, the whole package,
// and the driver cache folder that older 32-bit hosts have.
struct PackagedMachine {
    PackagedMachine() {
        fake::SetFlags(0, 0, 0);
        fake::AddWholePackage(machine);
        machine.AddDirectory(kDriverCache);
    }
    fake::FakeSystem machine;
    fake::FakeUi window;
};

class SequenceTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        fake::AddWholePackage(system);
        system.AddDirectory(kDriverCache);
    }
    void Run(Host host) {
        fake::MakeHost(system, host);
        setup::InstallSequence sequence(system, ui);
        sequence.OnInstall();
        stagingDirAtEnd = sequence.m_stagingDir;
    }
    std::string stagingDirAtEnd;
};

TEST_F(SequenceTest, StagingPassesAndEnvironmentPerHostClass) {
    struct Case {
        Host host;
        std::vector<std::string> passes;
        const char* environment;
    };
    // host, staging destinations in order, spooler environment asked
    const std::vector<Case> cases = {
        {Host::Xp32, {kDriverCache, kW32x86}, "Windows NT x86"},
        {Host::Vista32, {kDriverCache, kW32x86}, "Windows NT x86"},
        {Host::Win7x86, {kW32x86}, "Windows NT x86"},
        {Host::Win8x86, {kW32x86}, "Windows NT x86"},
        {Host::Win7x64, {kX64}, "Windows x64"},
        {Host::Win10x64, {kX64}, "Windows x64"},
    };
    for (const auto& c : cases) {
        PackagedMachine row;
        auto& [machine, window] = row;
        fake::MakeHost(machine, c.host);
        setup::InstallSequence sequence(machine, window);
        sequence.OnInstall();
        EXPECT_EQ(StagingPasses(machine), c.passes);
        EXPECT_EQ(machine.CallsStartingWith("GetPrinterDriverDirectory"),
                  std::vector<std::string>{std::string("GetPrinterDriverDirectory ") +
                                           c.environment});
        EXPECT_EQ(sequence.m_stagingDir, c.passes.back());
    }
}

TEST_F(SequenceTest, StepsRunInOrder) {
    Run(Host::Win7x86);
    auto firstIndex = [&](const std::string& prefix, size_t from = 0) {
        for (size_t i = from; i < system.calls.size(); ++i)
            if (system.calls[i].rfind(prefix, 0) == 0) return i;
        return system.calls.size();
    };
    const size_t classify = firstIndex("IsWow64Process");
    // The package folder is looked at before the removal changes anything, and
    // verified again after it.
    const size_t look = firstIndex("PathFileExists .\\i386w7\\");
    const size_t removal = firstIndex("EnumPrinters");
    const size_t verify = firstIndex("PathFileExists .\\i386w7\\", removal);
    const size_t stage = firstIndex("CopyFile");
    const size_t install = firstIndex("SetupCopyOEMInf");
    EXPECT_LT(classify, look);
    EXPECT_LT(look, removal);
    EXPECT_LT(removal, verify);
    EXPECT_LT(verify, stage);
    EXPECT_LT(stage, install);
}

// The run lock is taken at the click, before the run asks or changes anything.
TEST_F(SequenceTest, TheClickTakesTheRunLockFirst) {
    Run(Host::Win7x86);
    ASSERT_FALSE(system.calls.empty());
    EXPECT_EQ(system.calls[0], "TakeRunLock");
    EXPECT_EQ(system.CallsStartingWith("TakeRunLock").size(), 1u);
    EXPECT_TRUE(system.runLockTaken);
}

// Another run holds the lock (SilentSetup.exe as SYSTEM, a second setup.exe, another
// account's run): one box in the program's own style, nothing started, the window stays
// and a later click, once that run is over, installs.
TEST_F(SequenceTest, AnotherRunsLockStopsTheClickWithABox) {
    using Holder = fake::FakeSystem::RunLockHolder;
    for (const Holder holder : {Holder::AnotherRun, Holder::AnotherAccount}) {
        SCOPED_TRACE(static_cast<int>(holder));
        PackagedMachine row;
        fake::MakeHost(row.machine, Host::Win7x86);
        row.machine.runLockHolder = holder;
        setup::InstallSequence sequence(row.machine, row.window);

        sequence.OnInstall();
        EXPECT_EQ(row.machine.calls, std::vector<std::string>{"TakeRunLock"});
        ASSERT_EQ(row.window.boxes.size(), 1u);
        EXPECT_EQ(row.window.boxes[0].text, "另一个安装程序正在运行，请等它结束后再安装！");
        EXPECT_EQ(row.window.boxes[0].caption, "信息提示");
        EXPECT_FALSE(row.window.boxes[0].afx);
        EXPECT_EQ(row.window.boxes[0].type, 0x40u);
        EXPECT_EQ(row.window.quitsPosted, 0);

        row.machine.runLockHolder = Holder::Nobody;
        sequence.OnInstall();
        EXPECT_EQ(row.window.boxes.back().text, "打印机安装成功!");
        EXPECT_FALSE(row.machine.CallsStartingWith("SetupCopyOEMInf").empty());
    }
}

// A lock that cannot be had at all (no raised rights on Windows Vista and later) leaves
// the run as it always was.
TEST_F(SequenceTest, ALockThatCannotBeHadLeavesTheRunAsItWas) {
    system.runLockError = 5;
    Run(Host::Win7x86);
    EXPECT_FALSE(system.runLockTaken);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"打印机安装成功!"});
}

TEST_F(SequenceTest, SuccessfulInstallTellsSuccessAndPostsQuitOnce) {
    ui.portChoice = 76;
    Run(Host::Xp32);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"打印机安装成功!"});
    EXPECT_EQ(ui.boxes[0].caption, "信息提示");
    EXPECT_EQ(ui.boxes[0].type, 0x40u);
    EXPECT_EQ(ui.events.back(), "quit");
    EXPECT_EQ(ui.quitsPosted, 1);
}

TEST_F(SequenceTest, OutcomeTextOfAFailedInstallDependsOnTheHostClass) {
    struct Case {
        Host host;
        std::string text;
    };
    // host, text shown when the installation failed without telling the user
    const std::vector<Case> cases = {
        {Host::Xp32, "打印机安装失败，取消安装!"},
        {Host::Win7x86, kUsbText},
        {Host::Win8x86, kUsbText},
        {Host::Win7x64, "打印机安装失败，取消安装!"},
        {Host::Win10x64, "打印机安装失败，取消安装!"},
    };
    for (const auto& c : cases) {
        PackagedMachine row;
        auto& [machine, window] = row;
        machine.updateDriverError = 5;  // a silent USB failure
        machine.exitCode = 0;           // and a silent Setup64.exe failure
        fake::MakeHost(machine, c.host);
        setup::InstallSequence sequence(machine, window);
        sequence.OnInstall();
        EXPECT_EQ(window.Texts(), std::vector<std::string>{c.text});
        // The failure text is followed by two quits: its own and the final one.
        EXPECT_EQ(window.events, (std::vector<std::string>{"port 85", "box " + c.text, "quit",
                                                          "quit"}));
    }
}

TEST_F(SequenceTest, InstallerThatToldTheUserGetsNoOutcomeText) {
    enum Setup { InfNotStaged, Setup64NoDeviceNoQueue, DriverCommandNotStarted };
    struct Case {
        const char* name;
        Host host;
        Setup setup;
        std::vector<std::string> events;
    };
    // how the installation told the user itself (installed or not), the run's events
    // from the port dialog on: the step's box and the final quit, nothing of the sequence
    const std::string startFailed = "box 创建安装进程失败，取消安装！";
    const Case cases[] = {
        {"not installed: INF not staged", Host::Win7x86, InfNotStaged,
         {"box 打印机安装失败，取消安装!", "quit"}},
        {"installed: Setup64.exe found no device, no queue", Host::Win10x64,
         Setup64NoDeviceNoQueue, {"port 85", "box " + kUsbText, "quit"}},
        {"installed: driver command not started", Host::Xp32, DriverCommandNotStarted,
         {"port 76", startFailed, "quit"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackagedMachine row;
        auto& [machine, window] = row;
        fake::MakeHost(machine, c.host);
        switch (c.setup) {
        case InfNotStaged: machine.copyOemInfFails = true; break;
        case Setup64NoDeviceNoQueue:
            machine.updateDriverError = sys::kErrorInWow64;
            machine.exitCode = 10;
            break;
        case DriverCommandNotStarted:
            window.portChoice = 76;
            machine.processStartFails = [](const std::string& line) {
                return line == "rundll32 printui.dll,PrintUIEntry /q ";
            };
            break;
        }
        setup::InstallSequence(machine, window).OnInstall();
        EXPECT_EQ(window.events, c.events);
    }
}

// A copy that fails posts quit right after its box, on its own: the package is whole,
// so verification posted nothing before.
TEST_F(SequenceTest, FailedStagingPassPostsQuitAtOnce) {
    struct Case {
        Host host;
        std::string failingTarget;
    };
    // host, the copy that fails
    const std::vector<Case> cases = {
        {Host::Xp32, kDriverCache + "\\UNIDRV.HLP"},
        {Host::Xp32, kW32x86 + "\\UNIDRV.HLP"},
        {Host::Win7x86, kW32x86 + "\\UNIDRV.HLP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failingTarget);
        PackagedMachine row;
        auto& [machine, window] = row;
        fake::MakeHost(machine, c.host);
        machine.failCopyTo.insert(c.failingTarget);
        window.portChoice = 76;
        window.timeline = &machine.calls;
        setup::InstallSequence(machine, window).OnInstall();

        const auto copy = std::find_if(machine.calls.begin(), machine.calls.end(),
                                       [&](const std::string& call) {
                                           return call.rfind("CopyFile ", 0) == 0 &&
                                                  call.find(c.failingTarget) != std::string::npos;
                                       });
        ASSERT_NE(copy, machine.calls.end());
        ASSERT_GE(machine.calls.end() - copy, 4);
        EXPECT_EQ(std::vector<std::string>(copy + 1, copy + 4),
                  (std::vector<std::string>{"FormatMessage 5", "box Access is denied.\r\n",
                                            "quit"}));
        EXPECT_EQ(std::count(window.events.begin(), window.events.end(), "port -1"), 1);
    }
}

// A damaged package is found by a look before anything changes: the verify step's box,
// the run ends with quit posted, and the earlier installation's printer, driver, staged
// INF file and record file stay as they were.
TEST_F(SequenceTest, ADamagedPackageStopsTheRunBeforeAnythingChanges) {
    fake::UsePrinterSetupDouble(system);
    system.printers = {"RT450"};
    system.drivers = {"RT450"};
    system.AddFile("c:\\windows\\inf\\RT450.txt", "oem5.inf");
    system.AddFile("c:\\windows\\inf\\oem5.inf", "[Strings]\nModel=\"RT450\"\n");
    system.RemoveFile(".\\i386w7\\UNIDRV.HLP");

    Run(Host::Win7x86);

    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, ".\\i386w7\\UNIDRV.HLP");
    EXPECT_EQ(ui.boxes[0].caption, "安装文件受损：找不到文件");
    EXPECT_EQ(ui.events, (std::vector<std::string>{"box .\\i386w7\\UNIDRV.HLP", "quit"}));
    EXPECT_EQ(ui.portDialogRuns, 0);
    for (const char* change : {"CopyFile", "DeleteFile", "WriteFile", "CreateDirectory",
                               "CreateProcess", "SetupCopyOEMInf", "SetupUninstallOEMInf",
                               "UpdateDriverForPlugAndPlayDevices", "SetFileAttributes"})
        EXPECT_EQ(system.CallsStartingWith(change), std::vector<std::string>{}) << change;
    EXPECT_EQ(system.printers, std::vector<std::string>{"RT450"});
    EXPECT_EQ(system.drivers, std::vector<std::string>{"RT450"});
    EXPECT_TRUE(system.FileExists("c:\\windows\\inf\\oem5.inf"));
    EXPECT_EQ(system.FileBytes("c:\\windows\\inf\\RT450.txt"), "oem5.inf");
}

TEST_F(SequenceTest, FailedRemovalOfTheModelPostsQuitOnceAndTheRunGoesOn) {
    system.printers = {"RT450"};
    system.processStartFails = [](const std::string& line) {
        return line == "rundll32 printui.dll,PrintUIEntry /q /dl /n \"RT450\"";
    };
    Run(Host::Win7x86);
    // names 91, 119 and 120 are "RT450": three boxes, one quit, after the last
    std::vector<std::string> head(ui.events.begin(), ui.events.begin() + 4);
    const std::string box = "box 创建安装进程失败，取消安装！";
    EXPECT_EQ(head, (std::vector<std::string>{box, box, box, "quit"}));
    EXPECT_EQ(ui.portDialogRuns, 1);
    EXPECT_NE(std::find(ui.events.begin(), ui.events.end(), "port -1"), ui.events.end());
    EXPECT_EQ(system.CallsStartingWith("CopyFile").size(), 7u);
}

TEST_F(SequenceTest, FailedRemovalOfOtherNamesPostsNothing) {
    system.printers = {"VX400", "RT490 (副本 3)"};
    system.processStartFails = [](const std::string& line) {
        return line.find("/dl") != std::string::npos;
    };
    ui.portChoice = 76;
    Run(Host::Win10x64);
    EXPECT_EQ(ui.quitsPosted, 1);  // only the final one
    EXPECT_EQ(ui.boxes.size(), 3u);
    EXPECT_EQ(ui.boxes.back().text, "打印机安装成功!");
}

TEST_F(SequenceTest, OlderHostsRemoveNothing) {
    system.printers = {"RT450"};
    system.drivers = {"RT450"};
    ui.portChoice = 76;
    Run(Host::Xp32);
    // only the installation step asks the spooler
    EXPECT_EQ(system.CallsStartingWith("EnumPrinters").size(), 1u);
    EXPECT_EQ(system.CallsStartingWith("SetupUninstallOEMInf").size(), 0u);
}

TEST_F(SequenceTest, DirectoryTheSystemCannotGiveIsNotStagedInto) {
    system.printerDriverDirectoryFails = true;
    system.messageTexts[1722] = "The RPC server is unavailable.\r\n";
    ui.portChoice = 76;
    Run(Host::Win7x86);
    EXPECT_TRUE(system.CallsStartingWith("CopyFile").empty());
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(ui.boxes[0].text, "The RPC server is unavailable.\r\n");
    EXPECT_EQ(ui.boxes[0].caption, "安装错误");
    EXPECT_EQ(ui.events[1], "quit");

    fake::SetFlags(0, 0, 0);
    fake::FakeSystem machine;
    fake::FakeUi window;
    machine.windowsDirectoryFails = true;
    fake::AddWholePackage(machine);
    fake::MakeHost(machine, Host::Xp32);
    setup::InstallSequence sequence(machine, window);
    sequence.OnInstall();
    for (const auto& call : machine.CallsStartingWith("CopyFile"))
        EXPECT_NE(call.find(kW32x86), std::string::npos) << call;
    EXPECT_EQ(window.boxes[0].text, "Access is denied.\r\n");
}

}  // namespace
