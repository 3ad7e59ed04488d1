#pragma once
// CDialog: a modal dialog on a template of the program's resources.
//
// DoModal creates the dialog with CreateDialogParamA and runs a modal loop of the
// framework's own rather than the platform's DialogBox loop, so that the dialog sees
// every message of its window and controls in PreTranslateMessage before the dialog
// manager does. The loop keeps the platform's rule for a pending quit: WM_QUIT ends the
// loop with -1 and is posted again, so that it ends every enclosing loop as well.

#include "framework/MessageMap.h"
#include "framework/WindowsHeaders.h"
#include "framework/Wnd.h"

namespace framework {

class CDialog : public CWnd {
public:
    // pParentWnd owns the dialog while it runs; without one, the application's main
    // window does (unless the dialog is the main window itself).
    explicit CDialog(UINT templateId, CWnd* pParentWnd = nullptr);
    // DoModal has destroyed the window by the time it returns, so the object may go
    // whenever no DoModal of it is running.
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Creates the dialog, disables its owner, runs the modal loop and, at its end,
    // enables the owner again and destroys the window. Once OnInitDialog has run, the
    // dialog is centred over its owner (on the screen when it has none). Returns what
    // EndDialog was given, or -1 when the dialog could not be created or a quit message
    // ended the loop.
    virtual INT_PTR DoModal();

    // Ends the modal loop after the message being handled; DoModal returns `result`.
    void EndDialog(int result);

    // Offered every message that the modal loop takes for the dialog or one of its
    // controls, before anything else sees it. TRUE when the message has been dealt
    // with. The base hands keyboard navigation to the dialog manager (IsDialogMessage).
    virtual BOOL PreTranslateMessage(MSG* pMsg);

protected:
    // Called once the controls exist and before the dialog is shown. TRUE lets the
    // dialog manager give the focus to the first tab stop.
    virtual BOOL OnInitDialog();
    // IDOK and IDCANCEL (Enter, Escape, the close button) end the dialog with that id.
    virtual void OnOK();
    virtual void OnCancel();

    // The class's message map; see MessageMap.h. The base maps IDOK and IDCANCEL.
    virtual const MessageMap* GetMessageMap() const;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND ChooseOwner() const;
    INT_PTR RunModalLoop();
    bool IsOwnMessage(const MSG& msg) const;

    UINT m_templateId;
    CWnd* m_pParentWnd;
    bool m_continueModal = false;
    int m_modalResult = -1;
};

}  // namespace framework
