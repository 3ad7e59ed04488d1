#include <algorithm>

#include <gtest/gtest.h>

#include <functional>

#include "setup/DriverInstallation.h"
#include "setup/ModelName.h"
#include "tests/unit/HostFixture.h"

namespace {

using fake::HostTest;

const std::string kNoOp = "rundll32 printui.dll,PrintUIEntry /q ";
const std::string kDriver64 =
    "rundll32 printui.dll,PrintUIEntry /ia /K /m \"RT450\" /h \"x64\" /v 3 ";
const std::string kPrinter64 =
    "rundll32 printui.dll,PrintUIEntry /if /b \"RT450\" /r \"LPT1:\" /m \"RT450\" ";
const std::string kPrinterW7 =
    "rundll32 printui.dll,PrintUIEntry /if /b \"RT450\" \t   /f \".\\i386w7\\ZORQ80-Series.INF\" "
    "/r \"LPT1:\"  /m \"RT450\" /q ";
const std::string kPrinterXp =
    "rundll32 printui.dll,PrintUIEntry /if /b \"RT450\" \t   /f \".\\i386\\ZORQ80-Series.INF\" "
    "/r \"LPT1:\"  /m \"RT450\" /q ";
const std::string kSetDefault = "rundll32 printui.dll,PrintUIEntry /y /n \"RT450\" ";
const std::string kSetup64 =
    ".\\amd64\\Setup64.exe USBPRINT\\KELVARO80-Series0AA5 .\\amd64\\ZORQ80-Series.INF";
const std::string kUsbText = "请接入USB线(已经接好则重开打印机)，\n系统会自动安装打印机！";
const std::string kStartFailed = "创建安装进程失败，取消安装！";
const std::string kRecord = "c:\\windows\\inf\\RT450.txt";

class InstallationTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        for (const char* folder : {"amd64", "i386w7", "i386"})
            system.AddFile(std::string(".\\") + folder + "\\ZORQ80-Series.INF", "[Version]");
    }
    int Install() { return setup::InstallDriverAndPrinter(system, ui, &notified); }
    std::vector<std::string> Commands() const {
        std::vector<std::string> lines;
        for (const auto& p : system.processes) lines.push_back(p.commandLine);
        return lines;
    }
    int notified = 0;
};

