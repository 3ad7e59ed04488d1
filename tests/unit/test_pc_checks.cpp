// The checks of the PC before an install run changes anything: what each finds, the
// calls each makes, and the window program's run that a finding stops before the
// removal, on every host class.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/PcChecks.h"
#include "setup/InstallSequence.h"
#include "tests/unit/HostFixture.h"

namespace {

using fake::Host;
using host::PcCheck;

const std::string kPolicyKey = "Software\\Policies\\Microsoft\\Windows NT\\Printers\\WPP";
const std::string kPolicyValue = "WindowsProtectedPrintGroupPolicyState";

const std::string kSpoolerText =
    "打印后台处理程序服务未运行，无法安装打印机。\n"
    "请在“服务”中启动“Print Spooler”服务，然后重新运行本程序。";
const std::string kProtectedPrintText =
    "此电脑已启用 Windows 受保护的打印模式，该模式不允许安装第三方打印机驱动程序。\n"
    "请联系系统管理员。";
const std::string kProcessorText =
    "此电脑的处理器需要本安装包未提供的驱动程序，无法在此电脑上安装打印机。";
const std::string kAdministratorText =
    "安装打印机需要管理员权限。\n请右键单击本程序，选择“以管理员身份运行”。";

const Host kAllHosts[] = {Host::Xp32,    Host::Vista32, Host::Win7x86,
                          Host::Win8x86, Host::Win7x64, Host::Win10x64};

bool IsXp(Host host) { return host == Host::Xp32; }
bool IsWindows10(Host host) { return host == Host::Win8x86 || host == Host::Win10x64; }
// Protected print mode comes with Windows 11 24H2, which has no 32-bit edition.
bool CanHaveProtectedPrintMode(Host host) { return host == Host::Win10x64; }

// The value that the policy "Configure Windows protected print" writes on every PC it
// reaches, whatever its Windows.
void SetProtectedPrintPolicy(fake::FakeSystem& machine) {
    machine.SetRegistryDword(kPolicyKey, kPolicyValue, 1);
}

// What keeps a machine from the printer, as a test sets it up.
struct Obstacles {
    bool spooler = false;
    bool protectedPrint = false;  // the platform's protected print mode is on
    bool arm64 = false;
    bool notAdministrator = false;
};

void Arrange(fake::FakeSystem& machine, Host host, const Obstacles& obstacles) {
    fake::MakeHost(machine, host);
    if (obstacles.spooler) machine.StopSpooler();
    if (obstacles.protectedPrint) {
        machine.protectedPrintInfoError = 0;
        machine.protectedPrintEnabled = true;
    }
    if (obstacles.arm64) machine.nativeMachine = sys::kImageFileMachineArm64;
    if (obstacles.notAdministrator) {
        machine.tokenElevated = false;
        machine.administratorsMember = false;
    }
}

// The calls of the checks on a host with these obstacles, in order.
std::vector<std::string> CheckCalls(Host host, const Obstacles& obstacles) {
    std::vector<std::string> calls = {"QueryServiceStatus Spooler"};
    if (obstacles.spooler) calls.push_back("EnumPrinterQueues");
    calls.push_back("IsProtectedPrintEnabled");
    calls.push_back("GetProcAddress kernel32 IsWow64Process2");
    if (IsWindows10(host)) calls.push_back("IsWow64Process2");
    calls.push_back("GetTokenInformation TokenElevation");
    if (IsXp(host)) calls.push_back("CheckTokenMembership Administrators");
    return calls;
}

// The calls of an install run before its checks, made on a twin of the machine: the run
// lock, then the classification of the host.
std::vector<std::string> RunStartCalls(Host host) {
    fake::FakeSystem twin;
    fake::FakeUi twinUi;
    fake::MakeHost(twin, host);
    twin.TakeRunLock();
    host::ClassifyHost(twin, twinUi);
    fake::SetFlags(0, 0, 0);
    return twin.calls;
}

class PcChecks : public fake::HostTest {};

// A finding stops the window program's run right after the checks: the calls are the
// classification's and the checks', then one box per finding and one quit, and nothing
// of the removal or a later step.
TEST_F(PcChecks, EachFindingAloneAndTogetherStopsTheRunBeforeTheRemoval) {
    struct Case {
        const char* name;
        Obstacles obstacles;
        std::vector<std::string> texts;
    };
    // obstacles set up, texts of the boxes in order
    const Case cases[] = {
        {"spooler", {true, false, false, false}, {kSpoolerText}},
        {"protected print", {false, true, false, false}, {kProtectedPrintText}},
        {"not administrator", {false, false, false, true}, {kAdministratorText}},
        {"spooler and not administrator", {true, false, false, true},
         {kSpoolerText, kAdministratorText}},
        {"all that a host of the class can show", {true, true, false, true},
         {kSpoolerText, kProtectedPrintText, kAdministratorText}},
    };
    for (const Host host : kAllHosts) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " on host " + std::to_string(static_cast<int>(host)));
            Obstacles obstacles = c.obstacles;
            std::vector<std::string> texts = c.texts;
            if (obstacles.protectedPrint && !CanHaveProtectedPrintMode(host)) {
                obstacles.protectedPrint = false;
                texts.erase(std::remove(texts.begin(), texts.end(), kProtectedPrintText),
                            texts.end());
                if (texts.empty()) continue;
            }
            fake::SetFlags(0, 0, 0);
            fake::FakeSystem machine;
            fake::FakeUi window;
            fake::AddWholePackage(machine);
            machine.printers = {"RT450"};
            machine.drivers = {"RT450"};
            Arrange(machine, host, obstacles);
            window.timeline = &machine.calls;

