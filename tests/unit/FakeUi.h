#pragma once
// A recording main window. It keeps the pending-quit rules of the platform's modal
// loops: once a quit is posted, the next message box closes at once (and the quit is
// posted again), and the port dialog returns -1.

#include <functional>
#include <string>
#include <vector>

#include "sys/UiPort.h"

namespace fake {

struct Box {
    bool afx = false;           // AfxMessageBox rather than CWnd::MessageBox
    std::string text;
    std::string caption;        // for AfxMessageBox the application name
    uint32_t type = 0;          // the style shown, after the framework's icon rule
    bool closedByQuit = false;  // a pending quit closed it without the user
};

class FakeUi : public sys::UiPort {
public:
    // The program file is setup.exe.
    static constexpr const char* kApplicationName = "setup";

    int portChoice = 85;  // what the user picks in the port dialog
    // Run while the port dialog is open, e.g. to change the spooler meanwhile.
    std::function<void()> onPortDialog;
    // When set, every event is appended here as well, e.g. to the fake system's call
    // log, so that boxes and platform calls can be read in one order.
    std::vector<std::string>* timeline = nullptr;

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
    void Record(const std::string& event);
};

}  // namespace fake
