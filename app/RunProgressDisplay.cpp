#include "app/RunProgressDisplay.h"

#include <algorithm>

#include "framework/WinApp.h"
#include "res/resource.h"

namespace {

// In dialog units, so that it keeps its place on the background picture whatever the
// font metrics: under the cable picture, across the middle of the white panel.
constexpr RECT kPlaceInDialogUnits = {205, 318, 205 + 238, 318 + 26};
// The colours of the panel: its white, the grey of its text, the blue of its heading.
constexpr COLORREF kPanelWhite = RGB(255, 255, 255);
constexpr COLORREF kTextGrey = RGB(80, 80, 80);
constexpr COLORREF kBarBlue = RGB(24, 90, 180);
constexpr COLORREF kTrackGrey = RGB(222, 228, 236);
constexpr int kBarHeight = 6;

// The removal takes most of a run's time on the hosts where it works.
struct StepShare {
    int start;
    int span;
};
StepShare ShareOf(sys::RunStep step) {
    switch (step) {
    case sys::RunStep::Removal: return {0, 80};
    case sys::RunStep::Staging: return {80, 10};
    case sys::RunStep::Installation: return {90, 10};
    case sys::RunStep::Finished: break;
    }
    return {100, 0};
}

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    const HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(dc, &rect, brush);
    ::DeleteObject(brush);
}

}  // namespace

int RunProgressPercent(sys::RunStep step, int done, int total) {
    const StepShare share = ShareOf(step);
    if (total <= 0) return share.start;
    const int part = std::clamp(done, 0, total);
    return share.start + share.span * part / total;
}

std::string RunProgressText(sys::RunStep step, int done, int total) {
    std::string text;
    switch (step) {
    case sys::RunStep::Removal:
        text = "正在清除以前安装的打印机 (" + std::to_string(done + 1) + "/" +
               std::to_string(total) + ")";
        break;
    case sys::RunStep::Staging: text = "正在复制驱动程序文件"; break;
    case sys::RunStep::Installation: text = "正在安装打印机驱动程序"; break;
    case sys::RunStep::Finished: text = "安装过程已结束"; break;
    }
    return text + "  " + std::to_string(RunProgressPercent(step, done, total)) + "%";
}

RunProgressDisplay::~RunProgressDisplay() { Remove(); }

void RunProgressDisplay::Show(HWND parent, sys::RunStep step, int done, int total) {
    if (m_control == nullptr) {
        RECT place = kPlaceInDialogUnits;
        ::MapDialogRect(parent, &place);
        m_control = ::CreateWindowExA(
            0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, place.left, place.top,
            place.right - place.left, place.bottom - place.top, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PROGRESS)),
            framework::AfxGetInstanceHandle(), nullptr);
        if (m_control == nullptr) return;
        ::SendMessageA(m_control, WM_SETFONT, ::SendMessageA(parent, WM_GETFONT, 0, 0), FALSE);
        ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    }
    const std::string text = RunProgressText(step, done, total);
    if (text == m_text) return;
    m_text = text;
    m_percent = RunProgressPercent(step, done, total);
    // The text is kept as the window's text without the static's own handling of
    // WM_SETTEXT, which would paint at once: a run reports far more often than anyone
    // can read, and the pauses of the run paint what is marked for painting.
    ::DefWindowProcA(m_control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_text.c_str()));
    ::InvalidateRect(m_control, nullptr, FALSE);
}

void RunProgressDisplay::Remove() {
    if (m_control == nullptr) return;
    const HWND parent = ::GetParent(m_control);
    ::DestroyWindow(m_control);
    m_control = nullptr;
    m_text.clear();
    ::RedrawWindow(parent, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
}

bool RunProgressDisplay::Draw(const DRAWITEMSTRUCT& item) const {
    if (m_control == nullptr || item.hwndItem != m_control) return false;
    const HDC dc = item.hDC;
    const RECT whole = item.rcItem;
    Fill(dc, whole, kPanelWhite);

    RECT textRect = whole;
    textRect.bottom -= kBarHeight + 2;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kTextGrey);
    ::DrawTextA(dc, m_text.c_str(), -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

    RECT track = whole;
    track.top = whole.bottom - kBarHeight;
    Fill(dc, track, kTrackGrey);
    RECT bar = track;
    bar.right = track.left + (track.right - track.left) * m_percent / 100;
    Fill(dc, bar, kBarBlue);
    return true;
}
