#pragma once
// SilentSetup.exe: the window program's install run (or its removal of earlier
// installations) without any window, for deployment tools. It takes its choices from
// the command line, stops at the end of the first step that fails, writes a log and
// tells the outcome by its exit code (silent/ExitCodes.h).

#include <string>
#include <vector>

#include "sys/System.h"
#include "sys/UnattendedSystem.h"

namespace silent {

// The log when /log names none: the model's name in the temporary folder.
inline constexpr const char* kDefaultLogName = "RT450.log";
// Held by a run for its whole length, across sessions.
inline constexpr const char* kRunMutexName = "Global\\RT450-SilentSetup";
// The window program's main window, found by its dialog class and caption.
inline constexpr const char* kDialogClass = "#32770";
inline constexpr const char* kWindowProgramCaption = "打印机驱动安装程序";

// The arguments as the C runtime split them, without the program's name; returns the
// exit code.
int RunSilentSetup(sys::System& system, sys::UnattendedSystem& unattended,
                   const std::vector<std::string>& args);

// The text that /? shows, lines parted by CR LF.
std::string UsageText();

}  // namespace silent
