// Whole runs of the unattended installer on the fake machine: the exit code of each
// outcome, that a run stops at the step that failed, and the log a person reads
// afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "silent/ExitCodes.h"
#include "setup/InstallSequence.h"
#include "silent/SilentSetup.h"
#include "tests/unit/FakeUnattendedSystem.h"
#include "tests/unit/LivedInMachine.h"

namespace {

using fake::Host;

const char* const kLog = "C:\\WINDOWS\\TEMP\\RT450.log";
const char* const kRecord = "c:\\windows\\inf\\RT450.txt";
const std::string kBom = "\xEF\xBB\xBF";

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
    }

    int Run(std::vector<std::string> args) {
        return silent::RunSilentSetup(system, unattended, args);
    }

    // The log's lines without the time and the byte-order mark, each "<step> <text>"
    // with the step's padding, in UTF-8.
    std::vector<std::string> LogLines(const std::string& path = kLog) {
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
            EXPECT_EQ(line.compare(0, 25, "2026-12-10 14:50:01.023  "), 0) << line;
            lines.push_back(line.substr(25));
            at = end + 2;
        }
        return lines;
    }

    std::vector<std::string> Changes() {
        std::vector<std::string> changes;
        for (const auto& call : system.calls)
            for (const char* verb : {"CopyFile", "DeleteFile", "WriteFile", "CreateDirectory",
                                     "CreateProcess", "SetupCopyOEMInf", "SetupUninstallOEMInf",
                                     "UpdateDriverForPlugAndPlayDevices"})
                if (call.rfind(verb, 0) == 0) changes.push_back(call);
        return changes;
    }
};

// Exact logs: a person reading one sees every step, command and message.
TEST_F(SilentSetup, LogOfAParallelInstallOnWindowsXp) {
    fake::MakeHost(system, Host::Xp32);
    fake::AddWholePackage(system);
    system.messageTexts[2] = "系统找不到指定的文件。\r\n";

    EXPECT_EQ(Run({"/port:lpt1"}), silent::kExitSuccess);

    std::vector<std::string> expected = {
        u8"start    SilentSetup.exe /port:lpt1",
        u8"start    current directory C:\\pkg",
        u8"host     classifying the host",
        u8"host     Windows version 5.1, product type 1",
        u8"host     32-bit Windows before Windows 7, package folder i386",
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
        u8"install  started the command rundll32 printui.dll,PrintUIEntry /q ",
        u8"install  started the command rundll32 printui.dll,PrintUIEntry /if /b \"RT450\" \t"
        u8"   /f \".\\i386\\ZORQ80-Series.INF\" /r \"LPT1:\"  /m \"RT450\" /q ",
        u8"install  message \"信息提示\": 打印机安装成功!",
        u8"end      exit code 0: success",
    };
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(SilentSetup, LogOfADamagedPackageStopsAtTheCheck) {
    fake::MakeHost(system, Host::Win7x86);
    fake::AddWholePackage(system);
    system.RemoveFile(".\\i386w7\\UNIDRV.HLP");
    system.AddDirectory("C:\\logs");

    EXPECT_EQ(Run({"/port:lpt1", "/log:C:\\logs\\rt450.log"}), silent::kExitDamagedPackage);

    EXPECT_EQ(LogLines("C:\\logs\\rt450.log"),
              (std::vector<std::string>{
                  u8"start    SilentSetup.exe /port:lpt1 /log:C:\\logs\\rt450.log",
                  u8"start    current directory C:\\pkg",
                  u8"host     classifying the host",
                  u8"host     Windows version 6.1, product type 1",
                  u8"host     32-bit Windows 7 or later, package folder i386w7",
                  u8"remove   removing what earlier installations left",
                  u8"verify   checking the package folder",
                  u8"verify   message \"安装文件受损：找不到文件\": .\\i386w7\\UNIDRV.HLP",
                  u8"verify   a file of the package folder is missing",
                  u8"end      exit code 21: damaged package: a file of the package folder is "
                  u8"missing",
              }));
    // It stopped there: nothing staged, no INF, no command.
    EXPECT_EQ(Changes(), std::vector<std::string>{});
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
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()),
              (std::vector<std::string>{
                  u8"remove   started the command rundll32 printui.dll,PrintUIEntry /q /dd /m "
                  u8"\"RT450\"",
                  u8"remove   uninstalling the staged INF file oem12.inf failed: error 5 "
                  u8"(0x00000005): 拒绝访问。",
                  u8"remove   message \"setup\": 请尝试以\"管理员身份\"运行安装程序以获得更多支持!",
                  u8"remove   a staged INF file of RT450 could not be uninstalled",
                  u8"end      exit code 28: removal incomplete: run as administrator",
              }));
}

