#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/Platform.h"
#include "setup/Removal.h"
#include "tests/unit/FakeSystem.h"
#include "tests/unit/FakeUi.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kDeletePrinterRt450 = "rundll32 printui.dll,PrintUIEntry /q /dl /n \"RT450\"";
const std::string kDeleteDriverRt450 = "rundll32 printui.dll,PrintUIEntry /q /dd /m \"RT450\"";
const std::string kRundll32 = "C:\\WINDOWS\\system32\\rundll32.exe";
const std::string kProcessStartFailed =
    "\xB4\xB4\xBD\xA8\xB0\xB2\xD7\xB0\xBD\xF8\xB3\xCC\xCA\xA7\xB0\xDC\xA3\xAC"
    "\xC8\xA1\xCF\xFB\xB0\xB2\xD7\xB0\xA3\xA1";  // 创建安装进程失败，取消安装！
const std::string kRunAsAdministrator =
    "\xC7\xEB\xB3\xA2\xCA\xD4\xD2\xD4\"\xB9\xDC\xC0\xED\xD4\xB1\xC9\xED\xB7\xDD\""
    "\xD4\xCB\xD0\xD0\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xD2\xD4\xBB\xF1\xB5\xC3"
    "\xB8\xFC\xB6\xE0\xD6\xA7\xB3\xD6!";  // 请尝试以"管理员身份"运行安装程序以获得更多支持!
const std::string kRecordRt450 = "c:\\windows\\inf\\RT450.txt";

std::string Inf(int number) { return "oem" + std::to_string(number) + ".inf"; }
std::string InfPath(const std::string& name) { return "c:\\windows\\inf\\" + name; }

Lines ScanReads() {
    Lines reads;
    for (int n = 0; n <= 99; ++n) reads.push_back("ScanFile " + InfPath(Inf(n)));
    return reads;
}

class RemovePreviousInstallationTest : public ::testing::Test {
protected:
    void SetUp() override { SetFlags(1, 0, 0); }
    void TearDown() override { SetFlags(0, 0, 0); }

    static void SetFlags(int is64BitOs, int isWindows7, int isWindows8) {
        g_is64BitOs = is64BitOs;
        g_isWindows7 = isWindows7;
        g_isWindows8 = isWindows8;
    }

    int Remove(const std::string& name = "RT450") {
        return setup::RemovePreviousInstallation(system, ui, name);
    }

    Lines CommandLines() const {
        Lines lines;
        for (const auto& process : system.processes) lines.push_back(process.commandLine);
        return lines;
    }

    // The first file read: the record file's path tells what the name became.
    std::string FirstRead() const {
        const Lines reads = system.CallsStartingWith("ReadFile");
        return reads.empty() ? std::string() : reads.front();
    }

    // The calls that show the order of queries, commands, pause and record read.
    Lines StepCalls() const {
        Lines steps;
        for (const auto& call : system.calls) {
            if (call == "EnumPrinters" || call == "EnumPrinterDrivers" ||
                call.rfind("Sleep", 0) == 0 || call.rfind("CreateProcess", 0) == 0 ||
                call == "ReadFile " + kRecordRt450)
                steps.push_back(call);
        }
        return steps;
    }

    fake::FakeSystem system;
    fake::FakeUi ui;
};

// --- the gate

TEST_F(RemovePreviousInstallationTest, NoFlagSetDoesNothing) {
    SetFlags(0, 0, 0);
    system.printers = {"RT450"};
    system.drivers = {"RT450"};
    system.AddFile(kRecordRt450, "oem3.inf");
    system.AddFile(InfPath("oem3.inf"), "RT450");
    EXPECT_EQ(Remove(), 1);
    EXPECT_TRUE(system.calls.empty());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(RemovePreviousInstallationTest, AnyOneFlagOpensTheGate) {
    // Columns: g_is64BitOs, g_isWindows7, g_isWindows8.
    const int cases[][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}};
    for (const auto& flags : cases) {
        SCOPED_TRACE(testing::Message() << flags[0] << flags[1] << flags[2]);
        SetFlags(flags[0], flags[1], flags[2]);
        system = fake::FakeSystem();
        system.printers = {"RT450"};
        EXPECT_EQ(Remove(), 1);
        EXPECT_EQ(CommandLines(), Lines{kDeletePrinterRt450});
        EXPECT_EQ(system.uninstalled, Lines{});
        EXPECT_EQ(system.CallsStartingWith("ScanFile c:\\windows\\inf\\oem"), ScanReads());
    }
}

