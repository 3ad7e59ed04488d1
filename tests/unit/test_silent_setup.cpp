// Whole runs of the unattended installer on the fake machine: the exit code of each
// outcome, that a run stops at the step that failed, and the log a person reads
// afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "silent/CommandLine.h"
#include "silent/DetectionMarker.h"
#include "silent/ExitCodes.h"
#include "silent/LoggingSystem.h"
#include "silent/OutcomeCheck.h"
#include "setup/InstallSequence.h"
#include "silent/SilentSetup.h"
#include "package/DriverVer.h"
#include "tests/unit/FakeUnattendedSystem.h"
#include "tests/unit/LivedInMachine.h"
#include "tests/unit/PrinterSetupDouble.h"

namespace {

using fake::Host;

const char* const kLog = "C:\\WINDOWS\\TEMP\\RT450.log";
const char* const kRecord = "c:\\windows\\inf\\RT450.txt";
const std::string kBom = "\xEF\xBB\xBF";
// The fake registry's name of the marker's key (key names take any case).
const char* const kMarker = "software\\rt450 printer installer";

// The marker that an earlier, successful run left.
void AddEarlierMarker(fake::FakeUnattendedSystem& unattended) {
    unattended.registry[kMarker] = {{"Version", silent::kMarkerVersion}, {"Port", "LPT1:"},
                                    {"InstalledAt", "2026-12-01 08:00:00.000"}};
}

// A host with the package, its folders, and the printer-setup double.
void MakePackagedMachine(fake::FakeSystem& machine, Host host) {
    fake::MakeHost(machine, host);
    fake::AddWholePackage(machine);
    machine.AddDirectory("C:\\WINDOWS\\TEMP");
    machine.AddDirectory("C:\\WINDOWS\\Driver Cache\\i386");
    fake::UsePrinterSetupDouble(machine);
}

// The calls that changed the machine, in order.
std::vector<std::string> ChangesOf(const fake::FakeSystem& machine) {
    std::vector<std::string> changes;
    for (const auto& call : machine.calls)
        for (const char* verb : {"CopyFile", "DeleteFile", "WriteFile", "CreateDirectory",
                                 "CreateProcess", "SetupCopyOEMInf", "SetupUninstallOEMInf",
                                 "UpdateDriverForPlugAndPlayDevices"})
            if (call.rfind(verb, 0) == 0) changes.push_back(call);
    return changes;
}

// What an earlier installation left: the queue and the driver "RT450" (in both
// environments), its staged INF file and the record file that names it.
void AddEarlierInstall(fake::FakeSystem& machine) {
    machine.printers = {"RT450"};
    machine.drivers = {"RT450"};
    machine.drivers64 = {"RT450"};
    machine.AddFile(kRecord, "oem5.inf");
    machine.AddFile("c:\\windows\\inf\\oem5.inf", "[Strings]\nModel=\"RT450\"\n");
}

void ExpectEarlierInstallKept(const fake::FakeSystem& machine) {
    EXPECT_EQ(ChangesOf(machine), std::vector<std::string>{});
    EXPECT_EQ(machine.printers, std::vector<std::string>{"RT450"});
    EXPECT_EQ(machine.drivers, std::vector<std::string>{"RT450"});
    EXPECT_EQ(machine.drivers64, std::vector<std::string>{"RT450"});
    EXPECT_EQ(machine.FileBytes(kRecord), "oem5.inf");
    EXPECT_TRUE(machine.FileExists("c:\\windows\\inf\\oem5.inf"));
}

class SilentSetup : public fake::HostTest {
protected:
    fake::FakeUnattendedSystem unattended{system};

    void SetUp() override {
        HostTest::SetUp();
        system.printerDriverDirectories["Windows NT x86"] =
            "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";
        system.printerDriverDirectories["Windows x64"] =
            "C:\\WINDOWS\\system32\\spool\\drivers\\x64";
        system.AddDirectory("C:\\WINDOWS\\system32\\spool\\drivers\\w32x86");
        system.AddDirectory("C:\\WINDOWS\\system32\\spool\\drivers\\x64");
        system.AddDirectory("C:\\WINDOWS\\Driver Cache\\i386");
        system.AddDirectory("C:\\WINDOWS\\TEMP");
        system.AddDirectory("c:\\windows\\inf");
        fake::UsePrinterSetupDouble(system);
    }

    int Run(std::vector<std::string> args) {
        return silent::RunSilentSetup(system, unattended, args);
    }

    // The log's lines without the time, the process id and the byte-order mark, each
    // "<step> <text>" with the step's padding, in UTF-8. Every line must carry the time
    // and the process id.
    std::vector<std::string> LogLines(const std::string& path = kLog) {
        const std::string prefix =
            "2026-12-10 14:50:01.023  [" + std::to_string(unattended.processId) + "]  ";
        std::string bytes = system.FileBytes(path);
        EXPECT_EQ(bytes.compare(0, kBom.size(), kBom), 0) << "no byte-order mark";
        bytes = bytes.substr(kBom.size());
        std::vector<std::string> lines;
        std::size_t at = 0;
        while (at < bytes.size()) {
            const std::size_t end = bytes.find("\r\n", at);
            EXPECT_NE(end, std::string::npos) << "a line without CR LF";
            if (end == std::string::npos) break;
            const std::string line = bytes.substr(at, end - at);
            EXPECT_EQ(line.compare(0, prefix.size(), prefix), 0) << line;
            lines.push_back(line.substr(prefix.size()));
            at = end + 2;
        }
        return lines;
    }

    std::vector<std::string> Changes() { return ChangesOf(system); }
};

// Exact logs: a person reading one sees every step, command and message.
TEST_F(SilentSetup, LogOfAParallelInstallOnWindowsXp) {
    fake::MakeHost(system, Host::Xp32);
    fake::AddWholePackage(system);
    system.messageTexts[2] = "系统找不到指定的文件。\r\n";

    EXPECT_EQ(Run({"/port:lpt1"}), silent::kExitSuccess);

    std::vector<std::string> expected = {
        u8"start    SilentSetup.exe /port:lpt1",
        u8"start    started in C:\\pkg",
        u8"start    current directory C:\\pkg",
        u8"host     classifying the host",
        u8"host     Windows version 5.1, product type 1",
        u8"host     32-bit Windows before Windows 7, package folder i386",
        u8"marker   removing the detection marker",
        u8"marker   no detection marker HKLM\\SOFTWARE\\RT450 Printer Installer is left",
        u8"remove   removing what earlier installations left",
        u8"verify   checking the package folder",
        u8"stage    copying the driver files",
    };
    for (const char* folder :
         {"C:\\WINDOWS\\Driver Cache\\i386", "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86"}) {
        if (std::string(folder).find("spool") != std::string::npos)
            expected.push_back(
                std::string(u8"stage    printer driver directory for \"Windows NT x86\": ") + folder);
        for (const char* name : {"ZORQ80-Series.dll", "ZORQ80-Series.gpd", "UNIDRV.DLL",
                                 "UNIDRV.HLP", "UNIDRVUI.DLL", "UNIRES.DLL", "STDNAMES.GPD"})
            expected.push_back(std::string(u8"stage    copied .\\i386\\") + name + " to " + folder +
                               "\\" + name);
    }
    const std::vector<std::string> rest = {
        u8"install  installing the driver and the printer",
        u8"install  staged the INF file C:\\pkg\\i386\\ZORQ80-Series.INF as "
        u8"C:\\windows\\inf\\oem7.inf",
        u8"install  wrote c:\\windows\\inf\\RT450.txt: oem7.inf",
        u8"install  port LPT1: (from the command line)",
        u8"install  the command rundll32 printui.dll,PrintUIEntry /q  ended with exit code 0",
        u8"install  the command rundll32 printui.dll,PrintUIEntry /if /b \"RT450\" \t"
        u8"   /f \".\\i386\\ZORQ80-Series.INF\" /r \"LPT1:\"  /m \"RT450\" /q  ended with "
        u8"exit code 0",
        u8"install  message \"信息提示\": 打印机安装成功!",
        u8"check    looking at what the run left",
        u8"check    queue \"RT450\" on LPT1: with driver \"RT450\"",
        u8"check    the driver \"RT450\" in \"Windows NT x86\" is version 2.4.0.7, this package's",
        u8"marker   writing the detection marker",
        u8"marker   wrote the detection marker HKLM\\SOFTWARE\\RT450 Printer Installer: "
        u8"Version " + std::string(silent::kMarkerVersion) + ", Port LPT1:",
        u8"end      exit code 0: success",
    };
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(LogLines(), expected);
    EXPECT_EQ(unattended.registry[kMarker],
              (std::map<std::string, std::string>{{"Version", silent::kMarkerVersion},
                                                  {"Port", "LPT1:"},
                                                  {"InstalledAt", "2026-12-10 14:50:01.023"}}));
    // Written last: a marker with a Version is whole.
    EXPECT_EQ(system.CallsStartingWith("RegSetValueEx").back(),
              "RegSetValueEx SOFTWARE\\RT450 Printer Installer Version");
}

TEST_F(SilentSetup, LogOfADamagedPackageStopsBeforeAnythingChanges) {
    fake::MakeHost(system, Host::Win7x86);
    fake::AddWholePackage(system);
    system.RemoveFile(".\\i386w7\\UNIDRV.HLP");
    system.AddDirectory("C:\\logs");

    EXPECT_EQ(Run({"/port:lpt1", "/log:C:\\logs\\rt450.log"}), silent::kExitDamagedPackage);

    EXPECT_EQ(LogLines("C:\\logs\\rt450.log"),
              (std::vector<std::string>{
                  u8"start    SilentSetup.exe /port:lpt1 /log:C:\\logs\\rt450.log",
                  u8"start    started in C:\\pkg",
                  u8"start    current directory C:\\pkg",
                  u8"host     classifying the host",
                  u8"host     Windows version 6.1, product type 1",
                  u8"host     32-bit Windows 7 or later, package folder i386w7",
                  u8"package  message \"安装文件受损：找不到文件\": .\\i386w7\\UNIDRV.HLP",
                  u8"package  a file of the package folder is missing; nothing was changed",
                  u8"end      exit code 21: damaged package: a file of the package folder is "
                  u8"missing",
              }));
    // It stopped there: nothing removed, staged or started.
    EXPECT_EQ(Changes(), std::vector<std::string>{});
}

// What a look that changes nothing foresees stops the run before the removal of an
// earlier installation: a missing file of the package folder (both host kinds), and on
// 64-bit Windows a package whose signature this PC does not trust. Columns: what the
// case shows, the host, the file removed from the package ("" none), what the look at
// the signature answers (0: trusted), the exit code, the log's last line before the end.
struct ForeseenCase {
    const char* what;
    Host host;
    const char* missing;
    uint32_t signatureError;
    int exitCode;
    const char* lastLine;
};

const char* const kMissingLine =
    u8"package  a file of the package folder is missing; nothing was changed";
const char* const kUntrustedLine =
    u8"package  the driver package's signature is not trusted on this PC: make it trust "
    u8"the publisher's certificate (Trusted Root Certification Authorities and Trusted "
    u8"Publishers), then run again; nothing was changed";

const ForeseenCase kForeseen[] = {
    {"32-bit: a missing file", Host::Win7x86, ".\\i386w7\\UNIDRV.HLP", 0,
     silent::kExitDamagedPackage, kMissingLine},
    {"64-bit: a missing file", Host::Win10x64, ".\\amd64\\ZORQ80-Series.dll", 0,
     silent::kExitDamagedPackage, kMissingLine},
    {"64-bit: the publisher not among the trusted ones", Host::Win10x64, "", 0xE0000242,
     silent::kExitSignatureNotTrusted, kUntrustedLine},
    {"64-bit: an untrusted root", Host::Win10x64, "", 0x800B0109,
     silent::kExitSignatureNotTrusted, kUntrustedLine},
    {"64-bit: no signature", Host::Win10x64, "", 0x800B0100, silent::kExitSignatureNotTrusted,
     kUntrustedLine},
};

TEST_F(SilentSetup, WhatALookForeseesChangesNothing) {
    for (const ForeseenCase& row : kForeseen) {
        SCOPED_TRACE(row.what);
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        MakePackagedMachine(machine, row.host);
        if (*row.missing != '\0') machine.RemoveFile(row.missing);
        machine.verifyInfError = row.signatureError;
        // The earlier installation that the removal would delete.
        AddEarlierInstall(machine);
        AddEarlierMarker(services);

        EXPECT_EQ(silent::RunSilentSetup(machine, services, {"/port:lpt1"}), row.exitCode);

        ExpectEarlierInstallKept(machine);
        EXPECT_EQ(services.registry.count(kMarker), 1u);
        const std::string bytes = machine.FileBytes(kLog);
        EXPECT_NE(bytes.find(std::string(row.lastLine).substr(9) + "\r\n"), std::string::npos);
    }
    fake::SetFlags(0, 0, 0);
}

// A look that cannot tell, or a Windows without it, leaves the decision to the staging,
// as before; 32-bit Windows may take a package it does not trust, and is not asked.
// Columns: what the case shows, the host, what the look answers, the exit code, the
// line that the log holds ("" none beyond the usual).
TEST_F(SilentSetup, ALookThatCannotTellLeavesItToTheStaging) {
    const struct {
        const char* what;
        Host host;
        uint32_t signatureError;
        const char* line;
    } cases[] = {
        {"an Authenticode publisher that this PC trusts", Host::Win10x64, 0xE0000241, ""},
        {"no such call (Wine)", Host::Win10x64, sys::kErrorProcNotFound, ""},
        {"the look fails", Host::Win10x64, 5,
         "package  could not check the signature of C:\\pkg\\amd64\\ZORQ80-Series.INF, "
         "taken as no obstacle: error 5 (0x00000005): Access is denied.\r\n"},
        {"32-bit Windows is not asked", Host::Win7x86, 0xE0000242, ""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        MakePackagedMachine(machine, row.host);
        machine.verifyInfError = row.signatureError;

        EXPECT_EQ(silent::RunSilentSetup(machine, services, {"/port:lpt1"}),
                  silent::kExitSuccess);

        const std::string bytes = machine.FileBytes(kLog);
        if (*row.line != '\0') {
            EXPECT_NE(bytes.find(row.line), std::string::npos) << bytes;
        }
        EXPECT_EQ(machine.CallsStartingWith("SetupVerifyInfFile").size(),
                  row.host == Host::Win10x64 ? 1u : 0u);
    }
    fake::SetFlags(0, 0, 0);
}

TEST_F(SilentSetup, LogOfAnUninstallThatNeedsAnAdministrator) {
    fake::MakeHost(system, Host::Win10x64);
    system.drivers = {"RT450"};
    system.AddFile(kRecord, "oem12.inf");
    system.AddFile("c:\\windows\\inf\\oem12.inf", "RT450");
    system.uninstallFails = {"oem12.inf"};
    system.messageTexts[5] = "拒绝访问。\r\n";

    EXPECT_EQ(Run({"/uninstall"}), silent::kExitRemovalNeedsAdministrator);
    EXPECT_TRUE(system.FileExists(kRecord)) << "kept while the INF stays staged";

    const std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{
                  u8"remove   uninstalling the staged INF file oem12.inf failed: error 5 "
                  u8"(0x00000005): 拒绝访问。",
                  u8"remove   message \"setup\": 请尝试以\"管理员身份\"运行安装程序以获得更多支持!",
                  u8"remove   a staged INF file of RT450 could not be uninstalled",
                  u8"end      exit code 28: removal incomplete: run as administrator",
              }));
}

