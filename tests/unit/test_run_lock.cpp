// The run lock's decisions against a fake kernel that several processes share: who gets
// the lock as runs start, are refused, try again and end, on Windows with private
// namespaces and on Windows XP. Whatever the order, the lock is never held twice, and an
// attempt that does not take it leaves nothing open.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sys/RunLock.h"
#include "tests/unit/FakeRunLockKernel.h"

namespace {

using sys::RunLockState;

enum class Action { Take, End };

// One step: which process ('A', 'B', ...), what it does, and what a Take answers.
struct Step {
    char process;
    Action action;
    RunLockState answer = RunLockState::Taken;
};

Step Take(char process, RunLockState answer) { return {process, Action::Take, answer}; }
Step End(char process) { return {process, Action::End}; }

// Columns: what the case shows, whether the system has private namespaces (Windows XP
// has none), whether a stranger made the XP lock's name first, the processes that run
// without raised rights, the steps.
struct LockCase {
    const char* what;
    bool privateNamespaces;
    bool strangerMadeGlobalName;
    std::string unelevated;
    std::vector<Step> steps;
};

constexpr RunLockState kTaken = RunLockState::Taken;
constexpr RunLockState kHeld = RunLockState::HeldByAnotherRun;

const LockCase kCases[] = {
    {"one run takes it", true, false, "", {Take('A', kTaken)}},
    {"its holder takes it again", true, false, "", {Take('A', kTaken), Take('A', kTaken)}},
    {"a second run is refused, and its retry while the first runs", true, false, "",
     {Take('A', kTaken), Take('B', kHeld), Take('B', kHeld)}},
    {"a refused run takes it once the holder ended", true, false, "",
     {Take('A', kTaken), Take('B', kHeld), End('A'), Take('B', kTaken), Take('C', kHeld)}},
    // The holder made the namespace; once it ends, a namespace that the refused run
    // still held would be orphaned, and its retry would take a lock there while the
    // later run holds the one in a fresh namespace.
    {"the namespace's creator ends; a later run takes it, the refused one's retry does not",
     true, false, "",
     {Take('A', kTaken), Take('B', kHeld), End('A'), Take('C', kTaken), Take('B', kHeld),
      End('C'), Take('B', kTaken)}},
    {"a run without raised rights cannot have it", true, false, "A",
     {Take('A', RunLockState::Failed), Take('B', kTaken), Take('A', RunLockState::Failed)}},
    {"Windows XP: the global name", false, false, "",
     {Take('A', kTaken), Take('B', kHeld), End('A'), Take('C', kTaken), Take('B', kHeld)}},
    {"Windows XP: a stranger made the name first", false, true, "",
     {Take('A', RunLockState::Denied)}},
};

TEST(RunLock, NeverHeldTwiceAndNothingLeftOpenByARefusal) {
    for (const LockCase& row : kCases) {
        SCOPED_TRACE(row.what);
        fake::FakeRunLockKernel kernel;
        kernel.privateNamespaces = row.privateNamespaces;
        kernel.strangerMadeGlobalName = row.strangerMadeGlobalName;
        std::map<char, std::unique_ptr<fake::FakeRunLockProcess>> processes;
        std::map<char, std::unique_ptr<sys::RunLock>> locks;
        int number = 0;
        for (const Step& step : row.steps) {
            SCOPED_TRACE(std::string("step ") + std::to_string(++number) + " of " +
                         step.process);
            auto& process = processes[step.process];
            if (process == nullptr) {
                process = std::make_unique<fake::FakeRunLockProcess>(kernel, number);
                process->elevated = row.unelevated.find(step.process) == std::string::npos;
                locks[step.process] = std::make_unique<sys::RunLock>(*process);
            }
            if (step.action == Action::End) {
                // The kernel closes what an ended process held; its lock object goes
                // with it and finds nothing left to close.
                process->End();
                locks.erase(step.process);
                processes.erase(step.process);
                continue;
            }
            const RunLockState answer = locks[step.process]->Take();
            EXPECT_EQ(answer, step.answer);
            EXPECT_LE(kernel.MutexesHeld(), 1) << "the lock is held twice";
            if (answer != kTaken) {
                EXPECT_EQ(process->OpenHandles(), 0);
                // The reason stays readable after the lock let go of what it had opened.
                EXPECT_EQ(process->GetLastError(), answer == kHeld ? 183u : 5u);
            }
        }
    }
}

}  // namespace
