#pragma once
// What the install logic asks of its user interface. It sits beside the seam so that
// every layer that shows a box (host/, package/, setup/) includes it downwards.
// The main window implements it on the real platform; tests use a recording fake that
// keeps the pending-quit rules.

#include <cstdint>
#include <string>

namespace sys {

constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbIconMask = 0xF0;
constexpr uint32_t kMbIconWarning = 0x30;  // MB_ICONEXCLAMATION
constexpr uint32_t kMbIconInformation = 0x40;

// The style in which the framework's application box shows a type: with the warning
// icon when the type names no icon.
constexpr uint32_t AfxMessageBoxStyle(uint32_t type) {
    return (type & kMbIconMask) == 0 ? type | kMbIconWarning : type;
}

// The steps of an install run that a progress display tells apart, in run order.
enum class RunStep { Removal, Staging, Installation, Finished };

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
    // Where the run stands: `done` of the `total` parts of `step` are behind it. A run
    // reports its steps in order and never goes back within one. Showing it is the
    // window's business; a port without a display ignores it.
    virtual void ShowProgress(RunStep /*step*/, int /*done*/, int /*total*/) {}
};

}  // namespace sys