            setup::InstallSequence(machine, window).OnInstall();

            std::vector<std::string> expected = RunStartCalls(host);
            for (const auto& call : CheckCalls(host, obstacles)) expected.push_back(call);
            for (const auto& text : texts) expected.push_back("box " + text);
            expected.push_back("quit");
            EXPECT_EQ(machine.calls, expected);
            EXPECT_EQ(window.Texts(), texts);
            for (const auto& box : window.boxes) {
                EXPECT_EQ(box.caption, "信息提示");
                EXPECT_EQ(box.type, 0x40u);
                EXPECT_FALSE(box.afx);
                EXPECT_FALSE(box.closedByQuit);
            }
            EXPECT_EQ(window.quitsPosted, 1);
            EXPECT_EQ(window.portDialogRuns, 0);
        }
    }
}

// ARM64 Windows runs the 32-bit program under WOW64, so it is always a 64-bit host,
// and it has IsWow64Process2.
TEST_F(PcChecks, AnArm64PcIsToldAloneAndWithTheOthers) {
    struct Case {
        Obstacles obstacles;
        std::vector<std::string> texts;
    };
    // obstacles set up, texts of the boxes in order
    const Case cases[] = {
        {{false, false, true, false}, {kProcessorText}},
        {{true, true, true, true},
         {kSpoolerText, kProtectedPrintText, kProcessorText, kAdministratorText}},
    };
    for (const Case& c : cases) {
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUi window;
        fake::AddWholePackage(machine);
        Arrange(machine, Host::Win10x64, c.obstacles);
        window.timeline = &machine.calls;

        setup::InstallSequence(machine, window).OnInstall();

        std::vector<std::string> expected = RunStartCalls(Host::Win10x64);
        for (const auto& call : CheckCalls(Host::Win10x64, c.obstacles)) expected.push_back(call);
        for (const auto& text : c.texts) expected.push_back("box " + text);
        expected.push_back("quit");
        EXPECT_EQ(machine.calls, expected);
    }
}

// A PC that can take the printer: the checks' calls alone come between the
// classification and the removal, and the run is the run it always was.
TEST_F(PcChecks, APcThatCanTakeThePrinterOnlyGetsTheChecksCalls) {
    for (const Host host : kAllHosts) {
        SCOPED_TRACE(static_cast<int>(host));
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUi window;
        fake::AddWholePackage(machine);
        machine.AddDirectory("C:\\WINDOWS\\Driver Cache\\i386");
        fake::MakeHost(machine, host);
        window.portChoice = 76;

        setup::InstallSequence(machine, window).OnInstall();

        const std::vector<std::string> classification = RunStartCalls(host);
        const std::vector<std::string> checks = CheckCalls(host, {});
        ASSERT_GT(machine.calls.size(), classification.size() + checks.size());
        EXPECT_EQ(std::vector<std::string>(machine.calls.begin(),
                                           machine.calls.begin() + classification.size()),
                  classification);
        EXPECT_EQ(std::vector<std::string>(
                      machine.calls.begin() + classification.size(),
                      machine.calls.begin() + classification.size() + checks.size()),
                  checks);
        EXPECT_EQ(window.Texts(), std::vector<std::string>{"打印机安装成功!"});
        EXPECT_EQ(window.quitsPosted, 1);
    }
}