// --- the spooler queries and the deletion commands

TEST_F(RemovePreviousInstallationTest, DeletesWhatTheSpoolerLists) {
    // Columns: printer listed, driver listed, the step calls in order.
    struct QueryCase {
        bool printerListed;
        bool driverListed;
        Lines steps;
    };
    const QueryCase cases[] = {
        {false, false,
         {"EnumPrinters", "Sleep 100", "EnumPrinterDrivers", "ReadFile " + kRecordRt450}},
        {true, false,
         {"EnumPrinters", "CreateProcess " + kDeletePrinterRt450, "Sleep 100",
          "EnumPrinterDrivers", "ReadFile " + kRecordRt450}},
        {false, true,
         {"EnumPrinters", "Sleep 100", "EnumPrinterDrivers",
          "CreateProcess " + kDeleteDriverRt450, "ReadFile " + kRecordRt450}},
        {true, true,
         {"EnumPrinters", "CreateProcess " + kDeletePrinterRt450, "Sleep 100",
          "EnumPrinterDrivers", "CreateProcess " + kDeleteDriverRt450,
          "ReadFile " + kRecordRt450}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "printer " << c.printerListed << ", driver "
                                        << c.driverListed);
        system = fake::FakeSystem();
        if (c.printerListed) system.printers = {"Other", "RT450"};
        if (c.driverListed) system.drivers = {"RT450", "Other"};
        system.AddFile(InfPath("oem5.inf"), "[Strings]\r\nModel=\"RT450\"\r\n");
        EXPECT_EQ(Remove(), 1);
        EXPECT_EQ(StepCalls(), c.steps);
        EXPECT_EQ(system.sleptMilliseconds, 100u);
        for (const auto& process : system.processes) {
            EXPECT_EQ(process.applicationName, kRundll32);
            EXPECT_FALSE(process.waited);
        }
        // The INF handling runs whatever the spooler listed.
        EXPECT_EQ(system.uninstalled, Lines{"oem5.inf"});
        EXPECT_TRUE(ui.boxes.empty());
    }
}

// On 64-bit Windows the 64-bit environment's driver of the name is asked for and deleted
// too, by the driver deletion with printui's architecture switch; the other command
// lines stay as they are. Columns: host class (g_is64BitOs, g_isWindows7, g_isWindows8),
// what the spooler lists (queue, driver in "Windows NT x86", in "Windows x64"), whether
// the 64-bit listing fails, the spooler calls and command lines in order.
TEST_F(RemovePreviousInstallationTest, SixtyFourBitDriversByHostClass) {
    struct HostCase {
        const char* what;
        int flags[3];
        bool queue, driver32, driver64, listing64Fails;
        Lines steps;
    };
    const std::string x64 = "EnumPrinterDriversIn Windows x64";
    const std::string deletePrinter = "CreateProcess " + kDeletePrinterRt450;
    const std::string deleteDriver = "CreateProcess " + kDeleteDriverRt450;
    const std::string deleteDriver64 = deleteDriver + " /h \"x64\"";
    const HostCase cases[] = {
        {"64-bit Windows 8 class, 64-bit driver", {1, 0, 1}, false, false, true, false,
         {"EnumPrinters", "EnumPrinterDrivers", x64, deleteDriver64}},
        {"64-bit Windows 7, queue and both drivers", {1, 1, 0}, true, true, true, false,
         {"EnumPrinters", deletePrinter, "EnumPrinterDrivers", deleteDriver, x64,
          deleteDriver64}},
        {"64-bit XP class, 32-bit driver only", {1, 0, 0}, false, true, false, false,
         {"EnumPrinters", "EnumPrinterDrivers", deleteDriver, x64}},
        {"64-bit, the 64-bit listing fails", {1, 0, 0}, false, false, true, true,
         {"EnumPrinters", "EnumPrinterDrivers", x64}},
        {"32-bit Windows 7: one environment", {0, 1, 0}, true, true, true, false,
         {"EnumPrinters", deletePrinter, "EnumPrinterDrivers", deleteDriver}},
        {"32-bit Windows 8 class: one environment", {0, 0, 1}, false, false, true, false,
         {"EnumPrinters", "EnumPrinterDrivers"}},
        {"32-bit XP: nothing", {0, 0, 0}, true, true, true, false, {}},
    };
    for (const HostCase& c : cases) {
        SCOPED_TRACE(c.what);
        SetFlags(c.flags[0], c.flags[1], c.flags[2]);
        system = fake::FakeSystem();
        if (c.queue) system.printers = {"RT450"};
        if (c.driver32) system.drivers = {"RT450"};
        if (c.driver64) system.drivers64 = {"Other", "RT450"};
        if (c.listing64Fails) {
            system.failMethod = "EnumPrinterDriversIn";
        }
        EXPECT_EQ(Remove(), 1);
        Lines steps;
        for (const auto& call : system.calls)
            if (call.rfind("Enum", 0) == 0 || call.rfind("CreateProcess", 0) == 0)
                steps.push_back(call);
        EXPECT_EQ(steps, c.steps);
        for (const auto& process : system.processes) {
            EXPECT_EQ(process.applicationName, kRundll32);
            EXPECT_FALSE(process.waited);
        }
        EXPECT_TRUE(ui.boxes.empty());
    }
}

