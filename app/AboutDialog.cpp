#include "app/AboutDialog.h"

#include "app/Copyright.h"
#include "framework/WinApp.h"

namespace {

// The icon is shown at this size whatever the system's icon size.
constexpr int kAboutIconSize = 32;

}  // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD) {}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_aboutIcon.Reset(static_cast<HICON>(
        ::LoadImageA(framework::AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                     kAboutIconSize, kAboutIconSize, LR_DEFAULTCOLOR)));
    // The icon that the control loaded from the template is a shared one: not ours to
    // release.
    GetDlgItem(IDC_ABOUT_ICON)
        .SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(m_aboutIcon.Get()), 0);
    SetWindowText("关于安装程序...");
    GetDlgItem(IDC_ABOUT_VERSION).SetWindowText("Zorq 80 Series 1.1 版");
    GetDlgItem(IDC_ABOUT_NOTICE).SetWindowText(kCopyrightLine);
    return TRUE;
}
