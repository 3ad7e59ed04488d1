#pragma once
// The log of an unattended run: one line per event, with the local time and the step it
// belongs to, for a person who reads it afterwards. The file is UTF-8 with a byte-order
// mark, which every Windows editor opens without garbling the Chinese texts, and has
// CR LF line ends. Lines are appended as they happen, so a run that hangs or is killed
// leaves what it did. A log that cannot be written is passed over: it never stops a run.

#include <string>

#include "sys/System.h"
#include "sys/UnattendedSystem.h"

namespace silent {

class InstallLog {
public:
    InstallLog(sys::System& system, sys::UnattendedSystem& unattended)
        : system_(system), unattended_(unattended) {}

    // Where the lines go; an empty path writes none.
    void Open(const std::string& path) { path_ = path; }
    const std::string& Path() const { return path_; }
    // The step that the next lines belong to.
    void SetStep(const std::string& step) { step_ = step; }
    // One line; the text is in code page 936 and may hold line feeds, which the line
    // shows as "\n" so that it stays one line.
    void Write(const std::string& text);

private:
    sys::System& system_;
    sys::UnattendedSystem& unattended_;
    std::string path_;
    std::string step_;
};

// "2026-12-10 14:50:01.023": the time as the log's lines show it.
std::string TimeStamp(const sys::LocalTime& time);

}  // namespace silent