// An organisation sets the protected-print policy on every PC: those whose Windows has no
// such mode, or has it off, take the printer as always, with no box.
TEST_F(PcChecks, TheProtectedPrintPolicyValueAloneStopsNoRun) {
    struct Case {
        Host host;
        bool platformAnswers;  // the mode's run-time class is registered, and says off
    };
    // host, whether the platform answers
    const Case cases[] = {{Host::Xp32, false},    {Host::Vista32, false}, {Host::Win7x86, false},
                          {Host::Win8x86, false}, {Host::Win7x64, false}, {Host::Win10x64, false},
                          {Host::Win10x64, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.host)) +
                     (c.platformAnswers ? " platform says off" : ""));
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        fake::FakeUi window;
        fake::AddWholePackage(machine);
        machine.AddDirectory("C:\\WINDOWS\\Driver Cache\\i386");
        fake::MakeHost(machine, c.host);
        SetProtectedPrintPolicy(machine);
        if (c.platformAnswers) machine.protectedPrintInfoError = 0;
        window.portChoice = 76;

        setup::InstallSequence(machine, window).OnInstall();

        EXPECT_EQ(window.Texts(), std::vector<std::string>{"打印机安装成功!"});
        EXPECT_FALSE(machine.CallsStartingWith("CreateProcess").empty());
    }
}

