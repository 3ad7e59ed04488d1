#include "app/SetupApp.h"

#include "app/MainDialog.h"

CKELVARO80SeriesApp theApp;

// No name of its own: the application is named after the program file.
CKELVARO80SeriesApp::CKELVARO80SeriesApp() : CWinApp(nullptr) {}

// FALSE: the work is done once the main window's modal run ends, so the framework
// starts no message loop and the process exits.
BOOL CKELVARO80SeriesApp::InitInstance() {
    framework::AfxEnableControlContainer();
    CKELVARO80SeriesDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return FALSE;
}