TEST_F(RemovePreviousInstallationTest, SixtyFourBitDriverDeletionThatCannotStartEndsTheName) {
    system.drivers64 = {"RT450"};
    system.AddFile(kRecordRt450, "oem3.inf");
    system.processStartFails = [](const std::string& line) {
        return line.find("/h \"x64\"") != std::string::npos;
    };
    EXPECT_EQ(Remove(), 0);
    EXPECT_EQ(ui.Texts(), Lines{kProcessStartFailed});
    EXPECT_TRUE(ui.boxes[0].afx);
    EXPECT_TRUE(system.CallsStartingWith("ReadFile").empty()) << "nothing more for the name";
}

TEST_F(RemovePreviousInstallationTest, ListedNamesCompareWhole) {
    system.printers = {"RT450 (\xB8\xB1\xB1\xBE 1)", "rt450"};
    system.drivers = {"RT4500"};
    EXPECT_EQ(Remove(), 1);
    EXPECT_TRUE(system.processes.empty());
}

TEST_F(RemovePreviousInstallationTest, CommandThatCannotStartEndsTheName) {
    // Columns: which command fails, the step calls in order.
    struct StartFailureCase {
        std::string failingCommand;
        Lines steps;
    };
    const StartFailureCase cases[] = {
        {kDeletePrinterRt450, {"EnumPrinters", "CreateProcess " + kDeletePrinterRt450}},
        {kDeleteDriverRt450,
         {"EnumPrinters", "CreateProcess " + kDeletePrinterRt450, "Sleep 100",
          "EnumPrinterDrivers", "CreateProcess " + kDeleteDriverRt450}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failingCommand);
        system = fake::FakeSystem();
        ui = fake::FakeUi();
        system.printers = {"RT450"};
        system.drivers = {"RT450"};
        system.AddFile(kRecordRt450, "oem3.inf");
        system.AddFile(InfPath("oem3.inf"), "RT450");
        const std::string failing = c.failingCommand;
        system.processStartFails = [failing](const std::string& line) { return line == failing; };

        EXPECT_EQ(Remove(), 0);
        EXPECT_EQ(StepCalls(), c.steps);
        EXPECT_TRUE(system.CallsStartingWith("ReadFile").empty());
        EXPECT_TRUE(system.CallsStartingWith("ScanFile").empty());
        EXPECT_TRUE(system.CallsStartingWith("PathFileExists").empty());
        EXPECT_TRUE(system.uninstalled.empty());
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_TRUE(ui.boxes[0].afx);
        EXPECT_EQ(ui.boxes[0].text, kProcessStartFailed);
        EXPECT_EQ(ui.boxes[0].type, sys::kMbIconWarning);
    }
}

// --- the record branch

