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

// The height that the control's font was made with, in logical units (a positive
// value is the cell height); 0 when the control draws in the system font.
long long FontHeight(HWND control) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW facts = {};
    if (!font || GetObjectW(font, sizeof facts, &facts) != sizeof facts) return 0;
    return facts.lfHeight;
}

std::vector<JsonObject> VisibleButtons(HWND dialog) {
    std::vector<JsonObject> buttons;
    for (HWND child : Children(dialog)) {
        if (ClassName(child) != L"Button" || !HasVisibleStyle(child)) continue;
        JsonObject button;
        button.Add("id", static_cast<long long>(GetDlgCtrlID(child)))
            .Add("text", WindowText(child))
            .Add("fontHeight", FontHeight(child));
        buttons.push_back(button);
    }
    return buttons;
}

JsonObject IconFacts(HICON icon, HICON programIcon) {
    JsonObject facts;
    facts.Add("present", icon != nullptr);
    if (!icon) return facts;
    ICONINFO info = {};
    BITMAP colour = {};
    if (GetIconInfo(icon, &info)) {
        // Without colour bitmap the mask holds the image over the mask, twice as high.
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof colour, &colour);
        if (!info.hbmColor) colour.bmHeight /= 2;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    facts.Add("width", static_cast<long long>(colour.bmWidth))
        .Add("height", static_cast<long long>(colour.bmHeight))
        .Add("programIcon", icon == programIcon);
    return facts;
}

// The CRC-32 of zlib and PNG (reflected, polynomial 0xEDB88320).
unsigned long Crc32(const std::vector<BYTE>& bytes) {
    unsigned long crc = 0xFFFFFFFFUL;
    for (BYTE byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320UL & (0UL - (crc & 1)));
    }
    return crc ^ 0xFFFFFFFFUL;
}

HICON SentIcon(HWND window, UINT message, WPARAM wParam) {
    return reinterpret_cast<HICON>(SendMessageW(window, message, wParam, 0));
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

JsonObject DescribeIcons(HWND window, int controlId, int iconId) {
    const HICON programIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId));
    JsonObject facts;
    if (controlId == 0) {
        facts.AddJson("big", IconFacts(SentIcon(window, WM_GETICON, ICON_BIG), programIcon).Str())
            .AddJson("small",
                     IconFacts(SentIcon(window, WM_GETICON, ICON_SMALL), programIcon).Str());
    } else {
        const HWND control = GetDlgItem(window, controlId);
        facts.Add("found", control != nullptr);
        if (control)
            facts.AddJson("icon", IconFacts(SentIcon(control, STM_GETICON, 0), programIcon).Str());
    }
    return facts;
}

JsonObject DescribePicture(HWND window, int controlId) {
    JsonObject facts;
    const HWND control = GetDlgItem(window, controlId);
    facts.Add("found", control != nullptr);
    if (!control) return facts;
    const UINT message = ClassName(control) == L"Button" ? BM_GETIMAGE : STM_GETIMAGE;
    const auto bitmap =
        reinterpret_cast<HBITMAP>(SendMessageW(control, message, IMAGE_BITMAP, 0));
    facts.Add("present", bitmap != nullptr);
    BITMAP size = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof size, &size)) return facts;
    BITMAPINFO layout = {};
    layout.bmiHeader.biSize = sizeof layout.bmiHeader;
    layout.bmiHeader.biWidth = size.bmWidth;
    layout.bmiHeader.biHeight = -size.bmHeight;
    layout.bmiHeader.biPlanes = 1;
    layout.bmiHeader.biBitCount = 24;
    layout.bmiHeader.biCompression = BI_RGB;
    const size_t stride = (static_cast<size_t>(size.bmWidth) * 3 + 3) / 4 * 4;
    std::vector<BYTE> pixels(stride * static_cast<size_t>(size.bmHeight));
    const HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.bmHeight), pixels.data(),
                               &layout, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    facts.Add("width", static_cast<long long>(size.bmWidth))
        .Add("height", static_cast<long long>(size.bmHeight))
        .Add("rows", static_cast<long long>(rows))
        .Add("crc32", static_cast<long long>(Crc32(pixels)));
    return facts;
}

}  // namespace e2e
