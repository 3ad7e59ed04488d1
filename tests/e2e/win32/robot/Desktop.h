#pragma once
// Looking at the windows of the prefix's desktop from outside their process, and
// waiting without blocking the robot's own thread: the system may route calls of the
// box hook through the thread that set it.

#include <windows.h>

#include <functional>
#include <string>

namespace e2e {

// A visible top-level dialog (#32770) with exactly this caption, or null.
HWND FindVisibleDialog(const std::wstring& caption);
std::wstring WindowText(HWND window);

// Handles the thread's messages for the given time.
void PumpFor(DWORD milliseconds);
// Checks done() until it holds or the time is up; false on time-out.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);
// False when the object is not signalled within the time.
bool WaitForObject(HANDLE object, DWORD timeoutMs);

}  // namespace e2e
