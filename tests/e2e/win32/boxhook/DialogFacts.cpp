#include "DialogFacts.h"

#include <string>
#include <vector>

#include "../common/Text.h"

namespace e2e {

namespace {

constexpr int kMessageBoxTextId = 0xFFFF;

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// The dialog itself is not shown yet while it initialises, so a control's own style
// says whether it will be seen.
bool HasVisibleStyle(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// The system's shared icons are one handle per process, so the one a message box puts
// up compares equal to the one loaded here.
const char* IconName(HICON icon) {
    struct Known {
        LPCWSTR id;
        const char* name;
    };
    static const Known kKnown[] = {
        {IDI_INFORMATION, "information"},
        {IDI_WARNING, "warning"},
        {IDI_ERROR, "error"},
        {IDI_QUESTION, "question"},
    };
    if (!icon) return "none";
    for (const Known& known : kKnown)
        if (LoadIconW(nullptr, known.id) == icon) return known.name;
    return "other";
}

const char* MessageBoxIcon(HWND dialog) {
    for (HWND child : Children(dialog)) {
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (ClassName(child) != L"Static" || (style & SS_TYPEMASK) != SS_ICON) continue;
        if (!HasVisibleStyle(child)) return "none";
        return IconName(reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0)));
    }
    return "none";
}

std::vector<JsonObject> VisibleButtons(HWND dialog) {
    std::vector<JsonObject> buttons;
    for (HWND child : Children(dialog)) {
        if (ClassName(child) != L"Button" || !HasVisibleStyle(child)) continue;
        JsonObject button;
        button.Add("id", static_cast<long long>(GetDlgCtrlID(child)))
            .Add("text", WindowText(child));
        buttons.push_back(button);
    }
    return buttons;
}

}  // namespace

bool IsTopLevelDialog(HWND window) {
    return (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) == 0 &&
           ClassName(window) == L"#32770";
}

void AddDialogFacts(HWND dialog, JsonObject& facts) {
    const HWND owner = GetWindow(dialog, GW_OWNER);
    facts.Add("hwnd", Hex(reinterpret_cast<ULONG_PTR>(dialog)))
        .Add("caption", WindowText(dialog))
        .Add("owner", owner ? WindowText(owner) : std::wstring());
    const HWND text = GetDlgItem(dialog, kMessageBoxTextId);
    if (text) {
        facts.Add("text", WindowText(text)).Add("icon", MessageBoxIcon(dialog));
    }
    facts.Add("style", Hex(static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE))))
        .Add("buttons", VisibleButtons(dialog));
}

JsonObject DescribeSystemMenu(HWND window) {
    JsonObject facts;
    facts.Add("hwnd", Hex(reinterpret_cast<ULONG_PTR>(window)));
    const HMENU menu = GetSystemMenu(window, FALSE);
    facts.Add("found", menu != nullptr);
    std::vector<JsonObject> items;
    const int count = menu ? GetMenuItemCount(menu) : 0;
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID;
        GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
        JsonObject item;
        item.Add("id", static_cast<long long>(info.wID))
            .Add("text", std::wstring(text))
            .Add("separator", (info.fType & MFT_SEPARATOR) != 0);
        items.push_back(item);
    }
    facts.Add("items", items);
    return facts;
}

}  // namespace e2e
