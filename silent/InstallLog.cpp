#include "silent/InstallLog.h"

#include <cstdio>
#include <string>

namespace silent {

namespace {
const char* const kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kStepWidth = 7;
}  // namespace

std::string TimeStamp(const sys::LocalTime& t) {
    char text[64];
    const auto u = [](uint16_t field) { return static_cast<unsigned>(field); };
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", u(t.year),
                  u(t.month), u(t.day), u(t.hour), u(t.minute), u(t.second),
                  u(t.milliseconds));
    return text;
}

namespace {
// The system's texts end in CR LF; inner line ends become visible escapes.
std::string OneLine(const std::string& text) {
    std::string line = text;
    // Blanks stay: the printer-setup command lines end in one.
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::string shown;
    for (char c : line) {
        if (c == '\r') continue;
        shown += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return shown;
}
}  // namespace

sys::LogFileState InstallLog::Open(const std::string& path) {
    path_.clear();
    bool empty = false;
    const sys::LogFileState state = unattended_.OpenLog(path, empty);
    if (state == sys::LogFileState::OwnFile) {
        path_ = path;
        empty_ = empty;
    }
    return state;
}

void InstallLog::Write(const std::vector<LogPiece>& pieces) {
    if (path_.empty()) return;
    const uint32_t lastError = system_.GetLastError();
    std::string text;
    for (const LogPiece& piece : pieces) {
        std::string utf8;
        const uint32_t codePage =
            piece.source == TextSource::Program ? sys::kProgramCodePage : sys::kCpAcp;
        text += unattended_.ToUtf8(codePage, piece.text, utf8) ? utf8 : piece.text;
    }
    std::string step = step_;
    if (step.size() < kStepWidth) step.resize(kStepWidth, ' ');
    std::string bytes = TimeStamp(unattended_.GetLocalTime()) + "  [" +
                        std::to_string(unattended_.GetCurrentProcessId()) + "]  " + step +
                        "  " + OneLine(text) + "\r\n";
    // A new or empty file starts with the mark; an earlier run's log is appended to.
    if (empty_) bytes = kByteOrderMark + bytes;
    if (unattended_.AppendLog(bytes)) empty_ = false;
    if (system_.GetLastError() != lastError) system_.SetLastError(lastError);
}

}  // namespace silent