// One row per outcome: how the machine is arranged, the arguments, the exit code, and
// the last message that the log shows ("" for none after the arguments).
struct OutcomeCase {
    const char* name;
    Host host;
    std::vector<std::string> args;
    std::function<void(fake::FakeSystem&, fake::FakeUnattendedSystem&)> arrange;
    int exitCode;
    const char* lastMessage;
};

bool Starts(const std::string& commandLine, const char* text) {
    return commandLine.find(text) != std::string::npos;
}

const OutcomeCase kOutcomes[] = {
    {"parallel", Host::Win7x86, {"/port:lpt1"}, [](auto&, auto&) {}, silent::kExitSuccess,
     "打印机安装成功!"},
    {"usb", Host::Xp32, {}, [](auto&, auto&) {}, silent::kExitSuccess, "打印机安装成功!"},
    {"usb, no device, Windows 7", Host::Win7x86, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = sys::kErrorNoSuchDevinst; },
     silent::kExitWaitingForUsbDevice,
     "请接入USB线(已经接好则重开打印机)，\n系统会自动安装打印机！"},
    {"usb, no device, XP", Host::Xp32, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = sys::kErrorNoSuchDevinst; },
     silent::kExitNoUsbDevice, "请检查打印机USB连线是否连接"},
    {"usb, update fails", Host::Win8x86, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = sys::kErrorNoMoreItems; },
     silent::kExitUsbUpdateFailed, "请接入USB线(已经接好则重开打印机)，\n系统会自动安装打印机！"},
    {"Setup64 installs", Host::Win10x64, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = sys::kErrorInWow64; s.exitCode = 1; },
     silent::kExitSuccess, "打印机安装成功!"},
    {"Setup64 finds no device", Host::Win7x64, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = sys::kErrorInWow64; s.exitCode = 10; },
     silent::kExitWaitingForUsbDevice,
     "请接入USB线(已经接好则重开打印机)，\n系统会自动安装打印机！"},
    {"Setup64 fails", Host::Win10x64, {"/port:usb"},
     [](auto& s, auto&) { s.updateDriverError = sys::kErrorInWow64; s.exitCode = 2; },
     silent::kExitSetup64Failed, "打印机安装失败，取消安装!"},
    {"Setup64 does not start", Host::Win10x64, {"/port:usb"},
     [](auto& s, auto&) {
         s.updateDriverError = sys::kErrorInWow64;
         s.processStartFails = [](const std::string& c) { return Starts(c, "Setup64"); };
     },
     silent::kExitCommandNotStarted, "创建安装进程失败，取消安装！"},
    {"printer command does not start", Host::Xp32, {"/port:lpt1"},
     [](auto& s, auto&) {
         s.processStartFails = [](const std::string& c) { return Starts(c, "/if"); };
     },
     silent::kExitCommandNotStarted, "创建安装进程失败，取消安装！"},
    {"driver command does not start", Host::Win10x64, {"/port:lpt1"},
     [](auto& s, auto&) {
         s.processStartFails = [](const std::string& c) { return Starts(c, "/ia"); };
     },
     silent::kExitCommandNotStarted, "创建安装进程失败，取消安装！"},
    {"INF not staged", Host::Win7x64, {"/port:lpt1"},
     [](auto& s, auto&) { s.copyOemInfFails = true; }, silent::kExitInfStagingFailed,
     "打印机安装失败，取消安装!"},
    {"copy fails", Host::Xp32, {"/port:lpt1"},
     [](auto& s, auto&) { s.failCopyTo = {"C:\\WINDOWS\\Driver Cache\\i386\\UNIDRV.DLL"}; },
     silent::kExitStagingFailed, "Access is denied."},
    {"package file missing", Host::Win10x64, {"/port:lpt1"},
     [](auto& s, auto&) { s.RemoveFile(".\\amd64\\STDNAMES.GPD"); },
     silent::kExitDamagedPackage, ".\\amd64\\STDNAMES.GPD"},
    {"deletion command does not start", Host::Win7x86, {"/port:lpt1"},
     [](auto& s, auto&) {
         s.printers = {"RT450"};
         s.processStartFails = [](const std::string& c) { return Starts(c, "/dl"); };
     },
     silent::kExitCommandNotStarted, "创建安装进程失败，取消安装！"},
    {"a step throws", Host::Win7x86, {"/port:lpt1"},
     [](auto& s, auto&) {
         s.failMethod = "SetupCopyOEMInf";
         s.failThrows = std::make_exception_ptr(std::bad_alloc());
     },
     silent::kExitUnexpectedError, "安装出现意外错误，取消安装！"},
    {"another run", Host::Win7x86, {"/port:lpt1"},
     [](auto&, auto& u) { u.heldMutexes = {silent::kRunMutexName}; },
     silent::kExitAnotherInstallRunning, ""},
    {"another user's run", Host::Win7x86, {"/uninstall"},
     [](auto&, auto& u) { u.deniedMutexes = {silent::kRunMutexName}; },
     silent::kExitAnotherInstallRunning, ""},
    {"setup.exe open", Host::Win7x86, {"/port:lpt1"},
     [](auto&, auto& u) { u.windows = {"#32770|打印机驱动安装程序"}; },
     silent::kExitAnotherInstallRunning, ""},
    {"unknown argument", Host::Win7x86, {"/port:lpt1", "/silent"}, [](auto&, auto&) {},
     silent::kExitInvalidCommandLine, ""},
    {"missing value", Host::Win7x86, {"/log:"}, [](auto&, auto&) {},
     silent::kExitInvalidCommandLine, ""},
    {"usage", Host::Win7x86, {"/?"}, [](auto&, auto&) {}, silent::kExitSuccess, ""},
    {"uninstall", Host::Win7x86, {"/uninstall"},
     [](auto& s, auto&) {
         s.AddFile("c:\\windows\\inf\\RT450.txt", "oem3.inf");
         s.AddFile("c:\\windows\\inf\\oem3.inf", "RT450");
     },
     silent::kExitSuccess, ""},
    {"uninstall, deletion does not start", Host::Win10x64, {"/uninstall"},
     [](auto& s, auto&) {
         s.drivers = {"RT450"};
         s.processStartFails = [](const std::string& c) { return Starts(c, "/dd"); };
     },
     silent::kExitCommandNotStarted, "创建安装进程失败，取消安装！"},
    {"uninstall, record not deletable", Host::Win7x86, {"/uninstall"},
     [](auto& s, auto&) {
         s.AddFile("c:\\windows\\inf\\RT450.txt", "oem3.inf");
         s.inUse = {"c:\\windows\\inf\\RT450.txt"};
     },
     silent::kExitRemovalNeedsAdministrator, ""},
};

