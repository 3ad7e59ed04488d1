#pragma once
// CAboutDlg: the About box that the main window's system menu opens. It adds no
// handlers: OK, Escape and the close button end it through CDialog.

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "res/resource.h"

class CAboutDlg : public framework::CDialog {
public:
    enum { IDD = IDD_ABOUTBOX };

    CAboutDlg();

protected:
    BOOL OnInitDialog() override;

private:
    // Shown by control 1005 while the box exists; released with the box.
    framework::OwnedIcon m_aboutIcon;
};
