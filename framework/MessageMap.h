#pragma once
// Message maps: each dialog class keeps one static table of the messages it handles and
// a link to its base class's table. The dialog procedure looks a message up from the
// most derived table to the base and calls the first handler that matches; a message
// that no table names gets the platform's default dialog processing.
//
// A table is built from the Map... functions below, each of which takes the handler as
// a member-function pointer and cracks the message's parameters for it:
//
//     static const framework::MessageMapEntry entries[] = {
//         framework::MapPaint<&CMyDlg::OnPaint>(),
//         framework::MapCommand<&CMyDlg::OnApply>(IDC_APPLY, BN_CLICKED),
//     };
//     static const framework::MessageMap map{CDialog::GetMessageMap(), entries};

#include <cstddef>

#include "framework/Gdi.h"
#include "framework/WindowsHeaders.h"
#include "framework/Wnd.h"

namespace framework {

class CDialog;

// Calls one handler for one message and returns the message's result.
using MessageHandler = LRESULT (*)(CDialog& dialog, UINT message, WPARAM wParam,
                                   LPARAM lParam);

struct MessageMapEntry {
    UINT firstMessage;  // a range, so that one entry can take all WM_CTLCOLOR* messages
    UINT lastMessage;
    UINT controlId;     // WM_COMMAND entries only
    UINT notifyCode;    // WM_COMMAND entries only
    MessageHandler handler;

    bool Matches(UINT message, WPARAM wParam) const {
        if (message < firstMessage || message > lastMessage) return false;
        return message != WM_COMMAND ||
               (LOWORD(wParam) == controlId && HIWORD(wParam) == notifyCode);
    }
};

struct MessageMap {
    template <std::size_t Count>
    MessageMap(const MessageMap* baseMap, const MessageMapEntry (&table)[Count])
        : base(baseMap), entries(table), count(Count) {}

    const MessageMap* base;  // null for the root of the chain
    const MessageMapEntry* entries;
    std::size_t count;
};

// The first entry from this map to its bases that takes the message; null when none.
const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, WPARAM wParam);

namespace detail {

template <typename Method>
struct MemberOf;
template <typename Class, typename Result, typename... Args>
struct MemberOf<Result (Class::*)(Args...)> {
    using Type = Class;
};

// The dialog that a handler of Method belongs to. The dialog procedure only calls a
// handler for the dialog whose table names it, so the downcast is safe.
template <auto Method>
auto& Owner(CDialog& dialog) {
    return static_cast<typename MemberOf<decltype(Method)>::Type&>(dialog);
}

template <auto Method>
LRESULT CallWithoutArguments(CDialog& dialog, UINT, WPARAM, LPARAM) {
    (Owner<Method>(dialog).*Method)();
    return 0;
}

template <auto Method>
LRESULT CallSysCommand(CDialog& dialog, UINT, WPARAM wParam, LPARAM lParam) {
    (Owner<Method>(dialog).*Method)(static_cast<UINT>(wParam), lParam);
    return 0;
}

template <auto Method>
LRESULT CallQueryDragIcon(CDialog& dialog, UINT, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((Owner<Method>(dialog).*Method)());
}

template <auto Method>
LRESULT CallCtlColor(CDialog& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    CDC dc(reinterpret_cast<HDC>(wParam));
    CWnd control(reinterpret_cast<HWND>(lParam));
    const UINT kind = message - WM_CTLCOLORMSGBOX;
    return reinterpret_cast<LRESULT>((Owner<Method>(dialog).*Method)(&dc, &control, kind));
}

template <auto Method>
LRESULT CallDrawItem(CDialog& dialog, UINT, WPARAM wParam, LPARAM lParam) {
    (Owner<Method>(dialog).*Method)(static_cast<int>(wParam),
                                     reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    return TRUE;
}

template <auto Method>
LRESULT CallSetCursor(CDialog& dialog, UINT, WPARAM wParam, LPARAM lParam) {
    CWnd window(reinterpret_cast<HWND>(wParam));
    return (Owner<Method>(dialog).*Method)(&window, LOWORD(lParam), HIWORD(lParam));
}

}  // namespace detail

// void OnCommand(): the WM_COMMAND that control `id` sends with `code`.
template <auto Method>
constexpr MessageMapEntry MapCommand(UINT id, UINT code) {
    return {WM_COMMAND, WM_COMMAND, id, code, &detail::CallWithoutArguments<Method>};
}

// void OnPaint()
template <auto Method>
constexpr MessageMapEntry MapPaint() {
    return {WM_PAINT, WM_PAINT, 0, 0, &detail::CallWithoutArguments<Method>};
}

// void OnSysCommand(UINT nID, LPARAM lParam)
template <auto Method>
constexpr MessageMapEntry MapSysCommand() {
    return {WM_SYSCOMMAND, WM_SYSCOMMAND, 0, 0, &detail::CallSysCommand<Method>};
}

// HCURSOR OnQueryDragIcon()
template <auto Method>
constexpr MessageMapEntry MapQueryDragIcon() {
    return {WM_QUERYDRAGICON, WM_QUERYDRAGICON, 0, 0, &detail::CallQueryDragIcon<Method>};
}

// HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor), for every WM_CTLCOLOR*
// message; nCtlColor is the CTLCOLOR_* kind (CTLCOLOR_STATIC for WM_CTLCOLORSTATIC...).
template <auto Method>
constexpr MessageMapEntry MapCtlColor() {
    return {WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, 0, 0, &detail::CallCtlColor<Method>};
}

// void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct)
template <auto Method>
constexpr MessageMapEntry MapDrawItem() {
    return {WM_DRAWITEM, WM_DRAWITEM, 0, 0, &detail::CallDrawItem<Method>};
}

// BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message): TRUE when the handler has
// set the cursor; CWnd::OnSetCursor gives the platform's choice.
template <auto Method>
constexpr MessageMapEntry MapSetCursor() {
    return {WM_SETCURSOR, WM_SETCURSOR, 0, 0, &detail::CallSetCursor<Method>};
}

}  // namespace framework