// The texts of the log's message lines, in UTF-8 as the log has them.
std::vector<std::string> LoggedMessages(const std::string& logBytes) {
    std::vector<std::string> messages;
    std::istringstream in(logBytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t at = line.find(u8"  message \"");
        if (at == std::string::npos) continue;
        messages.push_back(line.substr(line.find("\": ", at) + 3));
    }
    return messages;
}

// A message as its log line shows it: one line, without the system's closing line end.
std::string Shown(fake::FakeUnattendedSystem& unattended, std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::string shown;
    for (char c : unattended.CodePage936ToUtf8(text))
        shown += c == '\n' ? std::string("\\n") : std::string(1, c);
    return shown;
}

TEST_F(SilentSetup, ExitCodeAndLastMessageOfEachOutcome) {
    for (const OutcomeCase& row : kOutcomes) {
        SCOPED_TRACE(row.name);
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        fake::MakeHost(machine, row.host);
        fake::AddWholePackage(machine);
        machine.AddDirectory("C:\\WINDOWS\\TEMP");
        machine.AddDirectory("C:\\WINDOWS\\Driver Cache\\i386");
        machine.messageTexts[5] = "Access is denied.\r\n";
        row.arrange(machine, services);

        EXPECT_EQ(silent::RunSilentSetup(machine, services, row.args), row.exitCode);

        // The log ends with the code and its meaning, after the last message.
        std::string bytes = machine.FileBytes(kLog);
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

// The arguments are checked before anything else: a wrong one, a second run or the open
// window program change nothing on the machine but the log.
TEST_F(SilentSetup, RefusedRunsChangeNothing) {
    fake::MakeHost(system, Host::Win10x64);
    fake::AddWholePackage(system);
    system.printers = {"RT450"};
    system.drivers = {"RT450"};
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"/port:lpt1", "/port:usb"}, {"/uninstall", "/port:usb"}, {"/log"}, {"/x"}}) {
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(Run(args), silent::kExitInvalidCommandLine);
    }
    unattended.windows = {"#32770|打印机驱动安装程序"};
    EXPECT_EQ(Run({"/uninstall"}), silent::kExitAnotherInstallRunning);
    unattended.windows.clear();
    unattended.heldMutexes = {silent::kRunMutexName};
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
    EXPECT_EQ(system.CallsStartingWith("CreateProcess").size(), 4u);
}

