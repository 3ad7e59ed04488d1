#include "Desktop.h"

namespace e2e {

namespace {
constexpr DWORD kPollMs = 20;
}

HWND FindVisibleDialog(const std::wstring& caption) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"#32770", caption.c_str())) != nullptr) {
        if (IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// GetWindowTextW reads another process's texts without sending it a message, so it
// answers even while that process is busy.
std::wstring WindowText(HWND window) {
    wchar_t text[4096] = {};
    GetWindowTextW(window, text, 4096);
    return text;
}

void PumpFor(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now),
                                  QS_ALLINPUT);
    }
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        PumpFor(kPollMs);
    }
}

bool WaitForObject(HANDLE object, DWORD timeoutMs) {
    return WaitUntil([object] { return WaitForSingleObject(object, 0) == WAIT_OBJECT_0; },
                     timeoutMs);
}

}  // namespace e2e
