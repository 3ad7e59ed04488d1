// show_clock.dll: the stopwatch sets its CbtProc as a hook on the timed program's
// user-interface thread. Each dialog that is activated there is logged with the
// performance counter and the event is set. The counter is the system's, the same in
// every process of the prefix.

#include "ShowClock.h"

namespace {

bench::ShowLog* OpenLog() {
    static bench::ShowLog* log = [] {
        const HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, bench::kShowClockMapping);
        if (!mapping) return static_cast<bench::ShowLog*>(nullptr);
        return static_cast<bench::ShowLog*>(
            MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(bench::ShowLog)));
    }();
    return log;
}

bool IsDialog(HWND window) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    return lstrcmpW(className, L"#32770") == 0;
}

void LogActivation(HWND window) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    bench::ShowLog* log = OpenLog();
    if (!log || !IsDialog(window)) return;
    const LONG slot = InterlockedIncrement(&log->taken) - 1;
    if (slot >= bench::kShowClockSlots) return;
    bench::Show& show = log->shows[slot];
    show.counter = now.QuadPart;
    show.process = GetCurrentProcessId();
    InternalGetWindowText(window, show.caption, bench::kCaptionChars);
    InterlockedIncrement(&log->written);
    if (const HANDLE shown = OpenEventW(EVENT_MODIFY_STATE, FALSE, bench::kShowClockEvent)) {
        SetEvent(shown);
        CloseHandle(shown);
    }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK CbtProc(int code, WPARAM wParam,
                                                         LPARAM lParam) {
    if (code == HCBT_ACTIVATE) LogActivation(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
