#pragma once
// A recording main window. It keeps the pending-quit rules of the platform's modal
// loops: once a quit is posted, the next message box closes at once (and the quit is
// posted again), and the port dialog returns -1.

#include <string>
#include <vector>

#include "sys/UiPort.h"

namespace fake {

struct Box {
    bool afx = false;           // AfxMessageBox rather than CWnd::MessageBox
    std::string text;
    std::string caption;        // empty for AfxMessageBox (the application name)
    uint32_t type = 0;
    bool closedByQuit = false;  // a pending quit closed it without the user
};

class FakeUi : public sys::UiPort {
public:
    int portChoice = 85;  // what the user picks in the port dialog

    std::vector<Box> boxes;
    std::vector<std::string> events;  // "box <text>", "quit", "port <result>" in order
    int quitsPosted = 0;
    int portDialogRuns = 0;

    bool QuitPending() const { return quitsPosted > 0; }
    std::vector<std::string> Texts() const;

    int MessageBox(const std::string& text, const std::string& caption,
                   uint32_t type) override;
    int AfxMessageBox(const std::string& text, uint32_t type) override;
    void PostQuit() override;
    int RunPortDialog() override;

private:
    int Show(Box box);
};

}  // namespace fake
