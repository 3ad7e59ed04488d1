#pragma once
// The deadline of a pause that waits in slices, apart from the platform so that it can be
// tested on its own. A pause must never end before the time asked: the install run's
// fixed pauses give the spooler and the printer-setup commands their time. The clock may
// stand still or run backwards (a performance counter read on another core of some
// multi-core XP machines), and a wait may fail or be woken early; none of that may cut a
// pause short.

#include <cstdint>

namespace sys {

// How one slice of waiting ended.
enum class SliceEnd {
    TimedOut,   // the whole slice went by
    Signalled,  // the object waited for was signalled
    Woken,      // something else ended it early (a message sent to a window)
    Failed,     // the wait itself failed
};

// How a whole pause ended.
enum class PauseEnd {
    TimeUp,     // the time asked has gone by
    Signalled,  // the object was signalled
    Failed,     // waiting for the object failed
};

// No time limit: the pause ends only with its object.
constexpr uint32_t kNoTimeLimit = 0xFFFFFFFF;
// The longest slice: the windows are answered at least this often.
constexpr uint32_t kSliceMilliseconds = 50;

// What a pause asks of the platform.
class PauseSteps {
public:
    virtual ~PauseSteps() = default;
    // A clock in milliseconds; it may stand still or go back.
    virtual uint64_t NowMilliseconds() = 0;
    // Waits at most the milliseconds given, for the object if there is one.
    virtual SliceEnd WaitSlice(uint32_t milliseconds) = 0;
    // A plain sleep that cannot fail, for a pause whose wait failed.
    virtual void Sleep(uint32_t milliseconds) = 0;
    // Answers the thread's windows between slices.
    virtual void AnswerWindows() = 0;
};

// Waits the milliseconds given (or, with kNoTimeLimit, without limit) in slices of at
// most kSliceMilliseconds, answering the windows after each. With an object, a failed
// wait ends the pause as Failed; without one, a failed slice is slept instead.
PauseEnd WaitInSlices(PauseSteps& steps, uint32_t milliseconds, bool forObject);

}  // namespace sys
