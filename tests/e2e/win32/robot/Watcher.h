#pragma once
// Samples a window from a thread of the robot while the script goes on: whether the
// system takes it for hung (IsHungAppWindow), whether it answers a message that gives
// up on hung windows (SendMessageTimeout with SMTO_ABORTIFHUNG) and how fast, and the
// text of one of its controls. The samples are logged when the watch ends.

#include <windows.h>

#include <vector>

#include "../common/JsonObject.h"

namespace e2e {

class Watcher {
public:
    Watcher() = default;
    ~Watcher();
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    // Starts sampling `window` every `periodMs`; false when a watch runs already.
    bool Start(HWND window, int controlId, DWORD periodMs);
    // Ends the watch (at once, or after the window has gone) and hands over the samples.
    std::vector<JsonObject> Stop();
    bool Running() const { return thread_ != nullptr; }

private:
    static DWORD WINAPI ThreadMain(void* self);
    void SampleUntilStopped();

    HWND window_ = nullptr;
    int controlId_ = 0;
    DWORD periodMs_ = 0;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
    std::vector<JsonObject> samples_;
};

}  // namespace e2e