// A second run appends to the log of the first; the mark stays at the file's start only.
TEST_F(SilentSetup, TheLogIsAppendedToWithOneByteOrderMark) {
    EXPECT_EQ(Run({"/bad"}), silent::kExitInvalidCommandLine);
    EXPECT_EQ(Run({"/bad"}), silent::kExitInvalidCommandLine);
    const std::string bytes = system.FileBytes(kLog);
    EXPECT_EQ(bytes.find(kBom), 0u);
    EXPECT_EQ(bytes.find(kBom, 1), std::string::npos);
    EXPECT_EQ(LogLines().size(), 8u);
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

// Each fault that the window program's tests inject, into the unattended run of the same
// machine: it ends with a documented code; the messages it logs are those the window
// program shows, in order, up to the step where it stopped; and it reports success only
// where the window program ends with its success message.
class SilentFaultInjection : public ::testing::TestWithParam<Host> {};

TEST_P(SilentFaultInjection, EachFaultEndsWithTheWindowProgramsMessagesAndACode) {
    const Host host = GetParam();
    fake::ForEachInjectedFault([host](const fake::InjectedFault& fault) {
        fake::FakeSystem windowMachine;
        fake::FakeUi ui;
        fault.Arrange(windowMachine, host);
        ui.portChoice = fault.port;
        setup::InstallSequence(windowMachine, ui).OnInstall();

        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUnattendedSystem services(machine);
        fault.Arrange(machine, host);
        machine.AddDirectory("C:\\WINDOWS\\TEMP");
        const int code = silent::RunSilentSetup(
            machine, services, {fault.port == 76 ? "/port:lpt1" : "/port:usb"});

        EXPECT_NE(std::string(silent::ExitCodeMeaning(code)), "unknown") << code;
        const std::vector<std::string> logged = LoggedMessages(machine.FileBytes(kLog));
        std::vector<std::string> shown;
        for (const auto& box : ui.boxes) shown.push_back(Shown(services, box.text));
        ASSERT_LE(logged.size(), shown.size());
        EXPECT_EQ(logged, std::vector<std::string>(shown.begin(), shown.begin() + logged.size()));
        if (code == silent::kExitSuccess || code == silent::kExitWaitingForUsbDevice) {
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

}  // namespace