// Each check alone, by what the machine answers: a finding, nothing, or a check that
// could not tell (never a finding).
TEST_F(PcChecks, WhatEachCheckFindsByTheMachinesAnswer) {
    struct Case {
        const char* name;
        Host host;
        void (*arrange)(fake::FakeSystem&);
        std::vector<PcCheck> findings;
        std::vector<PcCheck> failed;
        std::vector<uint32_t> errors;
    };
    using M = fake::FakeSystem;
    // machine, findings, checks that could not tell and their errors
    const Case cases[] = {
        {"spooler running", Host::Win10x64, [](M&) {}, {}, {}, {}},
        {"spooler stopped", Host::Win10x64, [](M& m) { m.StopSpooler(); },
         {PcCheck::Spooler}, {}, {}},
        {"spooler stopping", Host::Win7x86,
         [](M& m) { m.StopSpooler(); m.services["Spooler"] = sys::kServiceStopPending; },
         {PcCheck::Spooler}, {}, {}},
        {"spooler service stopped, yet the spooler answers (Wine)", Host::Win10x64,
         [](M& m) { m.services["Spooler"] = sys::kServiceStopped; }, {}, {}, {}},
        {"spooler starting", Host::Xp32,
         [](M& m) { m.StopSpooler(); m.services["Spooler"] = sys::kServiceStartPending; },
         {}, {}, {}},
        {"no spooler service", Host::Win7x64, [](M& m) { m.services.clear(); }, {},
         {PcCheck::Spooler}, {sys::kErrorServiceDoesNotExist}},
        // The policy's value is written on every PC that the policy reaches; only the
        // platform knows whether the mode is on.
        {"policy value on, Windows 10 without the mode's class", Host::Win10x64,
         SetProtectedPrintPolicy, {}, {}, {}},
        {"policy value on, Windows 7 without run-time classes", Host::Win7x64,
         SetProtectedPrintPolicy, {}, {}, {}},
        {"policy value on, XP", Host::Xp32, SetProtectedPrintPolicy, {}, {}, {}},
        {"protected print on by the platform's answer", Host::Win10x64,
         [](M& m) { m.protectedPrintInfoError = 0; m.protectedPrintEnabled = true; },
         {PcCheck::ProtectedPrint}, {}, {}},
        {"protected print off by the platform's answer", Host::Win10x64,
         [](M& m) { m.protectedPrintInfoError = 0; }, {}, {}, {}},
        {"platform says off, policy value on", Host::Win10x64,
         [](M& m) { SetProtectedPrintPolicy(m); m.protectedPrintInfoError = 0; }, {}, {}, {}},
        {"the platform's query fails, policy value on", Host::Win10x64,
         [](M& m) { SetProtectedPrintPolicy(m); m.protectedPrintInfoError = 0x80070005; }, {},
         {PcCheck::ProtectedPrint}, {0x80070005}},
        {"ARM64", Host::Win10x64, [](M& m) { m.nativeMachine = sys::kImageFileMachineArm64; },
         {PcCheck::Processor}, {}, {}},
        {"x64", Host::Win10x64, [](M& m) { m.nativeMachine = sys::kImageFileMachineAmd64; },
         {}, {}, {}},
        {"elevated", Host::Win7x64, [](M&) {}, {}, {}, {}},
        {"not elevated, though a member (filtered token)", Host::Win7x64,
         [](M& m) { m.tokenElevated = false; }, {PcCheck::Administrator}, {}, {}},
        {"XP administrator", Host::Xp32, [](M& m) { m.tokenElevated = false; }, {}, {}, {}},
        {"XP ordinary account", Host::Xp32, [](M& m) { m.administratorsMember = false; },
         {PcCheck::Administrator}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake::FakeSystem machine;
        fake::MakeHost(machine, c.host);
        c.arrange(machine);
        const host::PcCheckReport report = host::CheckPc(machine);
        EXPECT_EQ(report.findings, c.findings);
        std::vector<PcCheck> failed;
        std::vector<uint32_t> errors;
        for (const auto& failure : report.failures) {
            failed.push_back(failure.check);
            errors.push_back(failure.error);
        }
        EXPECT_EQ(failed, c.failed);
        EXPECT_EQ(errors, c.errors);
    }
}

// Windows before 10 lacks IsWow64Process2, before 8 the run-time classes, XP the token's
// elevation: each missing call finds nothing and is no failure, and the next check runs.
TEST_F(PcChecks, CallsThatOlderWindowsLacksFindNothing) {
    struct Case {
        Host host;
        std::vector<std::string> calls;
    };
    // host, the checks' calls
    const Case cases[] = {
        {Host::Xp32,
         {"QueryServiceStatus Spooler", "IsProtectedPrintEnabled",
          "GetProcAddress kernel32 IsWow64Process2", "GetTokenInformation TokenElevation",
          "CheckTokenMembership Administrators"}},
        {Host::Win7x86,
         {"QueryServiceStatus Spooler", "IsProtectedPrintEnabled",
          "GetProcAddress kernel32 IsWow64Process2", "GetTokenInformation TokenElevation"}},
        {Host::Win8x86,
         {"QueryServiceStatus Spooler", "IsProtectedPrintEnabled",
          "GetProcAddress kernel32 IsWow64Process2", "IsWow64Process2",
          "GetTokenInformation TokenElevation"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.host));
        fake::FakeSystem machine;
        fake::MakeHost(machine, c.host);
        const host::PcCheckReport report = host::CheckPc(machine);
        EXPECT_TRUE(report.findings.empty());
        EXPECT_TRUE(report.failures.empty());
        EXPECT_EQ(machine.calls, c.calls);
    }
}

// A check call that fails is no finding: the window program's run goes on to the
// removal and installs.
TEST_F(PcChecks, AFailingCheckCallLetsTheRunGoOn) {
    struct Case {
        const char* method;
        Host host;
        PcCheck check;
    };
    // the failing call, host, the check that could not tell
    const Case cases[] = {
        {"QueryServiceStatus", Host::Win10x64, PcCheck::Spooler},
        {"IsProtectedPrintEnabled", Host::Win10x64, PcCheck::ProtectedPrint},
        {"IsWow64Process2", Host::Win10x64, PcCheck::Processor},
        {"GetTokenInformationTokenElevation", Host::Win7x86, PcCheck::Administrator},
        {"CheckTokenMembershipAdministrators", Host::Xp32, PcCheck::Administrator},
    };
    // A packaged machine of the host with the call failing, and a window that answers
    // the port dialog with LPT1:.
    const auto arrange = [](const Case& c, fake::FakeSystem& machine, fake::FakeUi& window) {
        fake::SetFlags(0, 0, 0);
        fake::AddWholePackage(machine);
        machine.AddDirectory("C:\\WINDOWS\\Driver Cache\\i386");
        fake::MakeHost(machine, c.host);
        machine.failMethod = c.method;
        window.portChoice = 76;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        fake::FakeSystem machine;
        fake::FakeUi window;
        arrange(c, machine, window);

        setup::InstallSequence sequence(machine, window);
        sequence.ClassifyHost();
        host::PcCheckReport report;
        EXPECT_EQ(sequence.CheckPc(&report), 1);
        EXPECT_TRUE(report.findings.empty());
        ASSERT_EQ(report.failures.size(), 1u);
        EXPECT_EQ(report.failures[0].check, c.check);
        EXPECT_EQ(report.failures[0].error, fake::FakeSystem::kInjectedError);
        EXPECT_TRUE(window.boxes.empty());

        fake::FakeSystem again;
        fake::FakeUi againWindow;
        arrange(c, again, againWindow);
        setup::InstallSequence(again, againWindow).OnInstall();
        EXPECT_EQ(againWindow.Texts(), std::vector<std::string>{"打印机安装成功!"});
    }
}

}  // namespace