// One row per outcome: how the machine is arranged (on top of a marker that an earlier
// run left and the printer-setup double), the arguments, the exit code, the last
// message that the log shows ("" for none after the arguments), and whether the
// detection marker is there afterwards.
struct OutcomeCase {
    const char* name;
    Host host;
    std::vector<std::string> args;
    std::function<void(fake::FakeSystem&, fake::FakeUnattendedSystem&)> arrange;
    int exitCode;
    const char* lastMessage;
    bool marker;
};

bool Starts(const std::string& commandLine, const char* text) {
    return commandLine.find(text) != std::string::npos;
}

// The printer-setup double, with the commands that hold text doing nothing.
void CommandsDoNothing(fake::FakeSystem& system, const char* text) {
    fake::UsePrinterSetupDouble(system, [text](const std::string& c) { return Starts(c, text); });
}

// An RT450 queue that an earlier installation left, with its port and driver.
void AddQueue(fake::FakeSystem& system, const char* port, const char* driver) {
    system.printers = {"RT450"};
    system.drivers = {driver};
    system.printerDetails["RT450"] = {"RT450", port, driver};
}

const char* const kConnectUsb = "请接入USB线(已经接好则重开打印机)，\n系统会自动安装打印机！";

const OutcomeCase kOutcomes[] = {
    {"parallel", Host::Win7x86, {"/port:lpt1"}, [](auto&, auto&) {}, silent::kExitSuccess,
     "打印机安装成功!", true},
    {"parallel, 64-bit", Host::Win10x64, {"/port:lpt1"}, [](auto&, auto&) {},
     silent::kExitSuccess, "打印机安装成功!", true},
    {"usb", Host::Xp32, {}, [](auto&, auto&) {}, silent::kExitSuccess, "打印机安装成功!", true},
    {"usb, no device, Windows 7", Host::Win7x86, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = sys::kErrorNoSuchDevinst; },
     silent::kExitWaitingForUsbDevice, kConnectUsb, true},
    {"usb, no device, XP", Host::Xp32, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = sys::kErrorNoSuchDevinst; },
     silent::kExitNoUsbDevice, "请检查打印机USB连线是否连接", false},
    {"usb, update fails", Host::Win8x86, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = sys::kErrorNoMoreItems; },
     silent::kExitUsbUpdateFailed, kConnectUsb, false},
    {"usb, update fails for an untrusted root", Host::Win8x86, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = 0x800B0109; },
     silent::kExitSignatureNotTrusted, kConnectUsb, false},
    {"Setup64 installs", Host::Win10x64, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = sys::kErrorInWow64; s.exitCode = 1; },
     silent::kExitSuccess, "打印机安装成功!", true},
    {"Setup64 finds no device", Host::Win7x64, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = sys::kErrorInWow64; s.exitCode = 10; },
     silent::kExitWaitingForUsbDevice, kConnectUsb, true},
    {"Setup64 fails", Host::Win10x64, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = sys::kErrorInWow64; s.exitCode = 2; },
     silent::kExitSetup64Failed, "打印机安装失败，取消安装!", false},
    {"Setup64 fails for the package's signature", Host::Win10x64, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = sys::kErrorInWow64; s.exitCode = 12; },
     silent::kExitSignatureNotTrusted, "打印机安装失败，取消安装!", false},
    {"Setup64 does not start", Host::Win10x64, {"/port:usb"},
     [](auto& s, auto&) {
         s.updateDriverError = sys::kErrorInWow64;
         s.processStartFails = [](const std::string& c) { return Starts(c, "Setup64"); };
     },
     silent::kExitCommandNotStarted, "创建安装进程失败，取消安装！", false},
    {"printer command does not start", Host::Xp32, {"/port:lpt1"},
     [](auto& s, auto&) {
         s.processStartFails = [](const std::string& c) { return Starts(c, "/if"); };
     },
     silent::kExitCommandNotStarted, "创建安装进程失败，取消安装！", false},
    {"driver command does not start", Host::Win10x64, {"/port:lpt1"},
     [](auto& s, auto&) {
         s.processStartFails = [](const std::string& c) { return Starts(c, "/ia"); };
     },
     silent::kExitCommandNotStarted, "创建安装进程失败，取消安装！", false},
    {"INF not staged", Host::Win7x64, {"/port:lpt1"},
     [](auto& s, auto&) { s.copyOemInfFails = true; }, silent::kExitInfStagingFailed,
     "打印机安装失败，取消安装!", false},
    // A staging that fails for the package's signature: the PC needs the certificate.
    {"INF not staged: no catalog", Host::Win10x64, {"/port:lpt1"},
     [](auto& s, auto&) {
         s.copyOemInfFails = true;
         s.copyOemInfError = 0xE000022F;
     },
     silent::kExitSignatureNotTrusted, "打印机安装失败，取消安装!", false},
    {"INF not staged: publisher not trusted", Host::Win7x64, {"/port:usb"},
     [](auto& s, auto&) {
         s.copyOemInfFails = true;
         s.copyOemInfError = 0xE0000243;
     },
     silent::kExitSignatureNotTrusted, "打印机安装失败，取消安装!", false},
    {"copy fails", Host::Xp32, {"/port:lpt1"},
     [](auto& s, auto&) { s.failCopyTo = {"C:\\WINDOWS\\Driver Cache\\i386\\UNIDRV.DLL"}; },
     silent::kExitStagingFailed, "Access is denied.", false},
    // Found before anything changes: the earlier marker stays.
    {"package file missing", Host::Win10x64, {"/port:lpt1"},
     [](auto& s, auto&) { s.RemoveFile(".\\amd64\\STDNAMES.GPD"); },
     silent::kExitDamagedPackage, ".\\amd64\\STDNAMES.GPD", true},
    {"deletion command does not start", Host::Win7x86, {"/port:lpt1"},
     [](auto& s, auto&) {
         s.printers = {"RT450"};
         s.processStartFails = [](const std::string& c) { return Starts(c, "/dl"); };
     },
     silent::kExitCommandNotStarted, "创建安装进程失败，取消安装！", false},
    {"a step throws", Host::Win7x86, {"/port:lpt1"},
     [](auto& s, auto&) {
         s.failMethod = "SetupCopyOEMInf";
         s.failThrows = std::make_exception_ptr(std::bad_alloc());
     },
     silent::kExitUnexpectedError, "安装出现意外错误，取消安装！", false},
    // The commands ran, but the spooler does not show the queue as asked.
    {"parallel, the printer command does nothing", Host::Win7x86, {"/port:lpt1"},
     [](auto& s, auto&) { CommandsDoNothing(s, "/if"); }, silent::kExitNotAsAsked,
     "打印机安装成功!", false},
    {"parallel, the 64-bit driver command does nothing", Host::Win10x64, {"/port:lpt1"},
     [](auto& s, auto&) { CommandsDoNothing(s, "/ia"); }, silent::kExitNotAsAsked,
     "打印机安装成功!", false},
    {"parallel, the queue is on another port", Host::Xp32, {"/port:lpt1"},
     [](auto& s, auto&) {
         AddQueue(s, "USB001", "RT450");
         CommandsDoNothing(s, "/dl");
     },
     silent::kExitNotAsAsked, "打印机安装成功!", false},
    {"parallel, the queue has another driver", Host::Xp32, {"/port:lpt1"},
     [](auto& s, auto&) {
         AddQueue(s, "LPT1:", "Generic / Text Only");
         CommandsDoNothing(s, "/dl");
     },
     silent::kExitNotAsAsked, "打印机安装成功!", false},
    {"parallel, an earlier version's driver stays", Host::Xp32, {"/port:lpt1"},
     [](auto& s, auto&) {
         AddQueue(s, "LPT1:", "RT450");
         s.driverVersions["RT450"] = 0x0001000000000000;
         CommandsDoNothing(s, "/d");
     },
     silent::kExitOtherDriverVersion, "打印机安装成功!", false},
    {"parallel, the spooler cannot be asked", Host::Win7x86, {"/port:lpt1"},
     [](auto& s, auto&) { s.spoolerDown = true; }, silent::kExitNotAsAsked,
     "打印机安装成功!", false},
    {"usb, no queue after the update", Host::Xp32, {"/port:usb"},
     [](auto& s, auto&) { s.onDriverUpdated = nullptr; }, silent::kExitNotAsAsked,
     "打印机安装成功!", false},
    {"usb, the queue is on LPT1:", Host::Xp32, {"/port:usb"},
     [](auto& s, auto&) {
         s.onDriverUpdated = [&s] { AddQueue(s, "LPT1:", "RT450"); };
     },
     silent::kExitNotAsAsked, "打印机安装成功!", false},
    {"usb waits, but the record cannot be read", Host::Win7x86, {"/port:usb"},
     [](auto& s, auto&) {
         s.updateDriverError = sys::kErrorNoSuchDevinst;
         s.failReadOf = {kRecord};
     },
     silent::kExitNotAsAsked, kConnectUsb, false},
    // A command that does not end within its bound.
    {"the printer command never ends", Host::Xp32, {"/port:lpt1"},
     [](auto& s, auto&) {
         s.processNeverEnds = [](const std::string& c) { return Starts(c, "/if"); };
     },
     silent::kExitProcessOutlivedItsBound, "", false},
    {"a removal command never ends", Host::Win7x86, {"/port:lpt1"},
     [](auto& s, auto&) {
         s.printers = {"VX420"};
         s.processNeverEnds = [](const std::string& c) { return Starts(c, "/dl"); };
     },
     silent::kExitProcessOutlivedItsBound, "", false},
    {"Setup64 never ends", Host::Win10x64, {"/port:usb"},
     [](auto& s, auto&) {
         s.updateDriverError = sys::kErrorInWow64;
         s.processNeverEnds = [](const std::string& c) { return Starts(c, "Setup64"); };
     },
     silent::kExitProcessOutlivedItsBound, "", false},
    {"uninstall, a deletion never ends", Host::Win10x64, {"/uninstall"},
     [](auto& s, auto&) {
         s.drivers = {"RT450"};
         s.processNeverEnds = [](const std::string& c) { return Starts(c, "/dd"); };
     },
     silent::kExitProcessOutlivedItsBound, "", false},
    // The marker.
    {"the marker cannot be removed", Host::Win7x86, {"/port:lpt1"},
     [](auto&, auto& u) { u.regDeleteKeyError = 5; }, silent::kExitUnexpectedError, "", true},
    {"the marker cannot be written", Host::Win7x86, {"/port:lpt1"},
     [](auto&, auto& u) { u.regSetValueError = 5; }, silent::kExitUnexpectedError,
     "打印机安装成功!", false},
    {"the marker's Version cannot be written", Host::Win7x86, {"/port:lpt1"},
     [](auto&, auto& u) {
         u.regSetValueError = 5;
         u.regSetValueFailing = "Version";
     },
     silent::kExitUnexpectedError, "打印机安装成功!", false},
    // Refused runs leave the marker as it was.
    {"another run", Host::Win7x86, {"/port:lpt1"},
     [](auto& s, auto&) { s.runLockHolder = fake::FakeSystem::RunLockHolder::AnotherRun; },
     silent::kExitAnotherInstallRunning, "", true},
    {"another account's run", Host::Win7x86, {"/uninstall"},
     [](auto& s, auto&) {
         s.runLockHolder = fake::FakeSystem::RunLockHolder::AnotherAccount;
     },
     silent::kExitAnotherInstallRunning, "", true},
    {"unknown argument", Host::Win7x86, {"/port:lpt1", "/silent"}, [](auto&, auto&) {},
     silent::kExitInvalidCommandLine, "", true},
    {"missing value", Host::Win7x86, {"/log:"}, [](auto&, auto&) {},
     silent::kExitInvalidCommandLine, "", true},
    {"usage", Host::Win7x86, {"/?"}, [](auto&, auto&) {}, silent::kExitSuccess, "", true},
    // The uninstall, and what it may leave behind.
    {"uninstall", Host::Win7x86, {"/uninstall"},
     [](auto& s, auto&) {
         AddQueue(s, "LPT1:", "RT450");
         s.AddFile("c:\\windows\\inf\\RT450.txt", "oem3.inf");
         s.AddFile("c:\\windows\\inf\\oem3.inf", "RT450");
     },
     silent::kExitSuccess, "", false},
    {"uninstall, deletion does not start", Host::Win10x64, {"/uninstall"},
     [](auto& s, auto&) {
         s.drivers = {"RT450"};
         s.processStartFails = [](const std::string& c) { return Starts(c, "/dd"); };
     },
     silent::kExitCommandNotStarted, "创建安装进程失败，取消安装！", false},
    {"uninstall, record not deletable", Host::Win7x86, {"/uninstall"},
     [](auto& s, auto&) {
         s.AddFile("c:\\windows\\inf\\RT450.txt", "oem3.inf");
         s.inUse = {"c:\\windows\\inf\\RT450.txt"};
     },
     silent::kExitRemovalNeedsAdministrator, "", false},
    {"uninstall leaves the queue", Host::Win7x86, {"/uninstall"},
     [](auto& s, auto&) {
         AddQueue(s, "LPT1:", "RT450");
         CommandsDoNothing(s, "/dl");
     },
     silent::kExitRemovalLeftSomething, "", false},
    {"uninstall leaves a queue on the model's driver", Host::Win7x86, {"/uninstall"},
     [](auto& s, auto&) {
         AddQueue(s, "LPT1:", "RT450");
         s.printers = {"Office"};
         s.printerDetails = {{"Office", {"Office", "LPT2:", "RT450"}}};
     },
     silent::kExitRemovalLeftSomething, "", false},
    {"uninstall leaves the driver", Host::Win7x86, {"/uninstall"},
     [](auto& s, auto&) {
         s.drivers = {"RT450"};
         CommandsDoNothing(s, "/dd");
     },
     silent::kExitRemovalLeftSomething, "", false},
    {"uninstall removes the 64-bit driver", Host::Win10x64, {"/uninstall"},
     [](auto& s, auto&) { s.drivers64 = {"RT450"}; }, silent::kExitSuccess, "", false},
    {"uninstall leaves the 64-bit driver", Host::Win10x64, {"/uninstall"},
     [](auto& s, auto&) {
         s.drivers64 = {"RT450"};
         CommandsDoNothing(s, "/h \"x64\"");
     },
     silent::kExitRemovalLeftSomething, "", false},
    {"uninstall, a staged INF beside the recorded one", Host::Win7x86, {"/uninstall"},
     [](auto& s, auto&) {
         s.AddFile("c:\\windows\\inf\\RT450.txt", "oem3.inf");
         s.AddFile("c:\\windows\\inf\\oem3.inf", "RT450");
         s.AddFile("c:\\windows\\inf\\oem20.inf", "[Strings]\nModel=\"RT450\"\n");
     },
     silent::kExitSuccess, "", false},
    {"uninstall, a staged INF that stays", Host::Win7x86, {"/uninstall"},
     [](auto& s, auto&) {
         s.AddFile("c:\\windows\\inf\\oem150.inf", "RT450");
         s.uninstallFails = {"oem150.inf"};
     },
     silent::kExitRemovalNeedsAdministrator, "请尝试以\"管理员身份\"运行安装程序以获得更多支持!", false},
    {"uninstall, the spooler cannot be asked", Host::Win7x86, {"/uninstall"},
     [](auto& s, auto&) { s.spoolerDown = true; }, silent::kExitRemovalLeftSomething, "",
     false},
    {"uninstall, the marker cannot be removed", Host::Win7x86, {"/uninstall"},
     [](auto&, auto& u) { u.regDeleteKeyError = 5; }, silent::kExitUnexpectedError, "", true},
};

