#pragma once
// CKELVARO80SeriesDlg: the main installer window. A large picture with the install
// button on it; the system menu opens the About box and a hidden key chord the
// build-information box. It is also what the install logic sees of the user interface.

#include <cstdint>
#include <string>

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "app/RunProgressDisplay.h"
#include "res/resource.h"
// Before anything that declares sys::System, whose method names <windows.h> would
// otherwise rename by macro.
#include "sys/WindowsApi.h"
#include "setup/InstallSequence.h"
#include "sys/UiPort.h"
#include "sys/Win32System.h"

class CKELVARO80SeriesDlg : public framework::CDialog, public sys::UiPort {
public:
    enum { IDD = IDD_MAIN };

    explicit CKELVARO80SeriesDlg(framework::CWnd* pParent = nullptr);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // sys::UiPort
    int MessageBox(const std::string& text, const std::string& caption,
                   uint32_t type) override;
    int AfxMessageBox(const std::string& text, uint32_t type) override;
    void PostQuit() override;
    int RunPortDialog() override;
    void ShowProgress(sys::RunStep step, int done, int total) override;

protected:
    BOOL OnInitDialog() override;
    const framework::MessageMap* GetMessageMap() const override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnInstall();
    HBRUSH OnCtlColor(framework::CDC* pDC, framework::CWnd* pWnd, UINT nCtlColor);
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    BOOL OnSetCursor(framework::CWnd* pWnd, UINT nHitTest, UINT message);

private:
    // Shared by the system (LoadIconW): never released.
    HICON m_appIcon;
    // Handed to the install button and the background static; they must outlive the
    // window, which the dialog object does.
    framework::CBitmap m_installPicture;
    framework::CBitmap m_backgroundPicture;

    sys::Win32System m_system;
    setup::InstallSequence m_installSequence;
    // Shown from the run's first report until the outermost OnInstall returns; the
    // depth tells a nested click (which the sequence ignores) from the run's own call.
    RunProgressDisplay m_progress;
    int m_installDepth = 0;
};
