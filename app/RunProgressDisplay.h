#pragma once
// The status line of an install run in the main window: what the run is doing and a
// thin bar of how far it is, in the white panel under the cable picture. It exists only
// while a run is under way, so that the window looks as designed before and after.
//
// It is an owner-drawn static (IDC_PROGRESS) whose window text is the status line, so
// that other programs (and the tests' robot) read it with WM_GETTEXT. The main window
// hands it its WM_DRAWITEM. A change is painted by the next pause of the run (which
// paints whatever is marked for painting) or the next modal loop.

#include <string>

#include "framework/WindowsHeaders.h"
#include "sys/UiPort.h"

class RunProgressDisplay {
public:
    RunProgressDisplay() = default;
    ~RunProgressDisplay();
    RunProgressDisplay(const RunProgressDisplay&) = delete;
    RunProgressDisplay& operator=(const RunProgressDisplay&) = delete;

    // Creates the line on the first call, over `parent`, and shows the wait cursor.
    void Show(HWND parent, sys::RunStep step, int done, int total);
    // Removes the line and repaints what it covered.
    void Remove();
    bool IsShown() const { return m_control != nullptr; }

    // WM_DRAWITEM of the line; false for other controls.
    bool Draw(const DRAWITEMSTRUCT& item) const;

private:
    HWND m_control = nullptr;
    std::string m_text;
    int m_percent = 0;
};

// The status text and the share of the whole run (0 to 100) for a report of the run.
std::string RunProgressText(sys::RunStep step, int done, int total);
int RunProgressPercent(sys::RunStep step, int done, int total);
