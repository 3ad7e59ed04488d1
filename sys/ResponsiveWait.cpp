#include "sys/ResponsiveWait.h"

#include "sys/PauseSlices.h"

namespace sys {

namespace {

// What wakes the thread at once: a message sent to one of its windows, or a window
// that needs painting.
constexpr DWORD kWakeMask = QS_SENDMESSAGE | QS_PAINT;

BOOL CALLBACK PaintNow(HWND window, LPARAM) {
    // No invalidation: only what is already marked for painting is painted.
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

// When the thread last answered its windows, on the tick counter.
DWORD g_lastAnswered = 0;

// Sent messages are dispatched inside PeekMessage before it looks at the queue; with
// PM_NOREMOVE and the filter on sent messages and painting it leaves every posted
// message, every input message and a pending quit where they are. The call is also
// what tells the system that the thread is still taking messages.
void AnswerWindows() {
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE | PM_QS_PAINT);
    ::EnumThreadWindows(::GetCurrentThreadId(), &PaintNow, 0);
    g_lastAnswered = ::GetTickCount();
}

// The pause's steps on this thread: the performance counter for the clock (the tick
// counter moves in steps of up to 16 ms on Windows), MsgWaitForMultipleObjectsEx for a
// slice, waking for sent messages and painting.
class ThreadPause : public PauseSteps {
public:
    explicit ThreadPause(HANDLE object) : object_(object) {
        ::QueryPerformanceFrequency(&frequency_);
        if (frequency_.QuadPart <= 0) frequency_.QuadPart = 1000;
    }

    uint64_t NowMilliseconds() override {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        return static_cast<uint64_t>(now.QuadPart) * 1000 /
               static_cast<uint64_t>(frequency_.QuadPart);
    }

    SliceEnd WaitSlice(uint32_t milliseconds) override {
        const DWORD handleCount = object_ != nullptr ? 1 : 0;
        const DWORD result = ::MsgWaitForMultipleObjectsEx(handleCount, &object_, milliseconds,
                                                           kWakeMask, 0);
        if (result == WAIT_TIMEOUT) return SliceEnd::TimedOut;
        if (result == WAIT_FAILED) return SliceEnd::Failed;
        if (result == WAIT_OBJECT_0 && handleCount == 1) return SliceEnd::Signalled;
        return SliceEnd::Woken;
    }

    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

    void AnswerWindows() override { sys::AnswerWindows(); }

private:
    HANDLE object_;
    LARGE_INTEGER frequency_;
};

DWORD WaitAnswering(HANDLE object, DWORD milliseconds) {
    ThreadPause pause(object);
    switch (WaitInSlices(pause, milliseconds, object != nullptr)) {
    case PauseEnd::Signalled: return WAIT_OBJECT_0;
    case PauseEnd::Failed: return WAIT_FAILED;
    case PauseEnd::TimeUp: break;
    }
    return WAIT_TIMEOUT;
}

}  // namespace

void SleepResponsively(DWORD milliseconds) { WaitAnswering(nullptr, milliseconds); }

DWORD WaitResponsively(HANDLE object) { return WaitAnswering(object, INFINITE); }

void AnswerWindowsWhenDue() {
    if (::GetTickCount() - g_lastAnswered >= kSliceMilliseconds) AnswerWindows();
}

}  // namespace sys
