#pragma once
// What the install logic asks of its user interface. It sits beside the seam so that
// every layer that shows a box (host/, package/, setup/) includes it downwards.
// The main window implements it on the real platform; tests use a recording fake that
// keeps the pending-quit rules.

#include <cstdint>
#include <string>

namespace sys {

constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbIconInformation = 0x40;

class UiPort {
public:
    virtual ~UiPort() = default;
    // CWnd::MessageBox on the main window.
    virtual int MessageBox(const std::string& text, const std::string& caption,
                           uint32_t type) = 0;
    // The framework's application message box: application name as caption, and the
    // warning icon added when the type names no icon.
    virtual int AfxMessageBox(const std::string& text, uint32_t type) = 0;
    // PostMessageA(main window, WM_QUIT, 0, 0).
    virtual void PostQuit() = 0;
    // Constructs CSELDlg without a parent and runs DoModal; returns its result.
    virtual int RunPortDialog() = 0;
};

}  // namespace sys
