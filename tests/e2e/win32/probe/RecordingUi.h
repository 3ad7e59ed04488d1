#pragma once
// The probe's stand-in for the main window: every box that the logic asks for is
// written to the probe's log instead of being shown.

#include <string>

#include "sys/UiPort.h"

namespace e2e {

class RecordingUi final : public sys::UiPort {
public:
    explicit RecordingUi(std::wstring logPath) : logPath_(std::move(logPath)) {}

    int MessageBox(const std::string& text, const std::string& caption,
                   uint32_t type) override;
    int AfxMessageBox(const std::string& text, uint32_t type) override;
    void PostQuit() override;
    // The probe runs no install, so the logic never asks for the port; recorded all the
    // same, and answered as a dialog that could not be created.
    int RunPortDialog() override;

private:
    std::wstring logPath_;
};

}  // namespace e2e