// The texts of the log's message lines, in UTF-8 as the log has them; those of the
// step named skipped ("remove ", padded as the log pads it) left out.
std::vector<std::string> LoggedMessages(const std::string& logBytes,
                                        const std::string& skipped = "") {
    std::vector<std::string> messages;
    std::istringstream in(logBytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t at = line.find(u8"  message \"");
        if (at == std::string::npos) continue;
        if (!skipped.empty() && line.compare(at - skipped.size(), skipped.size(), skipped) == 0)
            continue;
        messages.push_back(line.substr(line.find("\": ", at) + 3));
    }
    return messages;
}

// A message as its log line shows it: one line, without the system's closing line end.
std::string Shown(fake::FakeUnattendedSystem& unattended, std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::string utf8;
    EXPECT_TRUE(unattended.ToUtf8(sys::kProgramCodePage, text, utf8)) << text;
    std::string shown;
    for (char c : utf8)
        shown += c == '\n' ? std::string("\\n") : std::string(1, c);
    return shown;
}

TEST_F(SilentSetup, ExitCodeMarkerAndLastMessageOfEachOutcome) {
    for (const OutcomeCase& row : kOutcomes) {
        SCOPED_TRACE(row.name);
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        MakePackagedMachine(machine, row.host);
        machine.messageTexts[5] = "Access is denied.\r\n";
        AddEarlierMarker(services);
        row.arrange(machine, services);

        EXPECT_EQ(silent::RunSilentSetup(machine, services, row.args), row.exitCode);
        EXPECT_EQ(services.registry.count(kMarker) != 0, row.marker);

        // The log ends with the code and its meaning, after the last message. A run
        // refused for another one's lock writes none: the log is the other run's.
        std::string bytes = machine.FileBytes(kLog);
        if (row.exitCode == silent::kExitAnotherInstallRunning) {
            EXPECT_EQ(bytes, "");
            continue;
        }
        const std::string end = "exit code " + std::to_string(row.exitCode) + ": " +
                                silent::ExitCodeMeaning(row.exitCode) + "\r\n";
        EXPECT_EQ(bytes.substr(bytes.size() - std::min(bytes.size(), end.size())), end);
        const auto messages = LoggedMessages(bytes);
        if (*row.lastMessage == '\0') {
            EXPECT_EQ(messages, std::vector<std::string>{});
        } else {
            ASSERT_FALSE(messages.empty());
            EXPECT_EQ(messages.back(), Shown(services, row.lastMessage));
        }
    }
    fake::SetFlags(0, 0, 0);
}

// The arguments are checked before anything else: a wrong one, or a run that finds the
// lock held by another run of either program, change nothing on the machine but the log.
TEST_F(SilentSetup, RefusedRunsChangeNothing) {
    fake::MakeHost(system, Host::Win10x64);
    fake::AddWholePackage(system);
    system.printers = {"RT450"};
    system.drivers = {"RT450"};
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"/port:lpt1", "/port:usb"}, {"/uninstall", "/port:usb"}, {"/log"}, {"/x"},
             {"/?", "/uninstall"}, {"/uninstall", "/?"}, {"/port:lpt1", "/?"}}) {
        SCOPED_TRACE(silent::JoinArguments(args));
        EXPECT_EQ(Run(args), silent::kExitInvalidCommandLine);
    }
    EXPECT_EQ(unattended.standardOutput, "") << "usage beside an action is refused whole";
    system.runLockHolder = fake::FakeSystem::RunLockHolder::AnotherRun;
    EXPECT_EQ(Run({"/uninstall"}), silent::kExitAnotherInstallRunning);
    system.runLockHolder = fake::FakeSystem::RunLockHolder::AnotherAccount;
    EXPECT_EQ(Run({"/port:lpt1"}), silent::kExitAnotherInstallRunning);
    EXPECT_EQ(Changes(), std::vector<std::string>{});
    EXPECT_EQ(system.CallsStartingWith("EnumPrinters"), std::vector<std::string>{});
}

TEST_F(SilentSetup, UsageGoesToTheStandardOutputAndTheLog) {
    EXPECT_EQ(Run({"/?"}), silent::kExitSuccess);
    EXPECT_EQ(unattended.standardOutput, silent::UsageText());
    for (const int code : silent::kExitCodes)
        EXPECT_NE(unattended.standardOutput.find("  " + std::to_string(code) + " "),
                  std::string::npos)
            << code;
    EXPECT_NE(system.FileBytes(kLog).find("/port:lpt1"), std::string::npos);
}

// A log that cannot be written, or no temporary folder, does not stop the install.
TEST_F(SilentSetup, AnUnwritableLogDoesNotStopTheInstall) {
    fake::MakeHost(system, Host::Win7x86);
    fake::AddWholePackage(system);
    unattended.unwritable = {kLog};
    EXPECT_EQ(Run({"/port:lpt1"}), silent::kExitSuccess);
    // A later process: the first one's mutex is gone with it.
    fake::FakeUnattendedSystem later(system);
    later.tempPathFails = true;
    EXPECT_EQ(silent::RunSilentSetup(system, later, {"/port:lpt1"}), silent::kExitSuccess);
    // Two commands each, and the second run deletes the first one's queue and driver.
    EXPECT_EQ(system.CallsStartingWith("CreateProcess").size(), 6u);
}

// A second run appends to the log of the first; the mark stays at the file's start only.
TEST_F(SilentSetup, TheLogIsAppendedToWithOneByteOrderMark) {
    EXPECT_EQ(Run({"/bad"}), silent::kExitInvalidCommandLine);
    EXPECT_EQ(Run({"/bad"}), silent::kExitInvalidCommandLine);
    const std::string bytes = system.FileBytes(kLog);
    EXPECT_EQ(bytes.find(kBom), 0u);
    EXPECT_EQ(bytes.find(kBom, 1), std::string::npos);
    EXPECT_EQ(LogLines().size(), 10u);
}

// /uninstall removes for every name on every host class, the older 32-bit one included,
// and deletes the record once the model's INF is gone.
TEST_F(SilentSetup, UninstallOnWindowsXpRemovesQueueDriverInfAndRecord) {
    fake::MakeHost(system, Host::Xp32);
    system.printers = {"RT450", "VX420 (副本 2)"};
    system.drivers = {"RT450"};
    system.AddFile(kRecord, "oem3.inf");
    system.AddFile("c:\\windows\\inf\\oem3.inf", "RT450");
    EXPECT_EQ(Run({"/uninstall"}), silent::kExitSuccess);
    EXPECT_EQ(system.uninstalled, std::vector<std::string>{"oem3.inf"});
    EXPECT_FALSE(system.FileExists(kRecord));
    // The related models' names are removed too, as on the other hosts.
    const auto started = system.CallsStartingWith("CreateProcess");
    for (const char* name : {"RT450", "VX420 (副本 2)"})
        EXPECT_NE(std::find(started.begin(), started.end(),
                            std::string("CreateProcess rundll32 printui.dll,PrintUIEntry /q "
                                        "/dl /n \"") + name + "\""),
                  started.end())
            << name;
}

// /uninstall answers for every name it removes for, not only for the model's own, the
// last. Columns: the staged INF files (name and text), those whose uninstall fails, the
// exit code, and how many failures the log tells.
struct UninstallSumCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> infs;
    std::set<std::string> failing;
    int exitCode;
    std::size_t failuresLogged;
};

