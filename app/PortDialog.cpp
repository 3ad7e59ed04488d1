#include "app/PortDialog.h"

#include "setup/PortChoice.h"

namespace {

constexpr COLORREF kLabelBlue = RGB(0, 64, 200);
constexpr COLORREF kEdit1Magenta = RGB(255, 0, 255);
constexpr COLORREF kEdit2Blue = RGB(0, 0, 255);
constexpr COLORREF kParallelButtonBlue = RGB(0, 0, 255);

// The large button's captions. The template's "U S B" has no outer blanks; these do.
const char* const kUsbCaption = " U S B ";
const char* const kParallelCaption = " 并 口 ";

constexpr int kPortFontHeight = 38;
constexpr BYTE kSwissDefaultPitch = FF_SWISS | DEFAULT_PITCH;
constexpr int kDisabledInset = 2;
constexpr int kFrameInset = 2;
constexpr int kCaptionBufferSize = 260;

}  // namespace

const framework::MessageMap* CSELDlg::GetMessageMap() const {
    static const framework::MessageMapEntry entries[] = {
        framework::MapCtlColor<&CSELDlg::OnCtlColor>(),
        framework::MapDrawItem<&CSELDlg::OnDrawItem>(),
        framework::MapCommand<&CSELDlg::OnPortButton>(IDC_PORT_BUTTON, BN_CLICKED),
        framework::MapCommand<&CSELDlg::OnParallelButton>(IDC_PARALLEL_BUTTON, BN_CLICKED),
        framework::MapCommand<&CSELDlg::OnParallelCheck>(IDC_PARALLEL_CHECK, BN_CLICKED),
    };
    static const framework::MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
}

CSELDlg::CSELDlg(framework::CWnd* pParent) : CDialog(IDD, pParent) {}

BOOL CSELDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Without a font the button draws in the system font; nothing else changes.
    m_portFont.CreateFont(kPortFontHeight, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                          ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          DEFAULT_QUALITY, kSwissDefaultPitch, nullptr);
    GetDlgItem(IDC_PORT_BUTTON)
        .SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_portFont.GetSafeHandle()), TRUE);
    return TRUE;
}

// Only text colours change: brush and background stay the platform's. A check box asks
// under CTLCOLOR_STATIC, so the label of 1006 comes out in the blue.
HBRUSH CSELDlg::OnCtlColor(framework::CDC* pDC, framework::CWnd* pWnd, UINT nCtlColor) {
    const HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (nCtlColor == CTLCOLOR_STATIC) {
        pDC->SetTextColor(kLabelBlue);
    } else if (nCtlColor == CTLCOLOR_EDIT) {
        const int id = pWnd->GetDlgCtrlID();
        if (id == IDC_PORT_EDIT1) pDC->SetTextColor(kEdit1Magenta);
        if (id == IDC_PORT_EDIT2) pDC->SetTextColor(kEdit2Blue);
    }
    return brush;
}

// Every notification redraws the whole button; there is no focus rectangle. The caption
// is drawn in the font the platform selected for the control (m_portFont for 1002).
void CSELDlg::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) {
    if (nIDCtl == IDC_PORT_BUTTON || nIDCtl == IDC_PARALLEL_BUTTON) {
        const DRAWITEMSTRUCT& item = *lpDrawItemStruct;
        const framework::CDC dc(item.hDC);  // lent by the platform for this message
        RECT rect = item.rcItem;
        if (item.itemState & ODS_DISABLED) {
            rect.left += kDisabledInset;
            rect.top += kDisabledInset;
        } else {
            const UINT edge = (item.itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED;
            dc.DrawEdge(&rect, edge, BF_RECT);
        }
        dc.SetTextColor(nIDCtl == IDC_PORT_BUTTON ? kLabelBlue : kParallelButtonBlue);
        if (nIDCtl == IDC_PORT_BUTTON) {
            dc.Rectangle(rect.left + kFrameInset, rect.top + kFrameInset,
                         rect.right - kFrameInset, rect.bottom - kFrameInset);
        }
        char caption[kCaptionBufferSize] = {};
        ::GetWindowTextA(item.hwndItem, caption, kCaptionBufferSize);
        dc.DrawText(caption, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    CDialog::OnDrawItem(nIDCtl, lpDrawItemStruct);
}

void CSELDlg::OnPortButton() { EndDialog(IsParallelChecked() ? PORT_PARALLEL : PORT_USB); }

void CSELDlg::OnParallelButton() { EndDialog(PORT_PARALLEL); }

// The check box has toggled itself by the time it notifies.
void CSELDlg::OnParallelCheck() {
    GetDlgItem(IDC_PORT_BUTTON)
        .SetWindowText(IsParallelChecked() ? kParallelCaption : kUsbCaption);
}

bool CSELDlg::IsParallelChecked() const {
    return GetDlgItem(IDC_PARALLEL_CHECK).SendMessage(BM_GETCHECK) != 0;
}
