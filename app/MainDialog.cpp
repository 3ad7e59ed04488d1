#include "app/MainDialog.h"

#include "app/AboutDialog.h"
#include "app/BuildInfo.h"
#include "app/BuildInfoChord.h"
#include "framework/WinApp.h"
#include "setup/ModelName.h"
#include "app/PortDialog.h"

namespace {

// The platform keeps the low four bits of a system command for itself.
constexpr UINT kSysCommandMask = 0xFFF0;
constexpr int kKeyDownBit = 0x8000;
// An item text of the string table is far shorter.
constexpr int kMenuTextBufferSize = 256;

const char* const kMainCaption = "打印机驱动安装程序";
const char* const kBuildInfoCaption = "关于本程序...";

bool IsKeyDown(int virtualKey) { return (::GetAsyncKeyState(virtualKey) & kKeyDownBit) != 0; }

}  // namespace

const framework::MessageMap* CKELVARO80SeriesDlg::GetMessageMap() const {
    static const framework::MessageMapEntry entries[] = {
        framework::MapSysCommand<&CKELVARO80SeriesDlg::OnSysCommand>(),
        framework::MapPaint<&CKELVARO80SeriesDlg::OnPaint>(),
        framework::MapQueryDragIcon<&CKELVARO80SeriesDlg::OnQueryDragIcon>(),
        framework::MapCommand<&CKELVARO80SeriesDlg::OnInstall>(IDC_INSTALL, BN_CLICKED),
        framework::MapCtlColor<&CKELVARO80SeriesDlg::OnCtlColor>(),
        framework::MapDrawItem<&CKELVARO80SeriesDlg::OnDrawItem>(),
        framework::MapSetCursor<&CKELVARO80SeriesDlg::OnSetCursor>(),
    };
    static const framework::MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
}

CKELVARO80SeriesDlg::CKELVARO80SeriesDlg(framework::CWnd* pParent)
    : CDialog(IDD, pParent),
      m_appIcon(::LoadIconW(framework::AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDI_APP))),
      m_installSequence(m_system, *this) {}

BOOL CKELVARO80SeriesDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    const HMENU systemMenu = GetSystemMenu(FALSE);
    if (systemMenu != nullptr) {
        char aboutText[kMenuTextBufferSize] = {};
        ::LoadStringA(framework::AfxGetInstanceHandle(), IDS_ABOUT_MENU, aboutText,
                      kMenuTextBufferSize);
        if (aboutText[0] != '\0') {
            ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_appIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_appIcon));

    // A picture that does not load leaves its control without one; nothing is told.
    m_installPicture.LoadBitmap(IDB_INSTALL_BUTTON);
    GetDlgItem(IDC_INSTALL).SendMessage(BM_SETIMAGE, IMAGE_BITMAP,
                                        reinterpret_cast<LPARAM>(m_installPicture.GetSafeHandle()));
    m_backgroundPicture.LoadBitmap(IDB_BACKGROUND);
    SetWindowText(kMainCaption);
    // The static hands back the placeholder it loaded from the template, which is then
    // ours to release. The static takes the new picture's size.
    const framework::CBitmap placeholder(reinterpret_cast<HBITMAP>(
        GetDlgItem(IDC_BACKGROUND)
            .SendMessage(STM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(m_backgroundPicture.GetSafeHandle()))));

    RewriteModelName(g_modelName);
    return TRUE;
}

// Before the dialog manager sees the message: the build-information chord.
BOOL CKELVARO80SeriesDlg::PreTranslateMessage(MSG* pMsg) {
    if (buildinfo::IsBuildInfoChord(pMsg->wParam, IsKeyDown)) {
        CWnd::MessageBox(BuildInformationText().c_str(), kBuildInfoCaption, 0);
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CKELVARO80SeriesDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & kSysCommandMask) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

// Minimised, the window shows its icon centred in the client area.
void CKELVARO80SeriesDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    framework::CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_appIcon);
}

HCURSOR CKELVARO80SeriesDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_appIcon); }

void CKELVARO80SeriesDlg::OnInstall() {
    ++m_installDepth;
    m_installSequence.OnInstall();
    if (--m_installDepth == 0) m_progress.Remove();
}

HBRUSH CKELVARO80SeriesDlg::OnCtlColor(framework::CDC* pDC, framework::CWnd* pWnd,
                                       UINT nCtlColor) {
    return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CKELVARO80SeriesDlg::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) {
    if (!m_progress.Draw(*lpDrawItemStruct)) CDialog::OnDrawItem(nIDCtl, lpDrawItemStruct);
}

// The wait cursor over the window while a run is under way.
BOOL CKELVARO80SeriesDlg::OnSetCursor(framework::CWnd* pWnd, UINT nHitTest, UINT message) {
    if (m_progress.IsShown() && nHitTest == HTCLIENT) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
    }
    return CDialog::OnSetCursor(pWnd, nHitTest, message);
}

int CKELVARO80SeriesDlg::MessageBox(const std::string& text, const std::string& caption,
                                    uint32_t type) {
    return CWnd::MessageBox(text.c_str(), caption.c_str(), type);
}

int CKELVARO80SeriesDlg::AfxMessageBox(const std::string& text, uint32_t type) {
    return framework::AfxMessageBox(text.c_str(), type);
}

// Only queued: the install run goes on, and the next modal loop of the thread ends.
void CKELVARO80SeriesDlg::PostQuit() { PostMessage(WM_QUIT, 0, 0); }

int CKELVARO80SeriesDlg::RunPortDialog() {
    CSELDlg dlg;
    return static_cast<int>(dlg.DoModal());
}

void CKELVARO80SeriesDlg::ShowProgress(sys::RunStep step, int done, int total) {
    m_progress.Show(m_hWnd, step, done, total);
}
