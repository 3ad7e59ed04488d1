#pragma once
// The hidden key chord that shows the build information: Ctrl+Shift+B or Ctrl+Shift+J,
// with both modifier keys on the same side of the keyboard. Portable, so that the
// order of the key questions can be tested without Windows.

#include <cstdint>

namespace buildinfo {

// Virtual-key codes of the left and right modifier keys.
constexpr int kVkLeftShift = 0xA0;
constexpr int kVkRightShift = 0xA1;
constexpr int kVkLeftControl = 0xA2;
constexpr int kVkRightControl = 0xA3;

constexpr unsigned kKeyB = 0x42;
constexpr unsigned kKeyJ = 0x4A;

// Only the low byte of a message's wParam counts, whatever the message: key-up and any
// other message with B or J there take part as key-down does. B asks Ctrl before Shift,
// J Shift before Ctrl; the left pair is asked before the right one, and a question is
// only asked while its pair can still be complete. isKeyDown(vk) says whether a key is
// held now.
template <typename IsKeyDown>
bool IsBuildInfoChord(std::uintptr_t wParam, IsKeyDown&& isKeyDown) {
    switch (wParam & 0xFF) {
    case kKeyB:
        return (isKeyDown(kVkLeftControl) && isKeyDown(kVkLeftShift)) ||
               (isKeyDown(kVkRightControl) && isKeyDown(kVkRightShift));
    case kKeyJ:
        return (isKeyDown(kVkLeftShift) && isKeyDown(kVkLeftControl)) ||
               (isKeyDown(kVkRightShift) && isKeyDown(kVkRightControl));
    default:
        return false;
    }
}

}  // namespace buildinfo
