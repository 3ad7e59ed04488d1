#include "framework/Wnd.h"

#include <algorithm>

#include "framework/WinApp.h"

namespace framework {

namespace {

LONG Width(const RECT& rect) { return rect.right - rect.left; }
LONG Height(const RECT& rect) { return rect.bottom - rect.top; }

// Where a span of `size` starts when centred on [first, last) and then moved inside
// [areaFirst, areaLast); a span larger than the area starts at the area's start.
LONG CentredStart(LONG size, LONG first, LONG last, LONG areaFirst, LONG areaLast) {
    const LONG start = first + (last - first - size) / 2;
    return std::max(areaFirst, std::min(start, areaLast - size));
}

}  // namespace

int CWnd::MessageBox(const char* text, const char* caption, UINT type) const {
    if (caption == nullptr) caption = AfxGetAppName();
    return ::MessageBoxA(m_hWnd, text, caption, type);
}

void CWnd::CenterWindow() const {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return;
    const RECT area = monitor.rcWork;

    RECT around = area;
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &around);

    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    const LONG x = CentredStart(Width(window), around.left, around.right, area.left, area.right);
    const LONG y = CentredStart(Height(window), around.top, around.bottom, area.top, area.bottom);
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HBRUSH CWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    return reinterpret_cast<HBRUSH>(::DefWindowProcA(
        m_hWnd, WM_CTLCOLORMSGBOX + nCtlColor, reinterpret_cast<WPARAM>(pDC->GetSafeHdc()),
        reinterpret_cast<LPARAM>(pWnd->GetSafeHwnd())));
}

void CWnd::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) {
    ::DefWindowProcA(m_hWnd, WM_DRAWITEM, static_cast<WPARAM>(nIDCtl),
                     reinterpret_cast<LPARAM>(lpDrawItemStruct));
}

void CWnd::OnPaint() { ::DefWindowProcA(m_hWnd, WM_PAINT, 0, 0); }

void CWnd::OnSysCommand(UINT nID, LPARAM lParam) {
    ::DefWindowProcA(m_hWnd, WM_SYSCOMMAND, nID, lParam);
}

BOOL CWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
    return static_cast<BOOL>(::DefWindowProcA(m_hWnd, WM_SETCURSOR,
                                              reinterpret_cast<WPARAM>(pWnd->GetSafeHwnd()),
                                              MAKELPARAM(nHitTest, message)));
}

}  // namespace framework
