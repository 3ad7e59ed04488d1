#pragma once
// CSELDlg: the modal question how the printer is attached. DoModal returns
// PORT_PARALLEL or PORT_USB by the check box when the large button confirms, PORT_PARALLEL
// from the hidden button 1005, IDOK or IDCANCEL for Enter or Escape, and -1 when a
// pending quit ended it or it could not be created.

#include "framework/Dialog.h"
#include "res/resource.h"

class CSELDlg : public framework::CDialog {
public:
    enum { IDD = IDD_PORT };

    explicit CSELDlg(framework::CWnd* pParent = nullptr);

protected:
    BOOL OnInitDialog() override;
    const framework::MessageMap* GetMessageMap() const override;

    HBRUSH OnCtlColor(framework::CDC* pDC, framework::CWnd* pWnd, UINT nCtlColor);
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    void OnPortButton();
    void OnParallelButton();
    void OnParallelCheck();

private:
    bool IsParallelChecked() const;

    // The large button's font; the button uses it as long as the dialog exists.
    framework::CFont m_portFont;
};
