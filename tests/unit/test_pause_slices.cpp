// The pauses' deadline against a clock and waits that misbehave. The steps keep the real
// time that goes by (each wait takes the time it stands for) apart from what the clock
// answers, so a test sees whether a pause ended before the time asked.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "sys/PauseSlices.h"

namespace {

using sys::PauseEnd;
using sys::SliceEnd;

enum class Clock {
    Honest,         // the real time
    StandsStill,    // always the same reading
    JumpsBack,      // the real time, then an hour less from the third reading on
    RunsBackwards,  // less at every reading
};

struct ScriptedSteps : sys::PauseSteps {
    Clock clock = Clock::Honest;
    std::vector<SliceEnd> waits;  // what each wait answers in turn; the last one repeats
    uint32_t wokenAfter = 3;      // what an early wake takes of the real time

    uint64_t realTime = 10'000'000;
    int readings = 0;
    int slices = 0;
    int answered = 0;
    uint32_t slept = 0;

    uint64_t NowMilliseconds() override {
        ++readings;
        switch (clock) {
        case Clock::Honest: return realTime;
        case Clock::StandsStill: return 5'000'000;
        case Clock::JumpsBack: return readings >= 3 ? realTime - 3'600'000 : realTime;
        case Clock::RunsBackwards: return 9'000'000 - readings * 7;
        }
        return realTime;
    }
    SliceEnd WaitSlice(uint32_t milliseconds) override {
        // Far more than any case needs: a pause that would never end.
        if (slices > 100'000) throw std::runtime_error("the pause never ends");
        const SliceEnd end = waits[std::min<std::size_t>(slices, waits.size() - 1)];
        ++slices;
        if (end == SliceEnd::TimedOut) realTime += milliseconds;
        if (end == SliceEnd::Woken) realTime += std::min(wokenAfter, milliseconds);
        return end;
    }
    void Sleep(uint32_t milliseconds) override {
        realTime += milliseconds;
        slept += milliseconds;
    }
    void AnswerWindows() override { ++answered; }
};

// A pause of the time asked, whatever the clock and the waits answer: columns are the
// case, the clock, the waits' answers in turn (the last repeats), the time asked.
struct TimedCase {
    const char* name;
    Clock clock;
    std::vector<SliceEnd> waits;
    uint32_t milliseconds;
};

TEST(PauseSlices, NeverEndsBeforeTheTimeAskedNorLongAfter) {
    const std::vector<TimedCase> cases = {
        {"slices of a honest clock", Clock::Honest, {SliceEnd::TimedOut}, 3000},
        {"a pause shorter than a slice", Clock::Honest, {SliceEnd::TimedOut}, 20},
        {"no pause at all", Clock::Honest, {SliceEnd::TimedOut}, 0},
        {"woken again and again", Clock::Honest, {SliceEnd::Woken}, 1000},
        {"woken, then slices", Clock::Honest,
         {SliceEnd::Woken, SliceEnd::Woken, SliceEnd::TimedOut}, 100},
        {"every wait fails", Clock::Honest, {SliceEnd::Failed}, 1000},
        {"the first wait fails", Clock::Honest, {SliceEnd::Failed, SliceEnd::TimedOut}, 120},
        {"a clock that stands still", Clock::StandsStill, {SliceEnd::TimedOut}, 1000},
        {"a clock that stands still, waits that fail", Clock::StandsStill, {SliceEnd::Failed},
         1000},
        {"a clock that jumps back", Clock::JumpsBack, {SliceEnd::TimedOut}, 1000},
        {"a clock that runs backwards", Clock::RunsBackwards, {SliceEnd::TimedOut}, 1000},
        {"a signal without an object is no end", Clock::Honest,
         {SliceEnd::Signalled, SliceEnd::TimedOut}, 100},
    };
    for (const TimedCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedSteps steps;
        steps.clock = c.clock;
        steps.waits = c.waits;
        const uint64_t start = steps.realTime;
        EXPECT_EQ(sys::WaitInSlices(steps, c.milliseconds, false), PauseEnd::TimeUp);
        const uint64_t took = steps.realTime - start;
        EXPECT_GE(took, c.milliseconds);
        // With a honest clock the pause also ends within a slice of its deadline.
        if (c.clock == Clock::Honest) {
            EXPECT_LT(took, c.milliseconds + sys::kSliceMilliseconds);
        }
        EXPECT_EQ(steps.answered, steps.slices);
    }
}

TEST(PauseSlices, SlicesAreAtMostTheLongestSliceAndEndOnTheDeadline) {
    struct Recording : ScriptedSteps {
        std::vector<uint32_t> asked;
        SliceEnd WaitSlice(uint32_t milliseconds) override {
            asked.push_back(milliseconds);
            return ScriptedSteps::WaitSlice(milliseconds);
        }
    } steps;
    steps.waits = {SliceEnd::TimedOut};
    sys::WaitInSlices(steps, 120, false);
    EXPECT_EQ(steps.asked, (std::vector<uint32_t>{50, 50, 20}));
}

TEST(PauseSlices, AWaitForAnObjectEndsWithItOrWithItsFailure) {
    // Columns: the waits' answers in turn, the time limit, how the pause ends, slices.
    struct Case {
        std::vector<SliceEnd> waits;
        uint32_t milliseconds;
        PauseEnd end;
        int slices;
    };
    const std::vector<Case> cases = {
        {{SliceEnd::Signalled}, sys::kNoTimeLimit, PauseEnd::Signalled, 1},
        {{SliceEnd::TimedOut, SliceEnd::Woken, SliceEnd::Signalled}, sys::kNoTimeLimit,
         PauseEnd::Signalled, 3},
        {{SliceEnd::TimedOut, SliceEnd::Failed}, sys::kNoTimeLimit, PauseEnd::Failed, 2},
        {{SliceEnd::TimedOut}, 200, PauseEnd::TimeUp, 4},
    };
    for (const Case& c : cases) {
        ScriptedSteps steps;
        steps.waits = c.waits;
        EXPECT_EQ(sys::WaitInSlices(steps, c.milliseconds, true), c.end);
        EXPECT_EQ(steps.slices, c.slices);
        EXPECT_EQ(steps.slept, 0u);  // an object's wait is never replaced by a sleep
    }
}

}  // namespace
