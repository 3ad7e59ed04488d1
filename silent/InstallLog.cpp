#include "silent/InstallLog.h"

#include <cstdio>

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

void InstallLog::Write(const std::string& text) {
    if (path_.empty()) return;
    std::string step = step_;
    if (step.size() < kStepWidth) step.resize(kStepWidth, ' ');
    const std::string line =
        TimeStamp(unattended_.GetLocalTime()) + "  " + step + "  " + OneLine(text) + "\r\n";
    std::string bytes = unattended_.CodePage936ToUtf8(line);
    // A new or empty file starts with the mark; an earlier run's log is appended to.
    sys::FileStamp stamp;
    if (!system_.GetFileStamp(path_, stamp) || stamp.size == 0) bytes = kByteOrderMark + bytes;
    unattended_.AppendFile(path_, bytes);
}

}  // namespace silent
