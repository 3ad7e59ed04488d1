#pragma once
// The log of an unattended run: one line per event, with the local time, the process id
// (two runs' lines in one file stay apart) and the step it belongs to, for a person who reads it afterwards. The file is UTF-8 with a byte-order
// mark, which every Windows editor opens without garbling the Chinese texts, and has
// CR LF line ends. Lines are appended as they happen, so a run that hangs or is killed
// leaves what it did. A log that cannot be written is passed over: it never stops a run.

#include <string>
#include <vector>

#include "sys/System.h"
#include "sys/UnattendedSystem.h"

namespace silent {

// Whose bytes a piece of a line holds: the program's own texts are in its code page on
// every system; what the system gave (paths, arguments, error texts) is in the system's
// ANSI code page. ASCII reads the same in both.
enum class TextSource { Program, System };

struct LogPiece {
    TextSource source;
    std::string text;
};

class InstallLog {
public:
    InstallLog(sys::System& system, sys::UnattendedSystem& unattended)
        : system_(system), unattended_(unattended) {}

    // Opens the file at path as the log (UnattendedSystem::OpenLog): the lines go to it
    // when it is the run's own file (OwnFile), else nowhere. Every line goes through the
    // one handle opened here, never by the name again.
    sys::LogFileState Open(const std::string& path);
    // The path of the log that the lines go to; empty when there is none.
    const std::string& Path() const { return path_; }
    // The step that the next lines belong to.
    void SetStep(const std::string& step) { step_ = step; }
    // One line of the system's texts (and the program's ASCII ones). It may hold line
    // feeds, which the line shows as "\n", and carriage returns, which it drops, so that
    // it stays one line.
    void Write(const std::string& text) { Write({{TextSource::System, text}}); }
    // One line of pieces, each converted to UTF-8 from its own code page; a piece that
    // is not valid there is written as it came. The thread's last-error code is left as
    // it was: the logic reads it after the logged call.
    void Write(const std::vector<LogPiece>& pieces);

private:
    sys::System& system_;
    sys::UnattendedSystem& unattended_;
    std::string path_;
    bool empty_ = false;  // the log holds no bytes yet: the first line brings the mark
    std::string step_;
};

// "2026-12-10 14:50:01.023": the time as the log's lines show it.
std::string TimeStamp(const sys::LocalTime& time);

}  // namespace silent