// The lengths of the command lines that the step itself composes, and where the TAB of
// the 32-bit printer commands stands.
TEST_F(InstallationTest, CommandLinesHaveTheirExactLengths) {
    enum Which { DriverCommand, PrinterCommand };
    struct Case {
        const char* name;
        int is64, win7, win8;
        bool driverListed, printerListed;
        Which which;
        size_t length;
        size_t tabAt;
    };
    // flags, "RT450" driver listed, "RT450" printer listed, which command; its length
    // and the position of its one TAB (npos: none)
    const size_t none = std::string::npos;
    const Case cases[] = {
        {"driver, 64-bit", 1, 0, 0, false, false, DriverCommand, 66, none},
        {"no-op", 0, 0, 0, false, false, DriverCommand, 37, none},
        {"printer, 64-bit", 1, 0, 0, false, false, PrinterCommand, 71, none},
        {"printer, i386w7", 0, 1, 0, false, false, PrinterCommand, 111, 49},
        {"printer, i386", 0, 0, 0, false, false, PrinterCommand, 109, 49},
        {"set default", 0, 0, 0, false, true, PrinterCommand, 48, none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::SetFlags(c.is64, c.win7, c.win8);
        fake::FakeSystem machine;
        if (c.driverListed) machine.drivers = {"RT450"};
        if (c.printerListed) machine.printers = {"RT450"};
        const auto commands = setup::ChoosePrinterSetupCommands(machine);
        const std::string& line = c.which == DriverCommand ? commands.driver : commands.printer;
        EXPECT_EQ(line.size(), c.length);
        EXPECT_EQ(line.find('\t'), c.tabAt);
        EXPECT_EQ(line.rfind('\t'), c.tabAt);
    }

    fake::SetFlags(1, 0, 1);
    system.updateDriverError = sys::kErrorInWow64;
    Install();
    ASSERT_FALSE(system.processes.empty());
    EXPECT_EQ(system.processes[0].commandLine.size(), 75u);  // Setup64.exe's
}

TEST_F(InstallationTest, CommandLinesByHostAndSpoolerState) {
    struct Case {
        int is64, win7, win8;
        bool driverListed, printerListed;
        const std::string& driver;
        const std::string& printer;
    };
    // flags, "RT450" driver listed, "RT450" printer listed, driver command, printer command
    const Case cases[] = {
        {0, 0, 0, false, false, kNoOp, kPrinterXp},
        {0, 1, 0, false, false, kNoOp, kPrinterW7},
        {0, 0, 1, false, false, kNoOp, kPrinterW7},
        {1, 0, 0, false, false, kDriver64, kPrinter64},
        {1, 1, 0, false, false, kDriver64, kPrinter64},
        {1, 0, 1, true, false, kNoOp, kPrinter64},
        {0, 0, 0, false, true, kNoOp, kSetDefault},
        {0, 1, 0, true, true, kNoOp, kSetDefault},
        {1, 0, 1, false, true, kDriver64, kSetDefault},
    };
    for (const auto& c : cases) {
        fake::SetFlags(c.is64, c.win7, c.win8);
        fake::FakeSystem machine;
        if (c.driverListed) machine.drivers = {"RT450 (副本 1)", "RT450"};
        if (c.printerListed) machine.printers = {"RT450"};
        const auto commands = setup::ChoosePrinterSetupCommands(machine);
        EXPECT_EQ(commands.driver, c.driver);
        EXPECT_EQ(commands.printer, c.printer);
    }
}

TEST_F(InstallationTest, ParallelPortStartsBothCommandsThroughTheSystemRundll32) {
    ui.portChoice = 76;
    EXPECT_EQ(Install(), 1);
    EXPECT_EQ(notified, 0);
    EXPECT_EQ(Commands(), (std::vector<std::string>{kNoOp, kPrinterXp}));
    for (const auto& p : system.processes) {
        EXPECT_EQ(p.applicationName, "C:\\WINDOWS\\system32\\rundll32.exe");
        EXPECT_FALSE(p.waited);
    }
    EXPECT_EQ(system.calls.back(), "Sleep 3000");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(InstallationTest, InfIsStagedByFullPathAndItsNameRecordedAlone) {
    fake::SetFlags(0, 1, 0);
    system.stagedInfName = "oem12.inf";
    system.AddFile(kRecord, "oem3.inf-and-a-longer-old-record");
    ui.portChoice = 76;
    Install();
    EXPECT_EQ(system.calls[0], "SetLastError 0");
    EXPECT_EQ(system.CallsStartingWith("SetupCopyOEMInf"),
              std::vector<std::string>{"SetupCopyOEMInf C:\\pkg\\i386w7\\ZORQ80-Series.INF"});
    EXPECT_EQ(system.FileBytes(kRecord), "oem12.inf");
    const auto deleteAt = std::find(system.calls.begin(), system.calls.end(), "DeleteFile " + kRecord);
    ASSERT_NE(deleteAt, system.calls.end());
    EXPECT_EQ(*(deleteAt + 1), "Sleep 100");
    EXPECT_EQ(*(deleteAt + 2), "WriteFile " + kRecord);
}

TEST_F(InstallationTest, RecordPathFollowsTheRewrittenModelName) {
    EXPECT_EQ(setup::RecordFilePath("VX410P-420"), "c:\\windows\\inf\\VX410P-420.txt");
    const std::string longName(200, 'n');
    EXPECT_EQ(setup::RecordFilePath(longName), "c:\\windows\\inf\\" + longName + ".txt");
}

TEST_F(InstallationTest, RecordIsWrittenAfterAPauseWhetherOrNotAnOldOneWasDeleted) {
    for (bool oldRecord : {true, false}) {
        SCOPED_TRACE(oldRecord ? "old record" : "no old record");
        fake::FakeSystem machine;
        fake::FakeUi window;
        machine.AddFile(".\\i386\\ZORQ80-Series.INF");
        if (oldRecord) machine.AddFile(kRecord, "oem3.inf");
        window.portChoice = 76;
        setup::InstallDriverAndPrinter(machine, window, &notified);

        const auto staged = std::find_if(machine.calls.begin(), machine.calls.end(),
                                         [](const std::string& call) {
                                             return call.rfind("SetupCopyOEMInf", 0) == 0;
                                         });
        ASSERT_NE(staged, machine.calls.end());
        std::vector<std::string> expected = {"PathFileExists " + kRecord, "Sleep 100",
                                             "WriteFile " + kRecord};
        if (oldRecord) expected.insert(expected.begin() + 1, "DeleteFile " + kRecord);
        ASSERT_GT(machine.calls.end() - staged, static_cast<long>(expected.size()));
        EXPECT_EQ(std::vector<std::string>(staged + 1, staged + 1 + expected.size()), expected);
    }
}

// The record only speeds up a later removal, which scans the INF directory without it.
TEST_F(InstallationTest, RecordThatCannotBeWrittenIsNotToldAndTheStepGoesOn) {
    struct Case {
        const char* name;
        bool inUse;
        uint32_t attributes;
    };
    // what keeps the old record from being deleted and written
    const Case cases[] = {
        {"in use", true, sys::kFileAttributeNormal},
        {"read-only", false, sys::kFileAttributeReadonly},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::FakeSystem machine;
        fake::FakeUi window;
        machine.AddFile(".\\i386\\ZORQ80-Series.INF");
        machine.AddFile(kRecord, "oem3.inf", c.attributes);
        if (c.inUse) machine.inUse.insert(kRecord);
        window.portChoice = 76;
        int flag = 0;
        EXPECT_EQ(setup::InstallDriverAndPrinter(machine, window, &flag), 1);
        EXPECT_EQ(machine.FileBytes(kRecord), "oem3.inf");
        EXPECT_EQ(flag, 0);
        EXPECT_TRUE(window.boxes.empty());
        EXPECT_EQ(window.portDialogRuns, 1);
        EXPECT_EQ(machine.processes.size(), 2u);
    }
}

// The record holds the staged name alone, or there is none: a longer old record that
// could not be deleted is emptied before it is written, and a write that failed takes
// the record away, so that the next removal scans rather than trusts a wrong name.
// Columns: why the old "oem12.inf" stays or the write fails; whether a record is left,
// and what it holds.
TEST_F(InstallationTest, RecordIsWrittenWholeOrNotAtAll) {
    struct Case {
        const char* name;
        std::function<void(fake::FakeSystem&)> arrange;
        bool left;
        const char* record;
    };
    const Case cases[] = {
        {"delete refused: held by a reader that shares writing",
         [](fake::FakeSystem& m) { m.heldAgainstDeletion.insert(kRecord); }, true, "oem5.inf"},
        {"delete failed",
         [](fake::FakeSystem& m) { m.failMethod = "DeleteFile"; }, true, "oem5.inf"},
        {"hidden old record: deleted first", [](fake::FakeSystem& m) {
             m.SetFileAttributes(kRecord, 0x2);
         }, true, "oem5.inf"},
        {"disk full", [](fake::FakeSystem& m) { m.diskFullFor.insert(kRecord); }, false, ""},
        // Emptied, and kept by its holder: it names no INF.
        {"disk full, delete refused",
         [](fake::FakeSystem& m) {
             m.heldAgainstDeletion.insert(kRecord);
             m.diskFullFor.insert(kRecord);
         },
         true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake::FakeSystem machine;
        fake::FakeUi window;
        machine.AddFile(".\\i386\\ZORQ80-Series.INF");
        machine.AddFile(kRecord, "oem12.inf");
        machine.stagedInfName = "oem5.inf";
        c.arrange(machine);
        window.portChoice = 76;
        int flag = 0;
        EXPECT_EQ(setup::InstallDriverAndPrinter(machine, window, &flag), 1);
        EXPECT_EQ(machine.FileExists(kRecord), c.left);
        EXPECT_EQ(machine.FileBytes(kRecord), c.record);
        EXPECT_TRUE(window.boxes.empty()) << "the record is never told of";
    }
}

// The spooler is asked before the dialog: a queue and driver that appear while it is
// open change neither command.
TEST_F(InstallationTest, CommandLinesAreChosenBeforeThePortDialog) {
    struct Case {
        const char* name;
        int is64, win7, win8;
        int port;
        std::vector<std::string> commands;
    };
    // flags, port choice, the commands started
    const Case cases[] = {
        {"parallel port", 0, 0, 0, 76, {kNoOp, kPrinterXp}},
        {"Setup64.exe found no device", 1, 0, 1, 85, {kSetup64, kDriver64}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::SetFlags(c.is64, c.win7, c.win8);
        fake::FakeSystem machine;
        fake::FakeUi window;
        for (const char* folder : {"amd64", "i386"})
            machine.AddFile(std::string(".\\") + folder + "\\ZORQ80-Series.INF");
        machine.updateDriverError = sys::kErrorInWow64;
        machine.exitCode = 10;
        window.portChoice = c.port;
        window.onPortDialog = [&] {
            machine.drivers = {"RT450"};
            machine.printers = {"RT450"};
        };
        int flag = 0;
        setup::InstallDriverAndPrinter(machine, window, &flag);
        std::vector<std::string> started;
        for (const auto& p : machine.processes) started.push_back(p.commandLine);
        EXPECT_EQ(started, c.commands);
    }
}

TEST_F(InstallationTest, InfStagingFailureWritesNoRecordAndAsksNothing) {
    system.copyOemInfFails = true;
    EXPECT_EQ(Install(), 0);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"打印机安装失败，取消安装!"});
    EXPECT_EQ(ui.boxes[0].caption, "信息提示");
    EXPECT_EQ(ui.boxes[0].type, 0x40u);
    EXPECT_EQ(ui.portDialogRuns, 0);
    EXPECT_FALSE(system.FileExists(kRecord));
    EXPECT_TRUE(system.CallsStartingWith("WriteFile").empty());
}

TEST_F(InstallationTest, OutcomeTable) {
    enum Fail { None, Driver, Printer, Both, Setup64, DriverAfter10 };
    struct Case {
        const char* name;
        int is64, win7, win8;
        int port;
        uint32_t updateError;
        uint32_t setupExit;
        bool setupExitKnown;
        bool queueListed;
        Fail startFails;
        std::vector<std::string> texts;
        int flag;
        int result;
    };
    // flags, port choice, USB update error, Setup64 exit (known), "RT450" queue listed
    // (after Setup64), which starts fail; the boxes, the flag and the result. Only a
    // parallel branch whose printer command started pauses 3 s; only the USB branch
    // asks for the update.
    const Case cases[] = {
        {"parallel ok", 0, 0, 0, 76, 0, 0, true, false, None, {}, 0, 1},
        {"parallel driver fails", 0, 0, 0, 76, 0, 0, true, false, Driver, {kStartFailed}, 1, 1},
        {"parallel printer fails", 0, 0, 0, 76, 0, 0, true, false, Printer, {kStartFailed}, 1, 0},
        {"parallel both fail", 0, 0, 0, 76, 0, 0, true, false, Both,
         {kStartFailed, kStartFailed}, 1, 0},
        {"usb ok", 0, 1, 0, 85, 0, 0, true, false, None, {}, 0, 1},
        {"enter is usb", 0, 1, 0, 1, 0, 0, true, false, None, {}, 0, 1},
        {"escape is usb", 0, 1, 0, 2, 0, 0, true, false, None, {}, 0, 1},
        {"no dialog is usb", 0, 1, 0, -1, 0, 0, true, false, None, {}, 0, 1},
        {"no device win7", 0, 1, 0, 85, 0xE000020B, 0, true, false, None, {kUsbText}, 1, 0},
        {"no device win8 x64", 1, 0, 1, 85, 0xE000020B, 0, true, false, None, {kUsbText}, 1, 0},
        {"no device xp", 0, 0, 0, 85, 0xE000020B, 0, true, false, None,
         {"请检查打印机USB连线是否连接"}, 1, 0},
        {"file not found", 0, 1, 0, 85, 2, 0, true, false, None, {"ERROR_FILE_NOT_FOUND"}, 0, 0},
        {"invalid flags", 0, 1, 0, 85, 1004, 0, true, false, None, {"ERROR_INVALID_FLAGS"}, 0, 0},
        {"no more items", 0, 1, 0, 85, 259, 0, true, false, None, {"NO_MORE_ITEMS"}, 0, 0},
        {"other error", 0, 1, 0, 85, 5, 0, true, false, None, {}, 0, 0},
        {"setup64 exit 1", 1, 1, 0, 85, 0xE0000235, 1, true, false, None, {}, 0, 1},
        {"setup64 exit 10 queue present", 1, 0, 1, 85, 0xE0000235, 10, true, true, None, {}, 0, 1},
        {"setup64 exit 10 queue missing", 1, 0, 1, 85, 0xE0000235, 10, true, false, None,
         {kUsbText}, 1, 1},
        {"setup64 exit 10 driver fails", 1, 0, 1, 85, 0xE0000235, 10, true, false, DriverAfter10,
         {kStartFailed}, 1, 0},
        {"setup64 exit 0", 1, 0, 1, 85, 0xE0000235, 0, true, false, None, {}, 0, 0},
        {"setup64 exit 2", 1, 0, 1, 85, 0xE0000235, 2, true, false, None, {}, 0, 0},
        // The window program takes a signature failure as any other failure.
        {"setup64 exit 12", 1, 0, 1, 85, 0xE0000235, 12, true, false, None, {}, 0, 0},
        {"setup64 exit unknown", 1, 0, 1, 85, 0xE0000235, 1, false, false, None, {}, 0, 0},
        {"setup64 not started", 1, 0, 1, 85, 0xE0000235, 1, true, false, Setup64,
         {kStartFailed}, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::SetFlags(c.is64, c.win7, c.win8);
        fake::FakeSystem machine;
        fake::FakeUi window;
        for (const char* folder : {"amd64", "i386w7", "i386"})
            machine.AddFile(std::string(".\\") + folder + "\\ZORQ80-Series.INF");
        window.portChoice = c.port;
        machine.updateDriverError = c.updateError;
        machine.exitCode = c.setupExit;
        machine.exitCodeKnown = c.setupExitKnown;
        machine.onProcessStart = [&](const std::string& line) {
            if (line == kSetup64 && c.queueListed) machine.printers = {"RT450"};
        };
        machine.processStartFails = [&](const std::string& line) {
            switch (c.startFails) {
            case None: return false;
            case Driver: return line == kNoOp;
            case Printer: return line == kPrinterXp;
            case Both: return true;
            case Setup64: return line == kSetup64;
            case DriverAfter10: return line == kDriver64;
            }
            return false;
        };
        int flag = 0;
        EXPECT_EQ(setup::InstallDriverAndPrinter(machine, window, &flag), c.result);
        EXPECT_EQ(flag, c.flag);
        EXPECT_EQ(window.Texts(), c.texts);
        for (const auto& box : window.boxes) {
            EXPECT_EQ(box.caption, "信息提示");
            EXPECT_EQ(box.type, 0x40u);
        }
        const bool settles = c.port == 76 && c.result == 1;
        EXPECT_EQ(machine.CallsStartingWith("Sleep 3000").size(), settles ? 1u : 0u);
        EXPECT_EQ(machine.updateDriverCalls.size(), c.port == 76 ? 0u : 1u);
    }
}

TEST_F(InstallationTest, UsbUpdateUsesTheHardwareIdFullInfPathAndForce) {
    fake::SetFlags(0, 1, 0);
    ui.portChoice = 85;
    Install();
    EXPECT_EQ(system.updateDriverCalls,
              std::vector<std::string>{
                  "USBPRINT\\KELVARO80-Series0AA5|C:\\pkg\\i386w7\\ZORQ80-Series.INF|1"});
}

TEST_F(InstallationTest, NoDevicePausesOneSecondAfterTheMessage) {
    fake::SetFlags(0, 1, 0);
    system.updateDriverError = 0xE000020B;
    ui.timeline = &system.calls;
    Install();
    ASSERT_GE(system.calls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(system.calls.end() - 3, system.calls.end()),
              (std::vector<std::string>{"UpdateDriverForPlugAndPlayDevices", "box " + kUsbText,
                                        "Sleep 1000"}));
    EXPECT_EQ(system.updateDriverCalls.size(), 1u);
}

TEST_F(InstallationTest, Setup64IsWaitedForThenStartsTheChosenDriverCommand) {
    fake::SetFlags(1, 0, 1);
    system.updateDriverError = 0xE0000235;
    system.exitCode = 10;
    system.printers = {};
    Install();
    ASSERT_EQ(system.processes.size(), 2u);
    EXPECT_EQ(system.processes[0].commandLine, kSetup64);
    EXPECT_TRUE(system.processes[0].waited);
    EXPECT_EQ(system.processes[0].applicationName, "");
    EXPECT_EQ(system.processes[1].commandLine, kDriver64);
    EXPECT_FALSE(system.processes[1].waited);
}

}  // namespace