TEST_F(RemovePreviousInstallationTest, RecordBranchByTable) {
    // Columns: what the case shows, record bytes, INF files present, the existence test
    // made, what was uninstalled, the boxes shown.
    struct RecordCase {
        const char* what;
        std::string record;
        Lines infsPresent;
        std::string existenceTest;
        Lines uninstalled;
        Lines boxes;
    };
    const std::string longName(70, 'a');
    const RecordCase cases[] = {
        {"recorded INF is uninstalled", "oem12.inf", {"oem12.inf"}, InfPath("oem12.inf"),
         {"oem12.inf"}, {}},
        {"uninstalled without a look into it, other INFs left", "oem12.inf",
         {"oem12.inf", "oem4.inf"}, InfPath("oem12.inf"), {"oem12.inf"}, {}},
        {"recorded INF is gone", "oem12.inf", {}, InfPath("oem12.inf"), {}, {}},
        {"line end stays in the name", "oem12.inf\r\n", {"oem12.inf"},
         InfPath("oem12.inf\r\n"), {}, {}},
        {"name ends at the first zero", std::string("oem12.inf\0oem4.inf", 18), {"oem12.inf"},
         InfPath("oem12.inf"), {"oem12.inf"}, {}},
        {"64 bytes or more give 63", longName, {longName.substr(0, 63)},
         InfPath(longName.substr(0, 63)), {longName.substr(0, 63)}, {}},
        // The INF directory itself exists, and an empty name cannot be uninstalled.
        {"empty record", "", {}, "c:\\windows\\inf\\", {""}, {kRunAsAdministrator}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        system = fake::FakeSystem();
        ui = fake::FakeUi();
        system.AddFile(kRecordRt450, c.record);
        for (const auto& inf : c.infsPresent) system.AddFile(InfPath(inf), "RT450");

        EXPECT_EQ(Remove(), 1);
        EXPECT_EQ(system.CallsStartingWith("ReadFile"), Lines{"ReadFile " + kRecordRt450});
        EXPECT_EQ(system.CallsStartingWith("PathFileExists"),
                  Lines{"PathFileExists " + c.existenceTest});
        EXPECT_EQ(system.uninstalled, c.uninstalled);
        for (const auto& call : system.CallsStartingWith("SetupUninstallOEMInf"))
            EXPECT_EQ(call.substr(call.size() - 2), " 1");
        EXPECT_EQ(ui.Texts(), c.boxes);
        // The record is only read.
        EXPECT_EQ(system.FileBytes(kRecordRt450), c.record);
    }
}

TEST_F(RemovePreviousInstallationTest, FailedRecordedUninstallAsksForAdministrator) {
    system.AddFile(kRecordRt450, "oem12.inf");
    system.AddFile(InfPath("oem12.inf"), "RT450");
    system.AddFile(InfPath("oem13.inf"), "RT450");
    system.uninstallFails.insert("oem12.inf");
    EXPECT_EQ(Remove(), 1);
    EXPECT_EQ(system.uninstalled, Lines{"oem12.inf"});
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(ui.boxes[0].afx);
    EXPECT_EQ(ui.boxes[0].text, kRunAsAdministrator);
    EXPECT_EQ(ui.boxes[0].type, sys::kMbIconWarning);
    EXPECT_TRUE(system.CallsStartingWith("ScanFile c:\\windows\\inf\\oem").empty());
}

TEST_F(RemovePreviousInstallationTest, UnreadableRecordFallsBackToTheScan) {
    system.AddFile(kRecordRt450, "oem12.inf");
    system.failReadOf.insert(kRecordRt450);
    system.AddFile(InfPath("oem12.inf"), "nothing of ours");
    system.AddFile(InfPath("oem5.inf"), "RT450");
    EXPECT_EQ(Remove(), 1);
    EXPECT_EQ(system.CallsStartingWith("ScanFile c:\\windows\\inf\\oem"), ScanReads());
    EXPECT_EQ(system.uninstalled, Lines{"oem5.inf"});
    EXPECT_TRUE(ui.boxes.empty());
}

// --- the scan

TEST_F(RemovePreviousInstallationTest, ScanLooksAtOem0ToOem99) {
    system.AddFile(InfPath(Inf(0)), "RT450");
    system.AddFile(InfPath(Inf(99)), "RT450");
    system.AddFile(InfPath(Inf(100)), "RT450");
    EXPECT_EQ(Remove(), 1);
    EXPECT_EQ(system.CallsStartingWith("ScanFile c:\\windows\\inf\\oem"), ScanReads());
    EXPECT_EQ(system.uninstalled, (Lines{Inf(0), Inf(99)}));
    EXPECT_TRUE(system.FileExists(InfPath(Inf(100))));
}

TEST_F(RemovePreviousInstallationTest, ScanUninstallsEveryMatchLowerFirst) {
    system.AddFile(InfPath("oem40.inf"), "Model=RT450 and RT450");
    system.AddFile(InfPath("oem3.inf"), "[Models]\r\nRT450=ZORQ80\r\n");
    system.AddFile(InfPath("oem7.inf"), "RT490");
    system.AddFile(InfPath("oem8.inf"), "rt450");
    EXPECT_EQ(Remove(), 1);
    EXPECT_EQ(system.uninstalled, (Lines{"oem3.inf", "oem40.inf"}));
    // Only a match is tested for existence.
    EXPECT_EQ(system.CallsStartingWith("PathFileExists"),
              (Lines{"PathFileExists " + InfPath("oem3.inf"),
                     "PathFileExists " + InfPath("oem40.inf")}));
    EXPECT_EQ(system.CallsStartingWith("SetupUninstallOEMInf"),
              (Lines{"SetupUninstallOEMInf oem3.inf 1", "SetupUninstallOEMInf oem40.inf 1"}));
}

TEST_F(RemovePreviousInstallationTest, FailedScanUninstallIsToldAndTheScanGoesOn) {
    system.AddFile(InfPath("oem3.inf"), "RT450");
    system.AddFile(InfPath("oem4.inf"), "RT450");
    system.AddFile(InfPath("oem40.inf"), "RT450");
    system.uninstallFails = {"oem3.inf", "oem4.inf"};
    EXPECT_EQ(Remove(), 1);
    EXPECT_EQ(system.uninstalled, (Lines{"oem3.inf", "oem4.inf", "oem40.inf"}));
    EXPECT_EQ(ui.Texts(), (Lines{kRunAsAdministrator, kRunAsAdministrator}));
    for (const auto& box : ui.boxes) {
        EXPECT_TRUE(box.afx);
        EXPECT_EQ(box.type, sys::kMbIconWarning);
    }
    EXPECT_EQ(system.CallsStartingWith("ScanFile c:\\windows\\inf\\oem"), ScanReads());
}

TEST_F(RemovePreviousInstallationTest, UnreadableCandidateIsPassedOver) {
    system.AddFile(InfPath("oem3.inf"), "RT450");
    system.AddFile(InfPath("oem4.inf"), "RT450");
    system.failReadOf.insert(InfPath("oem3.inf"));
    EXPECT_EQ(Remove(), 1);
    EXPECT_EQ(system.uninstalled, Lines{"oem4.inf"});
    EXPECT_TRUE(ui.boxes.empty());
}

// Files that another process holds open are read when it shares reading: the record
// or the candidate is still looked at; only a holder that shares no reading hides it.
// Columns: how the record (when there is one) or the candidate oem3.inf is held; what
// was uninstalled; the boxes shown (an uninstall fails while a holder refuses deletion).
TEST_F(RemovePreviousInstallationTest, FilesHeldByAnotherProcessByTable) {
    struct HeldCase {
        const char* what;
        bool withRecord;
        std::function<void(fake::FakeSystem&, const std::string&)> hold;
        Lines uninstalled;
        Lines boxes;
    };
    const auto sharingReading = [](fake::FakeSystem& m, const std::string& path) {
        m.inUse.insert(path);
    };
    const auto sharingNothing = [](fake::FakeSystem& m, const std::string& path) {
        m.heldExclusively.insert(path);
    };
    const auto sharingAllButDeletion = [](fake::FakeSystem& m, const std::string& path) {
        m.heldAgainstDeletion.insert(path);
    };
    const HeldCase cases[] = {
        {"record held sharing reading", true, sharingReading, {"oem12.inf"}, {}},
        {"record held sharing nothing: the scan", true, sharingNothing,
         {"oem3.inf", "oem12.inf"}, {}},
        {"candidate held sharing reading", false, sharingReading, {"oem3.inf"},
         {kRunAsAdministrator}},
        {"candidate held against deletion", false, sharingAllButDeletion, {"oem3.inf"},
         {kRunAsAdministrator}},
        {"candidate held sharing nothing", false, sharingNothing, {}, {}},
    };
    for (const HeldCase& c : cases) {
        SCOPED_TRACE(c.what);
        system = fake::FakeSystem();
        ui = fake::FakeUi();
        system.AddFile(InfPath("oem3.inf"), "RT450");
        system.AddFile(InfPath("oem12.inf"), "RT450");
        if (c.withRecord) system.AddFile(kRecordRt450, "oem12.inf");
        c.hold(system, c.withRecord ? kRecordRt450 : InfPath("oem3.inf"));
        if (!c.withRecord) system.RemoveFile(InfPath("oem12.inf"));
        EXPECT_EQ(Remove(), 1);
        EXPECT_EQ(system.uninstalled, c.uninstalled);
        EXPECT_EQ(ui.Texts(), c.boxes);
    }
}

// --- names

TEST_F(RemovePreviousInstallationTest, SlashesStayInCommandsAndSearchNotInRecordName) {
    system.printers = {"VX410P/420"};
    system.drivers = {"VX410P/420"};
    system.AddFile(InfPath("oem4.inf"), "\"VX410P/420\"");
    system.AddFile(InfPath("oem5.inf"), "VX410P-420");
    EXPECT_EQ(Remove("VX410P/420"), 1);
    EXPECT_EQ(CommandLines(),
              (Lines{"rundll32 printui.dll,PrintUIEntry /q /dl /n \"VX410P/420\"",
                     "rundll32 printui.dll,PrintUIEntry /q /dd /m \"VX410P/420\""}));
    EXPECT_EQ(FirstRead(), "ReadFile c:\\windows\\inf\\VX410P-420.txt");
    EXPECT_EQ(system.uninstalled, Lines{"oem4.inf"});
}

TEST_F(RemovePreviousInstallationTest, SlashNameFindsItsRecord) {
    system.AddFile("c:\\windows\\inf\\VX410P-420.txt", "oem9.inf");
    system.AddFile(InfPath("oem9.inf"), "VX410P/420");
    EXPECT_EQ(Remove("VX410P/420"), 1);
    EXPECT_EQ(system.uninstalled, Lines{"oem9.inf"});
    EXPECT_TRUE(system.CallsStartingWith("ScanFile c:\\windows\\inf\\oem").empty());
}

TEST_F(RemovePreviousInstallationTest, LongNameIsComposedWhole) {
    const std::string name(200, 'N');
    system.printers = {name};
    system.drivers = {name};
    system.AddFile(InfPath("oem6.inf"), "x" + name + "x");
    EXPECT_EQ(Remove(name), 1);
    EXPECT_EQ(CommandLines(),
              (Lines{"rundll32 printui.dll,PrintUIEntry /q /dl /n \"" + name + "\"",
                     "rundll32 printui.dll,PrintUIEntry /q /dd /m \"" + name + "\""}));
    EXPECT_EQ(FirstRead(), "ReadFile c:\\windows\\inf\\" + name + ".txt");
    EXPECT_EQ(system.uninstalled, Lines{"oem6.inf"});
}

TEST_F(RemovePreviousInstallationTest, CommandLineTheSystemRefusesIsTold) {
    const std::string name(40000, 'N');
    system.printers = {name};
    // CreateProcessA takes at most 32767 characters of command line.
    system.processStartFails = [](const std::string& line) { return line.size() > 32767; };
    EXPECT_EQ(Remove(name), 0);
    EXPECT_EQ(ui.Texts(), Lines{kProcessStartFailed});
    EXPECT_TRUE(system.CallsStartingWith("ReadFile").empty());
    EXPECT_TRUE(system.CallsStartingWith("ScanFile").empty());
}

}  // namespace
