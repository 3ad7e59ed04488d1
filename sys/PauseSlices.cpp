#include "sys/PauseSlices.h"

#include <algorithm>

namespace sys {

// The time a pause has waited is counted from what is known to have gone by: the
// clock's forward steps (a step back counts nothing, and counting goes on from the new
// reading), and at least the whole slice of a wait that timed out or of a sleep, whatever
// the clock said meanwhile. So the count never runs ahead of the real time.
PauseEnd WaitInSlices(PauseSteps& steps, uint32_t milliseconds, bool forObject) {
    uint64_t waited = 0;
    uint64_t lastReading = steps.NowMilliseconds();
    for (;;) {
        uint32_t slice = kSliceMilliseconds;
        if (milliseconds != kNoTimeLimit) {
            if (waited >= milliseconds) return PauseEnd::TimeUp;
            slice = static_cast<uint32_t>(std::min<uint64_t>(slice, milliseconds - waited));
        }
        SliceEnd end = steps.WaitSlice(slice);
        if (end == SliceEnd::Signalled && forObject) return PauseEnd::Signalled;
        if (end == SliceEnd::Failed) {
            if (forObject) return PauseEnd::Failed;
            steps.Sleep(slice);
            end = SliceEnd::TimedOut;
        }
        const uint64_t reading = steps.NowMilliseconds();
        uint64_t step = reading > lastReading ? reading - lastReading : 0;
        if (end == SliceEnd::TimedOut) step = std::max<uint64_t>(step, slice);
        waited += step;
        lastReading = reading;
        steps.AnswerWindows();
    }
}

}  // namespace sys
