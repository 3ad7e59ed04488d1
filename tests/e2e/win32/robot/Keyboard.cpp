#include "Keyboard.h"

#include <windows.h>

#include <cwctype>

namespace e2e {

namespace {

struct Key {
    WORD virtualKey = 0;
    // The right-hand Ctrl and Alt keys are extended keys. Wine also tells the right Shift
    // key from the left one by this flag alone, where Windows goes by the virtual key,
    // so the right Shift key is sent with it too.
    bool extended = false;
};

bool FindKey(const std::wstring& name, Key& key) {
    struct Named {
        const wchar_t* name;
        Key key;
    };
    static const Named kNamed[] = {
        {L"LCONTROL", {VK_LCONTROL, false}}, {L"RCONTROL", {VK_RCONTROL, true}},
        {L"LSHIFT", {VK_LSHIFT, false}},     {L"RSHIFT", {VK_RSHIFT, true}},
        {L"LMENU", {VK_LMENU, false}},       {L"RMENU", {VK_RMENU, true}},
        {L"ESCAPE", {VK_ESCAPE, false}},     {L"RETURN", {VK_RETURN, false}},
        {L"SPACE", {VK_SPACE, false}},       {L"TAB", {VK_TAB, false}},
    };
    for (const Named& named : kNamed) {
        if (name == named.name) {
            key = named.key;
            return true;
        }
    }
    if (name.size() == 1 && (std::iswupper(name[0]) || std::iswdigit(name[0])) &&
        name[0] < 0x80) {
        key = {static_cast<WORD>(name[0]), false};
        return true;
    }
    return false;
}

bool SendKey(const std::wstring& name, bool up) {
    Key key;
    if (!FindKey(name, key)) return false;
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key.virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key.virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (key.extended ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
    return SendInput(1, &input, sizeof input) == 1;
}

}  // namespace

bool IsKeyName(const std::wstring& name) {
    Key key;
    return FindKey(name, key);
}

bool PressKey(const std::wstring& name) { return SendKey(name, false); }

bool ReleaseKey(const std::wstring& name) { return SendKey(name, true); }

bool IsKeyDown(const std::wstring& name) {
    Key key;
    return FindKey(name, key) && (GetAsyncKeyState(key.virtualKey) & 0x8000) != 0;
}

}  // namespace e2e
