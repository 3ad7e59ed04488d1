#include "framework/Dialog.h"

#include "framework/WinApp.h"

namespace framework {

namespace {

// The messages whose result a dialog procedure returns itself instead of putting it
// into DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
           message == WM_QUERYDRAGICON || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM;
}

}  // namespace

const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, WPARAM wParam) {
    for (; map != nullptr; map = map->base) {
        for (std::size_t i = 0; i < map->count; ++i) {
            if (map->entries[i].Matches(message, wParam)) return &map->entries[i];
        }
    }
    return nullptr;
}

CDialog::CDialog(UINT templateId, CWnd* pParentWnd)
    : m_templateId(templateId), m_pParentWnd(pParentWnd) {}

const MessageMap* CDialog::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapCommand<&CDialog::OnOK>(IDOK, BN_CLICKED),
        MapCommand<&CDialog::OnCancel>(IDCANCEL, BN_CLICKED),
    };
    static const MessageMap map{nullptr, entries};
    return &map;
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) {
    m_modalResult = result;
    m_continueModal = false;
    // The dialog manager learns the result too, and hides the dialog at once.
    ::EndDialog(m_hWnd, result);
    // Wakes the loop should it be waiting in GetMessage (a sent message got us here).
    PostMessage(WM_NULL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) { return ::IsDialogMessageA(m_hWnd, pMsg); }

HWND CDialog::ChooseOwner() const {
    CWnd* owner = m_pParentWnd;
    if (owner == nullptr && AfxGetApp() != nullptr) owner = AfxGetApp()->m_pMainWnd;
    if (owner == nullptr || owner == this || owner->GetSafeHwnd() == nullptr) return nullptr;
    // A dialog is owned by a top-level window, never by a control.
    return ::GetAncestor(owner->GetSafeHwnd(), GA_ROOT);
}

INT_PTR CDialog::DoModal() {
    const HWND owner = ChooseOwner();
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);

    m_continueModal = true;
    m_modalResult = -1;
    INT_PTR result = -1;
    if (::CreateDialogParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_templateId), owner,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr) {
        result = RunModalLoop();
    }

    // The owner is enabled before the dialog goes, so that the platform hands it the
    // activation rather than some other program's window.
    if (disableOwner) ::EnableWindow(owner, TRUE);
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
    return result;
}

bool CDialog::IsOwnMessage(const MSG& msg) const {
    return msg.hwnd != nullptr && (msg.hwnd == m_hWnd || ::IsChild(m_hWnd, msg.hwnd));
}

INT_PTR CDialog::RunModalLoop() {
    // A dialog whose template is not visible is shown once the queue is empty, as the
    // platform's own modal loop does: a dialog that a pending quit ends never shows.
    bool shown = (GetStyle() & WS_VISIBLE) != 0;
    MSG msg;
    while (m_continueModal && m_hWnd != nullptr) {
        if (!shown && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
            shown = true;
        }
        if (!::GetMessageA(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return -1;
        }
        if (IsOwnMessage(msg) && PreTranslateMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return m_modalResult;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
        dialog->m_hWnd = window;
        const BOOL focusFirstTabStop = dialog->OnInitDialog();
        dialog->CenterWindow();
        return focusFirstTabStop;
    }
    // Messages before WM_INITDIALOG (WM_SETFONT) find no dialog yet and get the
    // platform's default processing.
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (dialog == nullptr) return FALSE;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
        // A main window that is gone owns nothing any more.
        CWinApp* app = AfxGetApp();
        if (app != nullptr && app->m_pMainWnd == dialog) app->m_pMainWnd = nullptr;
        return FALSE;
    }
    return dialog->HandleMessage(message, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const MessageMapEntry* entry = FindMessageEntry(GetMessageMap(), message, wParam);
    if (entry == nullptr) return FALSE;
    // A handler may destroy the window (and so clear m_hWnd): keep the handle.
    const HWND window = m_hWnd;
    const LRESULT result = entry->handler(*this, message, wParam, lParam);
    if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
    if (::IsWindow(window)) ::SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace framework