TEST_F(SilentSetup, UninstallAnswersForTheFailuresOfEveryName) {
    const UninstallSumCase cases[] = {
        {"the first name's INF", {{"oem4.inf", "VX410P/420"}}, {"oem4.inf"},
         silent::kExitRemovalNeedsAdministrator, 1},
        {"a middle name's INF, the model's removed",
         {{"oem4.inf", "PL 260K"}, {"oem9.inf", "RT450"}}, {"oem4.inf"},
         silent::kExitRemovalNeedsAdministrator, 1},
        {"two names' INFs", {{"oem4.inf", "VX400"}, {"oem5.inf", "RT490"}},
         {"oem4.inf", "oem5.inf"}, silent::kExitRemovalNeedsAdministrator, 2},
        {"every uninstall succeeds", {{"oem4.inf", "VX400"}, {"oem9.inf", "RT450"}}, {},
         silent::kExitSuccess, 0},
    };
    for (const UninstallSumCase& c : cases) {
        SCOPED_TRACE(c.name);
        fake::FakeSystem machine;
        fake::MakeHost(machine, Host::Win7x86);
        fake::UsePrinterSetupDouble(machine);
        machine.AddDirectory("C:\\WINDOWS\\TEMP");
        for (const auto& [inf, text] : c.infs) machine.AddFile("c:\\windows\\inf\\" + inf, text);
        machine.uninstallFails = c.failing;
        fake::FakeUnattendedSystem services(machine);
        EXPECT_EQ(silent::RunSilentSetup(machine, services, {"/uninstall"}), c.exitCode);
        const std::string log = machine.FileBytes(kLog);
        std::size_t told = 0;
        for (std::size_t at = log.find("uninstalling the staged INF file"); at != std::string::npos;
             at = log.find("uninstalling the staged INF file", at + 1))
            ++told;
        EXPECT_EQ(told, c.failuresLogged);
    }
}

// Each fault that the window program's tests inject, into the unattended run of the same
// machine (with the printer-setup double in both, and a marker of an earlier run): it
// ends with a documented code; the messages it logs are those the window program
// shows, in order, up to the step where it stopped; it reports success only where the
// window program ends with its success message; and the detection marker is there
// exactly after 0 or 20, when the machine shows what the code claims.
class SilentFaultInjection : public ::testing::TestWithParam<Host> {};

// The queue "RT450" with its driver on the port asked for.
bool HasQueueOn(const fake::FakeSystem& machine, bool parallel) {
    if (std::find(machine.printers.begin(), machine.printers.end(), "RT450") ==
        machine.printers.end())
        return false;
    const auto details = machine.printerDetails.find("RT450");
    if (details == machine.printerDetails.end() || details->second.driverName != "RT450")
        return false;
    return parallel ? details->second.portName == "LPT1:"
                    : details->second.portName.rfind("USB", 0) == 0;
}

TEST_P(SilentFaultInjection, EachFaultEndsWithTheWindowProgramsMessagesAndACode) {
    const Host host = GetParam();
    fake::ForEachInjectedFault([host](const fake::InjectedFault& fault) {
        fake::FakeSystem windowMachine;
        fake::FakeUi ui;
        fault.Arrange(windowMachine, host);
        fake::UsePrinterSetupDouble(windowMachine);
        ui.portChoice = fault.port;
        setup::InstallSequence(windowMachine, ui).OnInstall();

        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        fault.Arrange(machine, host);
        fake::UsePrinterSetupDouble(machine);
        AddEarlierMarker(services);
        machine.AddDirectory("C:\\WINDOWS\\TEMP");
        const bool parallel = fault.port == 76;
        const int code =
            silent::RunSilentSetup(machine, services, {parallel ? "/port:lpt1" : "/port:usb"});

        EXPECT_NE(std::string(silent::ExitCodeMeaning(code)), "unknown") << code;
        const bool succeeded =
            code == silent::kExitSuccess || code == silent::kExitWaitingForUsbDevice;
        // A run that stopped before its first change (a damaged package found by the
        // look) keeps the earlier marker.
        const bool unchanged =
            machine.FileBytes(kLog).find("nothing was changed") != std::string::npos;
        EXPECT_EQ(services.registry.count(kMarker) != 0, succeeded || unchanged) << code;
        if (code == silent::kExitSuccess) {
            EXPECT_TRUE(HasQueueOn(machine, parallel));
        }
        if (code == silent::kExitWaitingForUsbDevice) {
            const std::string infName = machine.FileBytes(kRecord);
            EXPECT_FALSE(infName.empty());
            EXPECT_TRUE(machine.FileExists("c:\\windows\\inf\\" + infName)) << infName;
        }

        // The unattended run waits for every command it starts, so the Nth exit code that
        // it reads is another command's than the window program's Nth.
        if (std::string(fault.method) == "GetExitCodeProcess" && fault.occurrence != -1) return;
        // On the older class the window program removes nothing, the unattended run all
        // the same: there too the Nth call of a kind is another call in each program, and
        // the removal's messages have no box to match.
        if (host == Host::Xp32 && fault.occurrence != -1) return;
        const std::vector<std::string> logged =
            LoggedMessages(machine.FileBytes(kLog), host == Host::Xp32 ? "remove " : "");
        std::vector<std::string> shown;
        for (const auto& box : ui.boxes) shown.push_back(Shown(services, box.text));
        ASSERT_LE(logged.size(), shown.size());
        EXPECT_EQ(logged, std::vector<std::string>(shown.begin(), shown.begin() + logged.size()));
        if (succeeded) {
            EXPECT_EQ(logged, shown);
        }
        if (code == silent::kExitSuccess) {
            ASSERT_FALSE(shown.empty());
            EXPECT_EQ(shown.back(), Shown(services, "打印机安装成功!"));
        }
    });
}

INSTANTIATE_TEST_SUITE_P(HostClasses, SilentFaultInjection, fake::FaultInjectionHosts(),
                         fake::FaultInjectionHostName);

// The marker of an earlier run goes first, before the run asks the spooler or changes
// anything, so a run that then fails leaves none. Only the checks of the PC and the look
// at the package come before it, and they only read: a PC that cannot take the printer,
// or a package that would not install, keeps its marker.
TEST_F(SilentSetup, TheMarkerIsRemovedBeforeAnythingElseAndStaysGoneAfterAFailure) {
    fake::MakeHost(system, Host::Win7x64);
    fake::AddWholePackage(system);
    system.copyOemInfFails = true;
    system.copyOemInfError = 5;
    AddEarlierMarker(unattended);

    EXPECT_EQ(Run({"/port:lpt1"}), silent::kExitInfStagingFailed);

    EXPECT_EQ(unattended.registry.count(kMarker), 0u);
    const auto first = std::find_if(system.calls.begin(), system.calls.end(), [](const auto& c) {
        return c.rfind("Reg", 0) == 0 || c.rfind("Enum", 0) == 0 ||
               c.rfind("Create", 0) == 0;
    });
    ASSERT_NE(first, system.calls.end());
    EXPECT_EQ(*first, "RegDeleteKey SOFTWARE\\RT450 Printer Installer");
    EXPECT_EQ(system.CallsStartingWith("RegSetValueEx"), std::vector<std::string>{});
}

// A marker that cannot be removed stops an install, and an uninstall, before either
// changes anything: the marker would otherwise tell of a printer that is not there.
TEST_F(SilentSetup, AMarkerThatCannotBeRemovedStopsTheRunUnchanged) {
    for (const char* action : {"/port:lpt1", "/uninstall"}) {
        SCOPED_TRACE(action);
        system = fake::FakeSystem();
        unattended.registry.clear();
        SetUp();
        fake::MakeHost(system, Host::Win10x64);
        fake::AddWholePackage(system);
        AddQueue(system, "LPT1:", "RT450");
        system.AddFile(kRecord, "oem3.inf");
        system.AddFile("c:\\windows\\inf\\oem3.inf", "RT450");
        AddEarlierMarker(unattended);
        unattended.regDeleteKeyError = 5;

        EXPECT_EQ(Run({action}), silent::kExitUnexpectedError);
        EXPECT_EQ(Changes(), std::vector<std::string>{});
        EXPECT_EQ(system.CallsStartingWith("EnumPrinters"), std::vector<std::string>{});
        EXPECT_EQ(unattended.registry.count(kMarker), 1u);
        const auto lines = LogLines();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
                  (std::vector<std::string>{
                      u8"marker   removing the detection marker HKLM\\SOFTWARE\\RT450 Printer "
                      u8"Installer failed: error 5 (0x00000005): Access is denied.",
                      u8"marker   nothing was changed: the marker of an earlier run stays",
                      u8"end      exit code 29: unexpected error",
                  }));
    }
}

// Every process of an unattended run is waited for within its bound; the window program
// on the same machine still starts its printer-setup commands and goes on.
TEST_F(SilentSetup, EveryProcessIsWaitedForWithinItsBound) {
    for (const bool parallel : {true, false}) {
        SCOPED_TRACE(parallel ? "LPT1:" : "USB");
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        fake::MakeLivedInMachine(machine, Host::Win10x64);
        fake::UsePrinterSetupDouble(machine);
        machine.exitCode = 1;
        ASSERT_EQ(silent::RunSilentSetup(machine, services,
                                         {parallel ? "/port:lpt1" : "/port:usb"}),
                  silent::kExitSuccess);
        ASSERT_GE(machine.processes.size(), 3u);
        for (const fake::StartedProcess& process : machine.processes) {
            SCOPED_TRACE(process.commandLine);
            EXPECT_TRUE(process.waited);
            EXPECT_TRUE(process.inJob);
            EXPECT_EQ(process.bound, process.commandLine.find("Setup64.exe") != std::string::npos
                                         ? silent::kSetup64BoundMilliseconds
                                         : silent::kPrinterSetupCommandBoundMilliseconds);
        }

        fake::SetFlags(0, 0, 0);
        fake::FakeSystem windowMachine;
        fake::MakeLivedInMachine(windowMachine, Host::Win10x64);
        ui.portChoice = parallel ? 76 : 85;
        windowMachine.exitCode = 1;
        setup::InstallSequence(windowMachine, ui).OnInstall();
        ASSERT_GE(windowMachine.processes.size(), 3u);
        for (const fake::StartedProcess& process : windowMachine.processes) {
            SCOPED_TRACE(process.commandLine);
            const bool setup64 = process.commandLine.find("Setup64.exe") != std::string::npos;
            EXPECT_EQ(process.waited, setup64);
            EXPECT_FALSE(process.inJob);
            EXPECT_EQ(process.bound, 0u);
        }
    }
    EXPECT_GE(silent::kPrinterSetupCommandBoundMilliseconds, 60u * 1000u) << "minutes, not seconds";
}

// A command that outlives its bound ends the run there: nothing more is started.
TEST_F(SilentSetup, AHungCommandEndsTheRunAndIsLogged) {
    fake::MakeHost(system, Host::Win7x86);
    fake::AddWholePackage(system);
    system.printers = {"VX420", "RT450"};
    system.processNeverEnds = [](const std::string& c) { return c.find("VX420") != c.npos; };
    AddEarlierMarker(unattended);

    EXPECT_EQ(Run({"/port:lpt1"}), silent::kExitProcessOutlivedItsBound);

    EXPECT_EQ(system.CallsStartingWith("CreateProcess"),
              std::vector<std::string>{
                  "CreateProcess rundll32 printui.dll,PrintUIEntry /q /dl /n \"VX420\""});
    EXPECT_EQ(system.CallsStartingWith("SetupCopyOEMInf"), std::vector<std::string>{});
    EXPECT_EQ(unattended.registry.count(kMarker), 0u);
    const auto lines = LogLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{
                  u8"remove   the command rundll32 printui.dll,PrintUIEntry /q /dl /n \"VX420\" "
                  u8"did not end within 300 seconds; it was ended, with every process it "
                  u8"started",
                  u8"remove   the run stops: it does not wait longer",
                  u8"end      exit code 35: a printer-setup command or Setup64.exe did not end in "
                  u8"time",
              }));
}

