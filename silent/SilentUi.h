#pragma once
// The unattended installer's user interface: no window at all. Each message box that the
// window program would show goes into the log with its caption and text, and the port
// dialog answers with the port from the command line.

#include <cstdint>
#include <string>

#include "silent/InstallLog.h"
#include "sys/UiPort.h"

namespace silent {

// The caption of the window program's application message boxes: its program name.
inline constexpr const char* kWindowProgramName = "setup";

class SilentUi final : public sys::UiPort {
public:
    SilentUi(InstallLog& log, int portChoice) : log_(log), portChoice_(portChoice) {}

    int MessageBox(const std::string& text, const std::string& caption,
                   uint32_t type) override;
    int AfxMessageBox(const std::string& text, uint32_t type) override;
    // The run stops after a failed step by itself; a quit message has nothing to end.
    void PostQuit() override {}
    int RunPortDialog() override;

private:
    InstallLog& log_;
    int portChoice_;
};

}  // namespace silent
