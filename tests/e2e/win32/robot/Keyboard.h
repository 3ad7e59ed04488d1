#pragma once
// Key presses as the hardware would make them, so that the target sees both the key
// messages and the keys' state through GetAsyncKeyState.

#include <string>

namespace e2e {

// Names: LCONTROL, RCONTROL, LSHIFT, RSHIFT, LMENU, RMENU, ESCAPE, RETURN, SPACE, TAB, or
// one letter or digit. False for an unknown name.
bool IsKeyName(const std::wstring& name);
bool PressKey(const std::wstring& name);
bool ReleaseKey(const std::wstring& name);
// Bit 15 of GetAsyncKeyState.
bool IsKeyDown(const std::wstring& name);

}  // namespace e2e