// A command that outlives its bound is ended before the run answers 35, with what it
// started where it ran in the run's job; a command that could not be put into the job
// (before Windows 8, in a deployment tool's job without breakaway) runs all the same.
// Columns: the job's assignment error, whether the command hangs, whether ending it
// fails, the exit code, the log lines of the command after its start.
TEST_F(SilentSetup, ACommandThatOutlivesItsBoundIsEndedAndAJoblessOneRunsAllTheSame) {
    const std::string command = "rundll32 printui.dll,PrintUIEntry /q /dl /n \"VX420\"";
    const std::string outside =
        u8"remove   the command " + command + " runs outside the run's job, so what it starts "
        u8"may outlive the run: putting it into the job failed: error 5 (0x00000005): Access "
        u8"is denied.";
    const std::string late = u8"remove   the command " + command + " did not end within 300 seconds";
    struct Case {
        const char* name;
        uint32_t jobError;
        bool hangs;
        uint32_t endError;
        int code;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"in the job, hung", 0, true, 0, silent::kExitProcessOutlivedItsBound,
         {late + "; it was ended, with every process it started"}},
        {"outside the job, hung", 5, true, 0, silent::kExitProcessOutlivedItsBound,
         {outside, late + "; it was ended, but not what it started"}},
        {"in the job, hung, cannot be ended", 0, true, 5, silent::kExitProcessOutlivedItsBound,
         {late + "; ending it failed: error 5 (0x00000005): Access is denied."}},
        {"outside the job, ends", 5, false, 0, silent::kExitSuccess,
         {outside, u8"remove   the command " + command + " ended with exit code 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        system = fake::FakeSystem();
        unattended.registry.clear();
        SetUp();
        fake::MakeHost(system, Host::Win7x86);
        fake::AddWholePackage(system);
        system.printers = {"VX420"};
        system.jobAssignError = c.jobError;
        system.endProcessError = c.endError;
        if (c.hangs)
            system.processNeverEnds = [](const std::string& l) { return l.find("VX420") != l.npos; };

        EXPECT_EQ(Run({"/port:lpt1"}), c.code);

        ASSERT_FALSE(system.processes.empty());
        const fake::StartedProcess& started = system.processes.front();
        EXPECT_EQ(started.commandLine, command);
        EXPECT_EQ(started.inJob, c.jobError == 0);
        EXPECT_EQ(started.ended, c.hangs && c.endError == 0) << "nothing of it left running";
        std::vector<std::string> lines;
        for (const auto& line : LogLines())
            if (line.find(command) != std::string::npos) lines.push_back(line);
        EXPECT_EQ(lines, c.lines);
    }
}

// What the check saw, as its log line says it: one row per case, the host, the
// arguments, the arrangement, and the line.
struct SeenCase {
    const char* name;
    Host host;
    const char* argument;
    std::function<void(fake::FakeSystem&)> arrange;
    const char* line;
};

const SeenCase kSeen[] = {
    {"queue on LPT1:", Host::Win7x86, "/port:lpt1", [](auto&) {},
     u8"check    queue \"RT450\" on LPT1: with driver \"RT450\""},
    {"no queue", Host::Win7x86, "/port:lpt1", [](auto& s) { CommandsDoNothing(s, "/if"); },
     u8"check    no queue \"RT450\" (asked for the queue \"RT450\" on LPT1: with driver "
     u8"\"RT450\")"},
    {"another port", Host::Xp32, "/port:lpt1",
     [](auto& s) {
         AddQueue(s, "USB001", "RT450");
         CommandsDoNothing(s, "/dl");
     },
     u8"check    queue \"RT450\" on USB001 with driver \"RT450\", not the queue \"RT450\" on "
     u8"LPT1: with driver \"RT450\""},
    {"another driver", Host::Xp32, "/port:lpt1",
     [](auto& s) {
         AddQueue(s, "LPT1:", "Generic / Text Only");
         CommandsDoNothing(s, "/dl");
     },
     u8"check    queue \"RT450\" on LPT1: with driver \"Generic / Text Only\", not the queue "
     u8"\"RT450\" on LPT1: with driver \"RT450\""},
    {"spooler down", Host::Win7x86, "/port:lpt1", [](auto& s) { s.spoolerDown = true; },
     u8"check    the spooler could not list its printers, so no queue \"RT450\" on LPT1: with "
     u8"driver \"RT450\" was seen"},
    {"usb queue", Host::Xp32, "/port:usb", [](auto&) {},
     u8"check    queue \"RT450\" on USB001 with driver \"RT450\""},
    {"usb waits", Host::Win7x86, "/port:usb",
     [](auto& s) { s.updateDriverError = sys::kErrorNoSuchDevinst; },
     u8"check    the staged INF file c:\\windows\\inf\\oem7.inf waits for the printer to be "
     u8"plugged in"},
    {"uninstalled", Host::Win10x64, "/uninstall", [](auto& s) { AddQueue(s, "LPT1:", "RT450"); },
     u8"check    nothing of RT450 is left"},
    {"uninstall leaves all", Host::Win10x64, "/uninstall",
     [](auto& s) {
         AddQueue(s, "LPT1:", "RT450");
         s.drivers64 = {"RT450"};
         CommandsDoNothing(s, "/d");
     },
     u8"check    left behind: queue \"RT450\" on LPT1: with driver \"RT450\"; driver \"RT450\" in "
     u8"\"Windows NT x86\"; driver \"RT450\" in \"Windows x64\""},
    {"uninstall leaves a queue on the model's driver", Host::Win7x86, "/uninstall",
     [](auto& s) {
         AddQueue(s, "LPT1:", "RT450");
         s.printers = {"Office"};
         s.printerDetails = {{"Office", {"Office", "LPT2:", "RT450"}}};
     },
     u8"check    left behind: queue \"Office\" on LPT2: with driver \"RT450\"; driver \"RT450\" "
     u8"in \"Windows NT x86\""},
    {"uninstall, spooler down", Host::Win10x64, "/uninstall", [](auto& s) { s.spoolerDown = true; },
     u8"check    left behind: the printers (not listed); the drivers in \"Windows NT x86\" (not "
     u8"listed); the drivers in \"Windows x64\" (not listed)"},
};

TEST_F(SilentSetup, TheLogSaysWhatTheCheckSaw) {
    for (const SeenCase& row : kSeen) {
        SCOPED_TRACE(row.name);
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        MakePackagedMachine(machine, row.host);
        row.arrange(machine);
        silent::RunSilentSetup(machine, services, {row.argument});
        std::string log = machine.FileBytes(kLog);
        EXPECT_NE(log.find(std::string("14:50:01.023  [4242]  ") + row.line + "\r\n"),
                  std::string::npos)
            << log;
    }
}

// The spooler makes a USB printer's queue on its own, a moment after the update: the
// check asks again for a minute; a parallel queue, made by commands waited for, is
// asked for once.
TEST_F(SilentSetup, TheCheckWaitsAMinuteForAUsbQueueOnly) {
    for (const bool parallel : {true, false}) {
        SCOPED_TRACE(parallel ? "LPT1:" : "USB");
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        MakePackagedMachine(machine, Host::Xp32);
        CommandsDoNothing(machine, "/");
        machine.onDriverUpdated = nullptr;
        const std::string port = parallel ? "/port:lpt1" : "/port:usb";
        EXPECT_EQ(silent::RunSilentSetup(machine, services, {port}), silent::kExitNotAsAsked);
        EXPECT_EQ(machine.CallsStartingWith("EnumPrinterQueues").size(), parallel ? 1u : 61u);
    }
}

// A PC that cannot take the printer: the exit code of its first finding, a log line
// for each and the window program's box texts, nothing changed, and the marker of an
// earlier run kept.
TEST_F(SilentSetup, APcThatCannotTakeThePrinterIsToldByItsCodeAndNothingChanges) {
    using M = fake::FakeSystem;
    struct Case {
        const char* name;
        Host host;
        void (*arrange)(M&);
        int code;
        std::vector<std::string> lines;  // each after "this PC cannot take the printer: "
    };
    const Case cases[] = {
        {"spooler", Host::Xp32, [](M& m) { m.StopSpooler(); }, 30,
         {"the print spooler service is not running"}},
        {"protected print", Host::Win10x64,
         [](M& m) {
             m.protectedPrintInfoError = 0;
             m.protectedPrintEnabled = true;
         },
         31, {"Windows protected print mode is on"}},
        {"ARM64", Host::Win10x64, [](M& m) { m.nativeMachine = sys::kImageFileMachineArm64; },
         32, {"an ARM64 processor, for which the package has no driver"}},
        {"not elevated", Host::Win7x86, [](M& m) { m.tokenElevated = false; }, 740,
         {"not run as administrator"}},
        {"XP ordinary account", Host::Xp32, [](M& m) { m.administratorsMember = false; }, 740,
         {"not run as administrator"}},
        {"all four", Host::Win10x64,
         [](M& m) {
             m.StopSpooler();
             m.protectedPrintInfoError = 0;
             m.protectedPrintEnabled = true;
             m.nativeMachine = sys::kImageFileMachineArm64;
             m.tokenElevated = false;
         },
         30,
         {"the print spooler service is not running", "Windows protected print mode is on",
          "an ARM64 processor, for which the package has no driver",
          "not run as administrator"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A fresh machine for each row.
        system = fake::FakeSystem();
        unattended.registry.clear();
        SetUp();
        fake::FakeSystem& machine = system;
        fake::MakeHost(machine, c.host);
        fake::AddWholePackage(machine);
        machine.printers = {"RT450"};
        machine.drivers = {"RT450"};
        machine.AddFile(kRecord, "oem3.inf");
        AddEarlierMarker(unattended);
        c.arrange(machine);

        EXPECT_EQ(Run({"/port:lpt1"}), c.code);

        EXPECT_EQ(Changes(), std::vector<std::string>{});
        EXPECT_EQ(unattended.registry.count(kMarker), 1u);
        EXPECT_EQ(machine.CallsStartingWith("EnumPrinters"), std::vector<std::string>{});
        std::vector<std::string> expected = {
            u8"start    SilentSetup.exe /port:lpt1",
            u8"start    started in C:\\pkg",
            u8"start    current directory C:\\pkg",
        };
        // A stopped spooler that starts automatically is waited for, then its stopped
        // service is asked whether it answers all the same.
        if (c.code == silent::kExitSpoolerNotRunning) {
            expected.push_back(u8"pc       the print spooler service starts automatically and "
                               u8"is not running yet: waiting for it, at most 180 seconds");
            expected.push_back(u8"pc       the print spooler did not start within 180 seconds");
            expected.push_back(u8"pc       EnumPrintersA failed: error 1722 (0x000006BA)");
        }
        fake::FakeUi window;
        fake::FakeSystem twin;
        fake::MakeHost(twin, c.host);
        c.arrange(twin);
        setup::InstallSequence(twin, window).CheckPc();
        for (const auto& box : window.boxes)
            expected.push_back(u8"pc       message \"信息提示\": " + Shown(unattended, box.text));
        for (const auto& line : c.lines)
            expected.push_back(std::string(u8"pc       this PC cannot take the printer: ") + line);
        expected.push_back(u8"pc       nothing was changed");
        expected.push_back(std::string(u8"end      exit code ") + std::to_string(c.code) + ": " +
                           silent::ExitCodeMeaning(c.code));
        // The host's lines come first, the checks right after them.
        std::vector<std::string> lines = LogLines();
        const auto firstCheck = std::find_if(lines.begin(), lines.end(), [](const auto& l) {
            return l.rfind("pc ", 0) == 0;
        });
        ASSERT_NE(firstCheck, lines.end());
        ASSERT_GE(firstCheck - lines.begin(), 4);
        EXPECT_EQ(*(firstCheck - 3), u8"host     classifying the host");
        lines.erase(firstCheck - 3, firstCheck);
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(window.boxes.size(), c.lines.size());
    }
}

// /uninstall needs the spooler and the rights, nothing else: a PC that could not take
// the printer may still have one to remove. Columns: host, what keeps the PC from the
// printer, the exit code, the log line of the refusal ("" for a removal that is done).
TEST_F(SilentSetup, TheRemovalStopsOnlyWhereItCannotBeDone) {
    using M = fake::FakeSystem;
    struct Case {
        const char* name;
        Host host;
        void (*arrange)(M&);
        int code;
        const char* refusal;
    };
    const Case cases[] = {
        {"spooler", Host::Win7x86, [](M& m) { m.StopSpooler(); }, 30,
         "the print spooler service is not running"},
        {"not elevated", Host::Win10x64, [](M& m) { m.tokenElevated = false; }, 740,
         "not run as administrator"},
        {"XP ordinary account", Host::Xp32, [](M& m) { m.administratorsMember = false; }, 740,
         "not run as administrator"},
        {"ARM64", Host::Win10x64, [](M& m) { m.nativeMachine = sys::kImageFileMachineArm64; },
         0, ""},
        {"protected print", Host::Win10x64,
         [](M& m) {
             m.protectedPrintInfoError = 0;
             m.protectedPrintEnabled = true;
         },
         0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        system = fake::FakeSystem();
        unattended.registry.clear();
        SetUp();
        fake::MakeHost(system, c.host);
        system.printers = {"RT450"};
        system.drivers = {"RT450"};
        AddEarlierMarker(unattended);
        c.arrange(system);

        EXPECT_EQ(Run({"/uninstall"}), c.code);

        const bool refused = *c.refusal != '\0';
        EXPECT_EQ(Changes().empty(), refused);
        EXPECT_EQ(unattended.registry.count(kMarker), refused ? 1u : 0u);
        const std::string log = system.FileBytes(kLog);
        EXPECT_EQ(log.find(std::string("pc       the removal cannot be done: ") + c.refusal +
                           "\r\n") != std::string::npos,
                  refused);
        EXPECT_EQ(log.find("message \"") == std::string::npos, true) << "no box for a removal";
    }
}

// A staging refused for the package's signature says what the PC needs; any other
// failed staging keeps its own code.
TEST_F(SilentSetup, AnUntrustedPackageIsToldAsSuch) {
    // Columns: the staging's error, the exit code.
    const std::pair<uint32_t, int> cases[] = {
        {0xE0000242, silent::kExitSignatureNotTrusted},
        {0xE0000247, silent::kExitSignatureNotTrusted},
        {0x80096010, silent::kExitSignatureNotTrusted},
        {0xE0000246, silent::kExitInfStagingFailed},  // the installer is not ready
        {5, silent::kExitInfStagingFailed},
    };
    for (const auto& [error, code] : cases) {
        SCOPED_TRACE(error);
        system = fake::FakeSystem();
        SetUp();
        fake::MakeHost(system, Host::Win10x64);
        fake::AddWholePackage(system);
        system.copyOemInfFails = true;
        system.copyOemInfError = error;
        EXPECT_EQ(Run({"/port:lpt1"}), code);
        const bool told = system.FileBytes(kLog).find(
                              "  the driver package's signature is not trusted on this PC: "
                              "make it trust the publisher's certificate") != std::string::npos;
        EXPECT_EQ(told, code == silent::kExitSignatureNotTrusted);
    }
}

// A check that cannot tell is logged and passed over: the install goes on. Columns: the
// machine, the log line.
TEST_F(SilentSetup, ACheckThatCannotTellIsLoggedAndTheInstallGoesOn) {
    using M = fake::FakeSystem;
    struct Case {
        const char* name;
        void (*arrange)(M&);
        const char* line;
    };
    const Case cases[] = {
        {"no spooler service", [](M& m) { m.services.clear(); },
         u8"pc       could not check the print spooler: error 1060 (0x00000424); taken as no "
         u8"obstacle"},
        {"the protected-print query fails, the policy value on",
         [](M& m) {
             m.SetRegistryDword("Software\\Policies\\Microsoft\\Windows NT\\Printers\\WPP",
                                "WindowsProtectedPrintGroupPolicyState", 1);
             m.protectedPrintInfoError = 0x80070005;
         },
         u8"pc       could not check protected print mode: error 2147942405 (0x80070005); "
         u8"taken as no obstacle"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        system = fake::FakeSystem();
        unattended.registry.clear();
        SetUp();
        fake::MakeHost(system, Host::Win10x64);
        fake::AddWholePackage(system);
        c.arrange(system);

        EXPECT_EQ(Run({"/port:lpt1"}), silent::kExitSuccess);

        const auto lines = LogLines();
        const auto told = std::find(lines.begin(), lines.end(), c.line);
        const auto marker =
            std::find(lines.begin(), lines.end(), u8"marker   removing the detection marker");
        ASSERT_NE(told, lines.end());
        EXPECT_LT(told, marker) << "the checks come before the first change";
    }
}

// The protected-print policy's value reaches every PC of an organisation; where Windows
// has no such mode (before Windows 11 24H2), or has it off, the run installs.
TEST_F(SilentSetup, TheProtectedPrintPolicyValueAloneStopsNoRun) {
    // Columns: host, whether the mode's run-time class answers (and says off).
    const std::pair<Host, bool> cases[] = {
        {Host::Xp32, false}, {Host::Win7x64, false}, {Host::Win10x64, false}, {Host::Win10x64, true}};
    for (const auto& [host, platformAnswers] : cases) {
        SCOPED_TRACE(static_cast<int>(host));
        system = fake::FakeSystem();
        unattended.registry.clear();
        SetUp();
        fake::MakeHost(system, host);
        fake::AddWholePackage(system);
        system.SetRegistryDword("Software\\Policies\\Microsoft\\Windows NT\\Printers\\WPP",
                                "WindowsProtectedPrintGroupPolicyState", 1);
        if (platformAnswers) system.protectedPrintInfoError = 0;

        EXPECT_EQ(Run({"/port:lpt1"}), silent::kExitSuccess);
        EXPECT_EQ(system.FileBytes(kLog).find("protected print"), std::string::npos);
    }
}

// A startup script may run before the spooler, set to start automatically, is up: the
// unattended run waits for it, within its bound, before it answers 30. A spooler that
// nobody is going to start is 30 at once, one that runs or answers (Wine's) is not waited
// for. Columns: the machine, the exit code, the polls (each a second's sleep), whether
// the start type is asked, the log lines of the wait.
TEST_F(SilentSetup, ASpoolerThatStartsAutomaticallyIsWaitedForWithinItsBound) {
    using M = fake::FakeSystem;
    using U = fake::FakeUnattendedSystem;
    struct Case {
        const char* name;
        void (*arrange)(M&, U&);
        int code;
        std::size_t polls;
        bool startTypeAsked;
        std::vector<std::string> lines;
    };
    const std::string waiting =
        u8"pc       the print spooler service starts automatically and is not running yet: "
        u8"waiting for it, at most 180 seconds";
    const Case cases[] = {
        {"automatic, up after 40 seconds", [](M& m, U&) { m.StartSpoolerAfter(40 * 1000); },
         silent::kExitSuccess, 40, true,
         {waiting, u8"pc       the print spooler runs after 40 seconds"}},
        {"automatic, stopped, up after 3 seconds",
         [](M& m, U&) {
             m.StartSpoolerAfter(3 * 1000);
             m.services["Spooler"] = sys::kServiceStopped;
         },
         silent::kExitSuccess, 3, true,
         {waiting, u8"pc       the print spooler runs after 3 seconds"}},
        {"automatic, never up", [](M& m, U&) { m.StopSpooler(); }, silent::kExitSpoolerNotRunning,
         180, true, {waiting, u8"pc       the print spooler did not start within 180 seconds"}},
        {"manual, stopped",
         [](M& m, U&) {
             m.StopSpooler();
             m.serviceStartTypes["Spooler"] = fake::kServiceDemandStart;
         },
         silent::kExitSpoolerNotRunning, 0, true, {}},
        {"disabled",
         [](M& m, U&) {
             m.StopSpooler();
             m.serviceStartTypes["Spooler"] = fake::kServiceDisabled;
         },
         silent::kExitSpoolerNotRunning, 0, true, {}},
        {"the start type cannot be asked",
         [](M& m, U& u) {
             m.StopSpooler();
             u.queryServiceConfigError = 5;
         },
         silent::kExitSpoolerNotRunning, 0, true,
         {u8"pc       not waiting for the print spooler: how its service starts could not be "
          u8"learnt: error 5 (0x00000005): Access is denied."}},
        {"running", [](M&, U&) {}, silent::kExitSuccess, 0, false, {}},
        {"service stopped, the spooler answers (Wine)",
         [](M& m, U&) { m.services["Spooler"] = sys::kServiceStopped; }, silent::kExitSuccess, 0,
         false, {}},
        {"the service cannot be asked", [](M& m, U&) { m.services.clear(); }, silent::kExitSuccess,
         0, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        system = fake::FakeSystem();
        unattended.registry.clear();
        SetUp();
        fake::MakeHost(system, Host::Win7x86);
        fake::AddWholePackage(system);
        c.arrange(system, unattended);

        EXPECT_EQ(Run({"/port:lpt1"}), c.code);

        // The polls come before the checks' first call beyond the spooler's.
        const auto checksGoOn =
            std::find(system.calls.begin(), system.calls.end(), "IsProtectedPrintEnabled");
        EXPECT_EQ(static_cast<std::size_t>(std::count(system.calls.begin(), checksGoOn,
                                                      std::string("Sleep 1000"))),
                  c.polls);
        EXPECT_EQ(system.CallsStartingWith("QueryServiceConfig").size(), c.startTypeAsked ? 1u : 0u);
        std::vector<std::string> waitLines;
        for (const auto& line : LogLines())
            if (line.find("waiting") != std::string::npos ||
                line.find("print spooler runs") != std::string::npos ||
                line.find("did not start") != std::string::npos)
                waitLines.push_back(line);
        EXPECT_EQ(waitLines, c.lines);
    }
}

// The removal waits for such a spooler too: it needs the spooler as much.
TEST_F(SilentSetup, TheRemovalWaitsForASpoolerThatStartsAutomatically) {
    fake::MakeHost(system, Host::Win10x64);
    system.printers = {"RT450"};
    system.StartSpoolerAfter(5 * 1000);

    EXPECT_EQ(Run({"/uninstall"}), silent::kExitSuccess);

    const auto lines = LogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        u8"pc       the print spooler runs after 5 seconds"),
              lines.end());
    EXPECT_TRUE(system.printers.empty());
}

}  // namespace

namespace {

using Holder = fake::FakeSystem::RunLockHolder;

// The run lock against the command line. Columns: who holds the lock (or the error that
// keeps it from being had), the arguments, the exit code, and whether the run writes its
// log. A run that finds the lock held writes none: the log at the usual name is the
// running one's, which stays as that run left it.
// Windows Installer takes every exit code but 0 for a failure: with /msi the success 20
// is answered 0, and only that one. Columns: name, arguments, arrangement, the exit
// code, the log's last lines.
struct WindowsInstallerCase {
    const char* name;
    std::vector<std::string> args;
    void (*arrange)(fake::FakeSystem&);
    int exitCode;
    std::vector<std::string> lastLines;
};

const WindowsInstallerCase kWindowsInstallerCases[] = {
    {"staged for USB", {"/port:usb", "/msi"},
     [](fake::FakeSystem& s) { s.updateDriverError = sys::kErrorNoSuchDevinst; },
     silent::kExitSuccess,
     {u8"end      exit code 20: driver staged; the printer installs when its USB cable is "
      u8"plugged in",
      u8"end      answered 0 to Windows Installer, which counts every other code as a "
      u8"failure"}},
    {"staged for USB, by hand", {"/port:usb"},
     [](fake::FakeSystem& s) { s.updateDriverError = sys::kErrorNoSuchDevinst; },
     silent::kExitWaitingForUsbDevice,
     {u8"marker   wrote the detection marker HKLM\\SOFTWARE\\RT450 Printer Installer: "
      u8"Version " + std::string(silent::kMarkerVersion) + ", Port USB",
      u8"end      exit code 20: driver staged; the printer installs when its USB cable is "
      u8"plugged in"}},
    {"installed on LPT1:", {"/msi", "/port:lpt1"}, [](fake::FakeSystem&) {},
     silent::kExitSuccess, {u8"end      exit code 0: success"}},
    {"damaged package", {"/port:lpt1", "/msi"},
     [](fake::FakeSystem& s) { s.RemoveFile(".\\i386w7\\UNIDRV.HLP"); },
     silent::kExitDamagedPackage,
     {u8"end      exit code 21: damaged package: a file of the package folder is missing"}},
    {"another run holds the lock", {"/port:lpt1", "/msi"},
     [](fake::FakeSystem& s) {
         s.runLockHolder = fake::FakeSystem::RunLockHolder::AnotherRun;
     },
     silent::kExitAnotherInstallRunning, {}},
    {"uninstall", {"/uninstall", "/msi"}, [](fake::FakeSystem&) {}, silent::kExitSuccess,
     {u8"end      exit code 0: success"}},
};

TEST_F(SilentSetup, ForWindowsInstallerOnlyTwentyIsAnsweredZero) {
    for (const WindowsInstallerCase& row : kWindowsInstallerCases) {
        SCOPED_TRACE(row.name);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        MakePackagedMachine(machine, Host::Win7x86);
        row.arrange(machine);

        EXPECT_EQ(silent::RunSilentSetup(machine, services, row.args), row.exitCode);

        std::vector<std::string> lines;
        const std::string bytes = machine.FileBytes(kLog);
        for (std::size_t at = bytes.find("  [4242]  "); at != std::string::npos;
             at = bytes.find("  [4242]  ", at + 1))
            lines.push_back(bytes.substr(at + 10, bytes.find("\r\n", at) - at - 10));
        const std::size_t kept = std::min(lines.size(), row.lastLines.size());
        EXPECT_EQ(std::vector<std::string>(lines.end() - kept, lines.end()), row.lastLines);
    }
}

struct LockCase {
    const char* name;
    Holder holder;
    uint32_t lockError;
    std::vector<std::string> args;
    int exitCode;
    bool writesLog;
};

const LockCase kLockCases[] = {
    {"install during another run", Holder::AnotherRun, 0, {"/port:lpt1"},
     silent::kExitAnotherInstallRunning, false},
    {"uninstall during another account's run", Holder::AnotherAccount, 0, {"/uninstall"},
     silent::kExitAnotherInstallRunning, false},
    {"usage during another run", Holder::AnotherRun, 0, {"/?"}, silent::kExitSuccess, false},
    {"bad argument during another run", Holder::AnotherRun, 0, {"/x"},
     silent::kExitInvalidCommandLine, false},
    {"lock not to be had", Holder::Nobody, 5, {"/port:lpt1"}, silent::kExitSuccess, true},
    {"lock taken", Holder::Nobody, 0, {"/port:lpt1"}, silent::kExitSuccess, true},
};

TEST_F(SilentSetup, TheRunLockDecidesWhetherTheRunGoesOn) {
    const std::string firstRunsLog = kBom + "the running one's lines\r\n";
    for (const LockCase& row : kLockCases) {
        SCOPED_TRACE(row.name);
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        MakePackagedMachine(machine, Host::Win7x86);
        machine.AddFile(kLog, firstRunsLog);
        machine.runLockHolder = row.holder;
        machine.runLockError = row.lockError;

        EXPECT_EQ(silent::RunSilentSetup(machine, services, row.args), row.exitCode);

        EXPECT_EQ(machine.FileBytes(kLog) != firstRunsLog, row.writesLog);
        EXPECT_FALSE(machine.FileExists("C:\\WINDOWS\\TEMP\\RT450-4242.log"));
        const bool installed = !machine.CallsStartingWith("SetupCopyOEMInf").empty();
        EXPECT_EQ(installed, row.exitCode == silent::kExitSuccess && row.args[0] != "/?");
        if (row.holder != Holder::Nobody) {
            // Nothing was asked of the machine past the lock.
            EXPECT_EQ(machine.calls.back(), "TakeRunLock");
        }
        const bool goesOnWithoutLock =
            machine.FileBytes(kLog).find(
                u8"the run lock could not be had (error 5: Access is denied.); the run goes "
                u8"on without it") != std::string::npos;
        EXPECT_EQ(goesOnWithoutLock, row.lockError != 0);
    }
    fake::SetFlags(0, 0, 0);
}

// Started from elsewhere (a remote shell, a scheduled task), the run works in the
// program's own folder; a relative /log still means the folder it was started in.
TEST_F(SilentSetup, StartedElsewhereItInstallsFromItsOwnFolder) {
    fake::MakeHost(system, Host::Win7x86);
    fake::AddWholePackage(system);
    system.AddDirectory("C:\\Users\\admin");
    system.currentDirectory = "C:\\Users\\admin";

    EXPECT_EQ(Run({"/port:lpt1", "/log:setup.log"}), silent::kExitSuccess);

    EXPECT_EQ(system.currentDirectory, "C:\\pkg");
    const std::vector<std::string> lines = LogLines("C:\\Users\\admin\\setup.log");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 3),
              (std::vector<std::string>{u8"start    started in C:\\Users\\admin",
                                        u8"start    current directory C:\\pkg"}));
    // The directory changes before the lock; the log's first line and the run's first
    // question come after it.
    const auto& calls = system.calls;
    const auto at = [&](const std::string& call) {
        return std::find(calls.begin(), calls.end(), call) - calls.begin();
    };
    EXPECT_LT(at("SetCurrentDirectory C:\\pkg"), at("TakeRunLock"));
    EXPECT_LT(at("TakeRunLock"), at("OpenLog C:\\Users\\admin\\setup.log"));
    EXPECT_LT(at("TakeRunLock"), at("GetProcAddress kernel32 IsWow64Process"));
    EXPECT_LT(at("GetProcAddress kernel32 IsWow64Process"), static_cast<long>(calls.size()));
}

// A program folder that cannot be made the current directory is logged; the package's
// files are then not where the run looks, and it says so.
TEST_F(SilentSetup, AProgramFolderThatCannotBeEnteredIsLogged) {
    fake::MakeHost(system, Host::Win7x86);
    fake::AddWholePackage(system);
    system.AddDirectory("C:\\Users\\admin");
    system.currentDirectory = "C:\\Users\\admin";
    unattended.missingDirectories = {"C:\\pkg"};

    EXPECT_EQ(Run({"/port:lpt1"}), silent::kExitDamagedPackage);
    const std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], u8"start    the current directory could not be set to the program "
                        u8"folder \"C:\\pkg\": error 3: The system cannot find the path "
                        u8"specified.");
}

