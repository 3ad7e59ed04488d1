#include "sys/ResponsiveWait.h"

namespace sys {

namespace {

// The longest the thread waits before it looks at its windows again: a region that a
// window lost is repainted within it, and the system sees the thread take messages at
// least this often.
constexpr DWORD kSliceMilliseconds = 50;
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

// Whole milliseconds since `start` on the performance counter, rounded down. The tick
// counter moves in steps of up to 16 ms on Windows and would end a pause early.
DWORD MillisecondsSince(const LARGE_INTEGER& start, const LARGE_INTEGER& frequency) {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<DWORD>((now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
}

// Waits for the object (or, with none, only for the time) in slices, answering the
// windows after each. The deadline is kept on the performance counter, and a wait that
// the system ends early only starts another slice, so the pause is never shorter.
DWORD WaitAnswering(HANDLE object, DWORD milliseconds) {
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    const DWORD handleCount = object != nullptr ? 1 : 0;
    for (;;) {
        DWORD slice = kSliceMilliseconds;
        if (milliseconds != INFINITE) {
            const DWORD elapsed = MillisecondsSince(start, frequency);
            if (elapsed >= milliseconds) return WAIT_TIMEOUT;
            if (milliseconds - elapsed < slice) slice = milliseconds - elapsed;
        }
        const DWORD result = ::MsgWaitForMultipleObjectsEx(handleCount, &object, slice,
                                                           kWakeMask, 0);
        if (result == WAIT_OBJECT_0 && handleCount == 1) return WAIT_OBJECT_0;
        if (result == WAIT_FAILED) return WAIT_FAILED;
        AnswerWindows();
    }
}

}  // namespace

void SleepResponsively(DWORD milliseconds) { WaitAnswering(nullptr, milliseconds); }

DWORD WaitResponsively(HANDLE object) { return WaitAnswering(object, INFINITE); }

void AnswerWindowsWhenDue() {
    if (::GetTickCount() - g_lastAnswered >= kSliceMilliseconds) AnswerWindows();
}

}  // namespace sys
