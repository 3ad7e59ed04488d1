#pragma once
// CWnd: a window handle with the calls that the dialogs make on it. A CWnd does not own
// its window: copies of one may be made freely (GetDlgItem returns one by value), and
// only a CDialog creates and destroys the window it stands for.

#include "framework/Gdi.h"
#include "framework/WindowsHeaders.h"

namespace framework {

class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND window) : m_hWnd(window) {}

    HWND GetSafeHwnd() const { return m_hWnd; }

    // MessageBoxA owned by this window; a null caption gives the application name.
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK) const;

    // The control `id` of this dialog; its handle is null when there is none.
    CWnd GetDlgItem(int id) const { return CWnd(::GetDlgItem(m_hWnd, id)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    void SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }

    // The window menu, or null when the window has none.
    HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }

    // Centres the window over its owner, or on the work area of its monitor when it has
    // no visible owner, and keeps it inside that work area.
    void CenterWindow() const;

    // The platform's default processing (DefWindowProcA, where the dialog manager sends
    // these messages too) of the message that a handler took, for handlers that add to
    // it rather than replace it.
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    void OnPaint();
    void OnSysCommand(UINT nID, LPARAM lParam);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);

    HWND m_hWnd = nullptr;
};

}  // namespace framework