// Every log, the default one and one that /log: names, is opened once, judged on that
// handle and written through it alone. What another account may have put at its name (a
// symbolic link or junction, a hard link to a file of its own, a file it owns, a folder)
// is never written through: at the default name the run takes a name of its own, with
// its process id, and says why; at a name that /log: gave the run changes nothing and
// ends with 38, and the default log says why.
namespace planted {

// The run stops before anything changes.
constexpr int kRefused = silent::kExitLogRefused;
const char* const kGiven = "C:\\WINDOWS\\TEMP\\RT450-install.log";
const char* const kFresh = "C:\\WINDOWS\\TEMP\\RT450-77.log";
const char* const kVictim = "C:\\Users\\victim\\notes.txt";
const char* const kVictimBytes = "the victim's notes\r\n";

using Plant = void (*)(fake::FakeSystem&, fake::FakeUnattendedSystem&, const char* path);
void Nothing(fake::FakeSystem&, fake::FakeUnattendedSystem&, const char*) {}
void SymbolicLink(fake::FakeSystem& m, fake::FakeUnattendedSystem&, const char* path) {
    m.AddLink(path, kVictim);
}
void HardLink(fake::FakeSystem& m, fake::FakeUnattendedSystem&, const char* path) {
    m.AddHardLink(path, kVictim);
}
void OthersFile(fake::FakeSystem& m, fake::FakeUnattendedSystem&, const char* path) {
    m.AddFile(path, kVictimBytes);
    m.SetOwner(path, "victim");
}
void Folder(fake::FakeSystem& m, fake::FakeUnattendedSystem&, const char* path) {
    m.AddDirectory(path);
}
void Unopenable(fake::FakeSystem&, fake::FakeUnattendedSystem& u, const char* path) {
    u.unwritable.insert(path);
}
void EarlierLog(fake::FakeSystem& m, fake::FakeUnattendedSystem&, const char* path) {
    m.AddFile(path, "\xEF\xBB\xBF" "an earlier run's lines\r\n");
}

// Columns: what the case shows, the /log: path (null: none), what is at that path, what
// is at RT450.log, what is at RT450-77.log, the exit code, where the lines go ("" for
// nowhere), and the notes that the log's first lines carry after the command line.
struct Case {
    const char* what;
    const char* given;
    Plant atGiven;
    Plant atUsual;
    Plant atFresh;
    int exitCode;
    const char* logPath;
    std::vector<std::string> notes;
};

const std::string kRefusedTail =
    "; /log: must name a file that only this account, the Administrators or SYSTEM can "
    "have made";
const std::string kUsualNotWritten = std::string("the log was not written to ") + kLog + ": ";
const std::string kGivenNotWritten = std::string("the log was not written to ") + kGiven + ": ";

const Case kCases[] = {
    {"default: nothing there", nullptr, Nothing, Nothing, Nothing, 0, kLog, {}},
    {"default: a symbolic link", nullptr, Nothing, SymbolicLink, Nothing, 0, kFresh,
     {kUsualNotWritten + "a link"}},
    {"default: a hard link", nullptr, Nothing, HardLink, Nothing, 0, kFresh,
     {kUsualNotWritten + "a file with another name"}},
    {"default: another account's file", nullptr, Nothing, OthersFile, Nothing, 0, kFresh,
     {kUsualNotWritten + "a file of another account"}},
    {"default: a folder", nullptr, Nothing, Folder, Nothing, 0, kFresh,
     {kUsualNotWritten + "not a file"}},
    {"default: cannot be opened", nullptr, Nothing, Unopenable, Nothing, 0, kFresh,
     {kUsualNotWritten + "a file that cannot be opened"}},
    {"default: both names taken", nullptr, Nothing, SymbolicLink, OthersFile, 0, "", {}},
    {"given: nothing there", kGiven, Nothing, Nothing, Nothing, 0, kGiven, {}},
    {"given: an earlier run's log", kGiven, EarlierLog, Nothing, Nothing, 0, kGiven, {}},
    {"given: a symbolic link", kGiven, SymbolicLink, Nothing, Nothing, kRefused, kLog,
     {kGivenNotWritten + "a link" + kRefusedTail}},
    {"given: a hard link", kGiven, HardLink, Nothing, Nothing, kRefused, kLog,
     {kGivenNotWritten + "a file with another name" + kRefusedTail}},
    {"given: another account's file", kGiven, OthersFile, Nothing, Nothing, kRefused, kLog,
     {kGivenNotWritten + "a file of another account" + kRefusedTail}},
    {"given: a folder", kGiven, Folder, Nothing, Nothing, kRefused, kLog,
     {kGivenNotWritten + "not a file" + kRefusedTail}},
    // Nothing can be written there, so nothing is written through: the run goes on
    // without a log, as with any log that cannot be written.
    {"given: cannot be opened", kGiven, Unopenable, Nothing, Nothing, 0, "", {}},
    {"given and default: hard links", kGiven, HardLink, HardLink, Nothing, kRefused, kFresh,
     {kUsualNotWritten + "a file with another name",
      kGivenNotWritten + "a file with another name" + kRefusedTail}},
};

}  // namespace planted

