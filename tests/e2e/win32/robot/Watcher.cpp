#include "Watcher.h"

#include <string>

#include "Desktop.h"

namespace e2e {

namespace {
// What a user's shell waits for before it calls a window not responding.
constexpr UINT kAnswerTimeoutMs = 1000;
}  // namespace

Watcher::~Watcher() { Stop(); }

bool Watcher::Start(HWND window, int controlId, DWORD periodMs) {
    if (thread_) return false;
    window_ = window;
    controlId_ = controlId;
    periodMs_ = periodMs;
    samples_.clear();
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = stop_ ? CreateThread(nullptr, 0, &Watcher::ThreadMain, this, 0, nullptr) : nullptr;
    return thread_ != nullptr;
}

std::vector<JsonObject> Watcher::Stop() {
    if (thread_) {
        SetEvent(stop_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (stop_) {
        CloseHandle(stop_);
        stop_ = nullptr;
    }
    return std::move(samples_);
}

DWORD WINAPI Watcher::ThreadMain(void* self) {
    static_cast<Watcher*>(self)->SampleUntilStopped();
    return 0;
}

void Watcher::SampleUntilStopped() {
    const ULONGLONG start = GetTickCount64();
    do {
        if (!IsWindow(window_)) break;
        JsonObject sample;
        // Read before the window is asked, so that the text is that of the moment.
        const HWND control = GetDlgItem(window_, controlId_);
        const std::wstring text = control ? WindowText(control) : std::wstring();
        const ULONGLONG sent = GetTickCount64();
        const bool hung = IsHungAppWindow(window_) != FALSE;
        DWORD_PTR ignored = 0;
        const bool answered = SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                                  kAnswerTimeoutMs, &ignored) != 0;
        const ULONGLONG replied = GetTickCount64();
        // A window destroyed while it was being asked has ended, not hung.
        if (!answered && !IsWindow(window_)) break;
        sample.Add("ms", static_cast<long long>(sent - start))
            .Add("hung", hung)
            .Add("answered", answered)
            .Add("replyMs", static_cast<long long>(replied - sent))
            .Add("text", text);
        samples_.push_back(sample);
    } while (WaitForSingleObject(stop_, periodMs_) == WAIT_TIMEOUT);
}

}  // namespace e2e
