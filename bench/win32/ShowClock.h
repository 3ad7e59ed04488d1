#pragma once
// What show_clock.dll and the stopwatch share: the instant at which each dialog of the
// timed program was activated (it shows then), taken inside the program itself by a
// CBT hook on its user-interface thread, so the stopwatch need not poll for windows
// while the program works.

#include <windows.h>

namespace bench {

constexpr const wchar_t* kShowClockMapping = L"bench.ShowClock";
constexpr const wchar_t* kShowClockEvent = L"bench.ShowClock.Shown";
constexpr int kShowClockSlots = 256;
constexpr int kCaptionChars = 64;

struct Show {
    LONGLONG counter;  // QueryPerformanceCounter at activation
    DWORD process;
    wchar_t caption[kCaptionChars];
};

struct ShowLog {
    volatile LONG taken;      // slots claimed so far
    volatile LONG written;    // slots filled; the writer is one thread
    Show shows[kShowClockSlots];
};

}  // namespace bench