TEST_F(SilentSetup, NoLogIsWrittenThroughWhatAnotherAccountPlanted) {
    for (const planted::Case& row : planted::kCases) {
        SCOPED_TRACE(row.what);
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        MakePackagedMachine(machine, Host::Win7x86);
        // An earlier install: a refused run leaves it as it was.
        AddEarlierInstall(machine);
        machine.AddFile(planted::kVictim, planted::kVictimBytes);
        machine.SetOwner(planted::kVictim, "victim");
        services.processId = 77;
        if (row.given != nullptr) row.atGiven(machine, services, row.given);
        row.atUsual(machine, services, kLog);
        row.atFresh(machine, services, planted::kFresh);
        std::vector<std::string> args = {"/port:lpt1"};
        if (row.given != nullptr) args.push_back(std::string("/log:") + row.given);

        EXPECT_EQ(silent::RunSilentSetup(machine, services, args), row.exitCode);

        EXPECT_EQ(machine.FileBytes(planted::kVictim), planted::kVictimBytes);
        for (const char* path : {row.given, kLog, planted::kFresh}) {
            if (path == nullptr || std::string(path) == row.logPath) continue;
            const auto file = machine.OpenFileObject(path);
            const bool untouched = file == nullptr || file->bytes.empty() ||
                                   file->bytes.find("exit code") == std::string::npos;
            EXPECT_TRUE(untouched) << path;
        }
        if (row.exitCode == silent::kExitLogRefused) ExpectEarlierInstallKept(machine);
        if (*row.logPath == '\0') continue;
        const std::string bytes = machine.FileBytes(row.logPath);
        EXPECT_NE(bytes.find("  [77]  end      exit code " + std::to_string(row.exitCode) + ": "),
                  std::string::npos);
        std::vector<std::string> notes;
        std::istringstream lines(bytes);
        for (std::string line; std::getline(lines, line);) {
            const std::size_t at = line.find("  start    the log was not written to ");
            if (at != std::string::npos) notes.push_back(line.substr(at + 11, line.size() - at - 12));
        }
        EXPECT_EQ(notes, row.notes);
    }
    fake::SetFlags(0, 0, 0);
}

// The name of the log that another account turns into a hard link to a file of its own
// while the run writes (on Windows the run's open keeps it from being deleted or moved,
// but not every folder lets the run hold it so): the lines still go to the file opened,
// and none reaches the other one.
TEST_F(SilentSetup, TheLogIsWrittenThroughTheFileItOpenedWhateverBecomesOfItsName) {
    fake::MakeHost(system, Host::Win7x86);
    fake::AddWholePackage(system);
    const char* const victim = "C:\\Users\\victim\\notes.txt";
    system.AddFile(victim, "the victim's notes\r\n");
    std::shared_ptr<fake::FakeSystem::File> opened;
    const auto commands = system.onProcessStart;
    system.onProcessStart = [&](const std::string& commandLine) {
        if (opened == nullptr) {
            opened = system.OpenFileObject(kLog);
            system.RemoveFile(kLog);
            system.AddHardLink(kLog, victim);
        }
        commands(commandLine);
    };

    EXPECT_EQ(Run({"/port:lpt1"}), silent::kExitSuccess);

    EXPECT_EQ(system.FileBytes(victim), "the victim's notes\r\n");
    ASSERT_NE(opened, nullptr);
    EXPECT_NE(opened->bytes.find("  end      exit code 0: success\r\n"), std::string::npos);
}

// A log of this account's at the usual name is appended to, by a later run too, each
// line with the process id of the run that wrote it.
TEST_F(SilentSetup, EachLineCarriesTheProcessIdOfItsRun) {
    EXPECT_EQ(Run({"/bad"}), silent::kExitInvalidCommandLine);
    unattended.processId = 9;
    EXPECT_EQ(Run({"/bad"}), silent::kExitInvalidCommandLine);
    std::istringstream in(system.FileBytes(kLog).substr(kBom.size()));
    std::vector<std::string> ids;
    for (std::string line; std::getline(in, line);)
        ids.push_back(line.substr(25, line.find(']') + 1 - 25));
    EXPECT_EQ(ids, (std::vector<std::string>{"[4242]", "[4242]", "[4242]", "[4242]", "[4242]",
                                             "[9]", "[9]", "[9]", "[9]", "[9]"}));
}

}  // namespace

