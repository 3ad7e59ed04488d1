// What a run tells its window while it works, and that a click can start only one run:
// the install handler entered again from a message box's or the port dialog's loop, or
// called again after its run, does nothing.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "setup/InstallSequence.h"
#include "tests/unit/HostFixture.h"

namespace {

using fake::Host;
using fake::HostTest;
using sys::RunStep;

struct Report {
    RunStep step;
    int done;
    int total;
    bool operator==(const Report& other) const {
        return step == other.step && done == other.done && total == other.total;
    }
};

// A window that keeps the progress it is shown, in the order of its other events, and
// that can run something of the test's own whenever one of its modal loops would run
// (a message box or the port dialog), as a dispatched click would.
class ProgressUi : public fake::FakeUi {
public:
    std::vector<Report> reports;
    std::function<void()> insideModalLoop;

    void ShowProgress(RunStep step, int done, int total) override {
        reports.push_back({step, done, total});
        events.push_back("progress");
    }
    int MessageBox(const std::string& text, const std::string& caption,
                   uint32_t type) override {
        Enter();
        return FakeUi::MessageBox(text, caption, type);
    }
    int AfxMessageBox(const std::string& text, uint32_t type) override {
        Enter();
        return FakeUi::AfxMessageBox(text, type);
    }
    int RunPortDialog() override {
        Enter();
        return FakeUi::RunPortDialog();
    }

private:
    void Enter() {
        if (insideModalLoop) insideModalLoop();
    }
};

// Steps in run order; within a step the share done, compared exactly.
bool GoesBack(const Report& before, const Report& after) {
    if (before.step != after.step) return after.step < before.step;
    return static_cast<long long>(after.done) * before.total <
           static_cast<long long>(before.done) * after.total;
}

class RunProgressTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        fake::AddWholePackage(system);
        system.AddDirectory("C:\\WINDOWS\\Driver Cache\\i386");
    }
    ProgressUi progressUi;
};

TEST_F(RunProgressTest, EveryRunReportsItsStepsInOrderAndReachesTheEnd) {
    struct Case {
        Host host;
        int stagingPasses;  // 0: the run ends before the removal
        std::function<void(fake::FakeSystem&)> arrange;
    };
    // host, staging passes, what goes wrong in the run (nothing, a missing package
    // file that the look before the removal finds, a staging copy that fails)
    const std::vector<Case> cases = {
        {Host::Xp32, 2, [](fake::FakeSystem&) {}},
        {Host::Win7x86, 1, [](fake::FakeSystem&) {}},
        {Host::Win10x64, 1, [](fake::FakeSystem&) {}},
        {Host::Win7x64, 0,
         [](fake::FakeSystem& machine) { machine.RemoveFile(".\\amd64\\UNIDRV.HLP"); }},
        {Host::Xp32, 2, [](fake::FakeSystem& machine) { machine.copyOemInfFails = true; }},
    };
    for (const auto& c : cases) {
        fake::SetFlags(0, 0, 0);
        fake::FakeSystem machine;
        ProgressUi window;
        fake::AddWholePackage(machine);
        machine.AddDirectory("C:\\WINDOWS\\Driver Cache\\i386");
        c.arrange(machine);
        fake::MakeHost(machine, c.host);
        setup::InstallSequence sequence(machine, window);
        sequence.OnInstall();

        std::vector<Report> expected;
        if (c.stagingPasses > 0) {
            for (int index = 0; index < 120; ++index)
                expected.push_back({RunStep::Removal, index, 120});
            for (int pass = 0; pass < c.stagingPasses; ++pass)
                expected.push_back({RunStep::Staging, pass, c.stagingPasses});
            expected.push_back({RunStep::Installation, 0, 1});
        }
        expected.push_back({RunStep::Finished, 1, 1});
        EXPECT_EQ(window.reports, expected) << "host " << static_cast<int>(c.host);
        for (size_t i = 1; i < window.reports.size(); ++i)
            EXPECT_FALSE(GoesBack(window.reports[i - 1], window.reports[i])) << "report " << i;
    }
}

TEST_F(RunProgressTest, TheEndIsShownBeforeTheOutcomeBoxAndAfterThePortDialog) {
    progressUi.portChoice = 76;
    fake::MakeHost(system, Host::Win10x64);
    setup::InstallSequence sequence(system, progressUi);
    sequence.OnInstall();
    const std::vector<std::string> tail(progressUi.events.end() - 5, progressUi.events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"progress", "port 76", "progress",
                                              "box 打印机安装成功!", "quit"}));
}

TEST_F(RunProgressTest, AClickDispatchedInsideTheRunOrAfterItStartsNothing) {
    // The calls and events of one undisturbed run, to compare with.
    fake::FakeSystem alone;
    ProgressUi aloneUi;
    fake::AddWholePackage(alone);
    fake::MakeHost(alone, Host::Win7x64);
    alone.printers = {"RT450"};
    alone.processStartFails = [](const std::string& line) {
        return line.find("/dl") != std::string::npos;  // boxes during the removal
    };
    setup::InstallSequence(alone, aloneUi).OnInstall();
    ASSERT_GE(aloneUi.boxes.size(), 3u);

    fake::SetFlags(0, 0, 0);
    fake::MakeHost(system, Host::Win7x64);
    system.printers = {"RT450"};
    system.processStartFails = alone.processStartFails;
    setup::InstallSequence sequence(system, progressUi);
    int clicks = 0;
    progressUi.insideModalLoop = [&] {
        ++clicks;
        sequence.OnInstall();
    };
    sequence.OnInstall();
    EXPECT_EQ(clicks, static_cast<int>(aloneUi.boxes.size()) + 1);  // every box, the port dialog
    EXPECT_EQ(system.calls, alone.calls);
    EXPECT_EQ(progressUi.events, aloneUi.events);

    const size_t callsAfterRun = system.calls.size();
    const size_t eventsAfterRun = progressUi.events.size();
    sequence.OnInstall();
    EXPECT_EQ(system.calls.size(), callsAfterRun);
    EXPECT_EQ(progressUi.events.size(), eventsAfterRun);
}

}  // namespace
