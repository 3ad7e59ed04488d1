#pragma once
// Verification of the package files and their copy into a staging destination. Both
// tell the user of every failure themselves, in boxes on the main window.

#include <string>

#include "sys/UiPort.h"
#include "sys/System.h"

namespace package {

// The caption of the boxes that tell a staging failure; their text is what the system
// gave (a folder, an error text).
inline constexpr const char* kInstallErrorCaption = "安装错误";

// 1 when the seven files of the chosen variant exist; 0 after naming the first missing
// one.
int VerifyPackageFiles(sys::System& system, sys::UiPort& ui);
// Copies the seven files into stagingDir; 1 when all were handled, 0 after telling the
// user why a copy failed. Files copied before a failure stay.
int StageDriverFiles(sys::System& system, sys::UiPort& ui, const std::string& stagingDir);
// The system's text for an error code, or its number when the system has none.
std::string ErrorText(sys::System& system, uint32_t code);

}  // namespace package