namespace {

// /uninstall looks for the model's staged INF files among every oem*.inf of the
// system's own INF folder, wherever Windows lives, and uninstalls each in one run: the
// recorded one first, then the others by number. Columns: the Windows folder, the staged
// INF files of that folder (name and text), the recorded name ("" for no record file),
// the uninstalls in order, the exit code, and where it differs from the Windows folder,
// the one that GetWindowsDirectory answers in a Remote Desktop session.
struct StagedInfCase {
    const char* name;
    const char* windowsDirectory;
    std::vector<std::pair<std::string, std::string>> infs;
    const char* recorded;
    std::vector<std::string> uninstalled;
    int exitCode;
    const char* sessionWindowsDirectory = "";
};

// More than a hundred staged INF files, none of the model's.
std::vector<std::pair<std::string, std::string>> OthersUpTo(int last) {
    std::vector<std::pair<std::string, std::string>> infs;
    for (int number = 0; number <= last; ++number)
        infs.push_back({"oem" + std::to_string(number) + ".inf", "[Strings]\nModel=\"Office\"\n"});
    return infs;
}

std::vector<std::pair<std::string, std::string>> With(
    std::vector<std::pair<std::string, std::string>> infs, const std::string& name,
    const std::string& text) {
    infs.push_back({name, text});
    return infs;
}

const StagedInfCase kStagedInfs[] = {
    {"oem150.inf among 150 others", "C:\\WINDOWS", With(OthersUpTo(149), "oem150.inf", "RT450"),
     "", {"oem150.inf"}, silent::kExitSuccess},
    {"Windows on D:", "D:\\WINDOWS", {{"oem150.inf", "RT450"}, {"oem4.inf", "Office"}}, "",
     {"oem150.inf"}, silent::kExitSuccess},
    {"two of the model's, the recorded one first", "C:\\WINDOWS",
     {{"oem5.inf", "RT450"}, {"oem30.inf", "RT450"}, {"oem12.inf", "Office"}}, "oem30.inf",
     {"oem30.inf", "oem5.inf"}, silent::kExitSuccess},
    {"a recorded name in another case", "C:\\WINDOWS", {{"oem30.inf", "RT450"}}, "OEM30.INF",
     {"OEM30.INF"}, silent::kExitSuccess},
    {"a Remote Desktop session's own Windows folder", "C:\\WINDOWS", {{"oem150.inf", "RT450"}},
     "", {"oem150.inf"}, silent::kExitSuccess, "C:\\Users\\admin\\WINDOWS"},
    {"a record that names another package's INF by now", "C:\\WINDOWS",
     {{"oem30.inf", "[Strings]\nModel=\"Office\"\n"}, {"oem5.inf", "RT450"}}, "oem30.inf",
     {"oem5.inf"}, silent::kExitSuccess},
    {"names that only look staged", "C:\\WINDOWS",
     {{"oemx.inf", "RT450"}, {"oem1.inf.bak", "RT450"}, {"oem.inf", "RT450"}}, "", {},
     silent::kExitSuccess},
};

TEST(SilentUninstall, RemovesEveryStagedInfOfTheModelInOneRun) {
    for (const StagedInfCase& row : kStagedInfs) {
        SCOPED_TRACE(row.name);
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        fake::MakeHost(machine, Host::Win7x86);
        fake::UsePrinterSetupDouble(machine);
        machine.windowsDirectory = row.windowsDirectory;
        machine.sessionWindowsDirectory = row.sessionWindowsDirectory;
        machine.AddDirectory("C:\\WINDOWS\\TEMP");
        const std::string infDirectory = std::string(row.windowsDirectory) + "\\inf\\";
        for (const auto& [name, text] : row.infs) machine.AddFile(infDirectory + name, text);
        if (*row.recorded != '\0') machine.AddFile(kRecord, row.recorded);

        EXPECT_EQ(silent::RunSilentSetup(machine, services, {"/uninstall"}), row.exitCode);

        EXPECT_EQ(machine.uninstalled, row.uninstalled);
        // Each uninstalled one is gone, every other stays.
        for (const auto& [name, text] : row.infs) {
            const bool uninstalled = std::any_of(
                row.uninstalled.begin(), row.uninstalled.end(),
                [&](const std::string& gone) { return machine.Key(gone) == machine.Key(name); });
            EXPECT_NE(machine.FileExists(infDirectory + name), uninstalled) << name;
        }
        EXPECT_FALSE(machine.FileExists(kRecord));
    }
    fake::SetFlags(0, 0, 0);
}

// What the check after /uninstall sees of the staged INF files: every oem*.inf of the
// system's INF folder whose text names the model, that folder found from the Windows
// folder; a folder that cannot be searched counts as one that may hold some. Columns:
// the Windows folder, the files (path and text), the call that fails ("" for none), the
// log's text, and the Windows folder of a Remote Desktop session where it differs.
struct LeftInfCase {
    const char* name;
    const char* windowsDirectory;
    std::vector<std::pair<std::string, std::string>> files;
    const char* failing;
    const char* what;
    const char* sessionWindowsDirectory = "";
};

const LeftInfCase kLeftInfs[] = {
    {"oem150.inf", "C:\\WINDOWS", {{"C:\\WINDOWS\\inf\\oem150.inf", "RT450"}}, "",
     "left behind: the staged INF file C:\\WINDOWS\\inf\\oem150.inf"},
    {"Windows on D:", "D:\\WINDOWS",
     {{"D:\\WINDOWS\\inf\\oem7.inf", "RT450"}, {"c:\\windows\\inf\\oem8.inf", "RT450"}}, "",
     "left behind: the staged INF file D:\\WINDOWS\\inf\\oem7.inf"},
    {"Windows at a drive's root", "E:\\", {{"E:\\inf\\oem2.inf", "RT450"}}, "",
     "left behind: the staged INF file E:\\inf\\oem2.inf"},
    {"another model's", "C:\\WINDOWS", {{"C:\\WINDOWS\\inf\\oem150.inf", "Office"}}, "",
     "nothing of RT450 is left"},
    {"the INF folder cannot be searched", "C:\\WINDOWS", {}, "FindFirstFile",
     "left behind: the staged INF files (not listed)"},
    {"a Remote Desktop session", "C:\\WINDOWS", {{"C:\\WINDOWS\\inf\\oem150.inf", "RT450"}}, "",
     "left behind: the staged INF file C:\\WINDOWS\\inf\\oem150.inf", "C:\\Users\\admin\\WINDOWS"},
    {"the Windows folder is not told", "C:\\WINDOWS", {}, "GetSystemWindowsDirectory",
     "left behind: the staged INF files (not listed)"},
};

TEST(SilentUninstall, TheCheckSeesEveryStagedInfOfTheSystemsInfFolder) {
    for (const LeftInfCase& row : kLeftInfs) {
        SCOPED_TRACE(row.name);
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        machine.windowsDirectory = row.windowsDirectory;
        machine.sessionWindowsDirectory = row.sessionWindowsDirectory;
        machine.AddDirectory(std::string(row.windowsDirectory) + "\\inf");
        for (const auto& [path, text] : row.files) machine.AddFile(path, text);
        machine.failMethod = row.failing;

        const silent::Seen seen = silent::SeeNothingLeft(machine);

        EXPECT_EQ(seen.what, row.what);
        EXPECT_EQ(seen.asClaimed, std::string(row.what) == "nothing of RT450 is left");
    }
}

// A failed call whose code the system has no text for: the lookup of the text fails
// with an error of its own, and the logic still reads the code of the call that failed.
TEST(LoggingSystem, AFailureWithoutSystemTextKeepsItsCode) {
    fake::FakeSystem system;
    fake::FakeUnattendedSystem unattended(system);
    system.AddDirectory("C:\\logs");
    silent::InstallLog log(system, unattended);
    log.Open("C:\\logs\\rt450.log");
    silent::LoggingSystem logged(system, log);
    system.failMethod = "DeleteFile";

    EXPECT_FALSE(logged.DeleteFile("C:\\pkg\\old.dll"));

    EXPECT_EQ(logged.GetLastError(), fake::FakeSystem::kInjectedError);
    EXPECT_NE(system.FileBytes("C:\\logs\\rt450.log")
                  .find("deleting C:\\pkg\\old.dll failed: error 1117 (0x0000045D)\r\n"),
              std::string::npos);
}

}  // namespace

namespace {

// An earlier (or later) version's driver "RT450" is never taken for this package's. The
// unattended run removes earlier installations on every host class, the older 32-bit one
// included, and installs this package's driver; where a driver of another version stays
// all the same (its deletion did nothing), the run ends with 37 and writes no marker.
// Columns: the host, the port argument, the version of the driver that an earlier
// installation left (with its queue on LPT1:), the printer-setup commands that do
// nothing, the exit code, the version of the driver afterwards.
struct EarlierVersionCase {
    const char* name;
    Host host;
    const char* port;
    uint64_t earlier;
    const char* idle;  // "" for none
    int exitCode;
    uint64_t after;
};

constexpr uint64_t kOlder = 0x0001000000000000;  // 1.0.0.0
constexpr uint64_t kNewer = 0x0002000400000008;  // 2.4.0.8
constexpr uint64_t kThis = fake::kPackageDriverVersion;

const EarlierVersionCase kEarlierVersions[] = {
    {"older class, removed first", Host::Xp32, "/port:lpt1", kOlder, "", silent::kExitSuccess,
     kThis},
    {"older class, it stays", Host::Xp32, "/port:lpt1", kOlder, "/d",
     silent::kExitOtherDriverVersion, kOlder},
    {"Vista, it stays", Host::Vista32, "/port:lpt1", kOlder, "/d",
     silent::kExitOtherDriverVersion, kOlder},
    {"Windows 7, removed first", Host::Win7x86, "/port:lpt1", kOlder, "", silent::kExitSuccess,
     kThis},
    {"Windows 7, it stays", Host::Win7x86, "/port:lpt1", kOlder, "/d",
     silent::kExitOtherDriverVersion, kOlder},
    {"Windows 7, a later version stays", Host::Win7x86, "/port:lpt1", kNewer, "/d",
     silent::kExitOtherDriverVersion, kNewer},
    {"Windows 7, USB waits, it stays", Host::Win7x86, "/port:usb", kOlder, "/d",
     silent::kExitOtherDriverVersion, kOlder},
    {"64-bit, removed first", Host::Win10x64, "/port:lpt1", kOlder, "", silent::kExitSuccess,
     kThis},
    {"64-bit, it stays", Host::Win10x64, "/port:lpt1", kOlder, "/", silent::kExitOtherDriverVersion,
     kOlder},
    {"older class, this version stays", Host::Xp32, "/port:lpt1", kThis, "/d",
     silent::kExitSuccess, kThis},
    // A driver for which the spooler keeps no version (one added without an INF; every
    // driver of Wine's spooler) is taken by its name.
    {"older class, no version kept", Host::Xp32, "/port:lpt1", 0, "/d", silent::kExitSuccess, 0},
};

TEST(SilentInstall, AnotherVersionsDriverIsNeverTakenForThisOne) {
    for (const EarlierVersionCase& row : kEarlierVersions) {
        SCOPED_TRACE(row.name);
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        MakePackagedMachine(machine, row.host);
        const bool x64 = row.host == Host::Win10x64;
        AddQueue(machine, "LPT1:", "RT450");
        if (x64) {
            machine.drivers.clear();
            machine.drivers64 = {"RT450"};
        }
        (x64 ? machine.driverVersions64 : machine.driverVersions)["RT450"] = row.earlier;
        if (*row.idle != '\0') CommandsDoNothing(machine, row.idle);
        if (std::string(row.port) == "/port:usb") machine.updateDriverError = sys::kErrorNoSuchDevinst;

        EXPECT_EQ(silent::RunSilentSetup(machine, services, {row.port}), row.exitCode);

        EXPECT_EQ((x64 ? machine.driverVersions64 : machine.driverVersions)["RT450"], row.after);
        EXPECT_EQ(services.registry.count(kMarker) != 0, row.exitCode == silent::kExitSuccess);
        if (row.exitCode != silent::kExitOtherDriverVersion) continue;
        const std::string log = machine.FileBytes(kLog);
        const char* environment = x64 ? "Windows x64" : "Windows NT x86";
        const std::string seen = std::string("check    the driver \"RT450\" in \"") + environment +
                                 "\" is version " + package::DriverVersionText(row.earlier) +
                                 ", not this package's 2.4.0.7\r\n";
        EXPECT_NE(log.find(seen), std::string::npos) << log;
        EXPECT_NE(log.find("check    a driver of another version stays in place: remove it "
                           "(SilentSetup.exe /uninstall), then install again\r\n"),
                  std::string::npos);
    }
    fake::SetFlags(0, 0, 0);
}

// The version in the INF's DriverVer line, as the spooler packs it. Columns: the INF's
// text, whether a version is read, the version.
TEST(PackageDriverVer, ReadsTheVersionAfterTheDate) {
    const std::tuple<const char*, bool, uint64_t> cases[] = {
        {"[Version]\r\nDriverVer=12/01/2026,5.6.7.8\r\n", true, 0x0005000600070008},
        {"[Version]\r\n  driverver = 12/01/2026 , 2.3.40000.65535\r\n", true,
         0x00020003'9C40FFFF},
        {"DriverVer=12/01/2026,3.1\n", true, 0x0003000100000000},
        {"; DriverVer=12/01/2026,9.9.9.9\r\nDriverVer=12/01/2026,1.2.3.4\r\n", true,
         0x0001000200030004},
        {"DriverVer=12/01/2026\r\n", false, 0},
        {"DriverVer=12/01/2026,1.0.0.65536\r\n", false, 0},
        {"DriverVer=12/01/2026,5.6.7.8.9\r\n", false, 0},
        {"DriverVer=12/01/2026,1..0\r\n", false, 0},
        {"[Version]\r\nProvider=x\r\n", false, 0},
    };
    for (const auto& [text, read, version] : cases) {
        SCOPED_TRACE(text);
        fake::FakeSystem machine;
        machine.AddFile("C:\\pkg\\x.inf", text);
        uint64_t got = 0;
        EXPECT_EQ(package::ReadDriverVer(machine, "C:\\pkg\\x.inf", got), read);
        if (read) {
            EXPECT_EQ(got, version);
        }
    }
    EXPECT_EQ(package::DriverVersionText(0x0002000300049C40), "2.3.4.40000");
}

}  // namespace
