#include "silent/LogLocation.h"

namespace silent {

namespace {

bool Writable(sys::LogFileState state) {
    return state == sys::LogFileState::Missing || state == sys::LogFileState::OwnFile;
}

const char* Description(sys::LogFileState state) {
    switch (state) {
    case sys::LogFileState::Missing:
    case sys::LogFileState::OwnFile: break;
    case sys::LogFileState::Link: return "a link";
    case sys::LogFileState::MoreThanOneName: return "a file with another name";
    case sys::LogFileState::OtherOwner: return "a file of another account";
    case sys::LogFileState::NotAFile: return "not a file";
    case sys::LogFileState::Unusable: return "a file that cannot be looked at";
    }
    return "";
}

}  // namespace

LogLocation DefaultLogLocation(sys::UnattendedSystem& unattended) {
    std::string directory;
    if (!unattended.GetTempPath(directory)) return {};
    const std::string usual = directory + kDefaultLogName;
    const sys::LogFileState state = unattended.InspectLogFile(usual);
    if (Writable(state)) return {usual, ""};

    const std::string fresh =
        directory + "RT450-" + std::to_string(unattended.GetCurrentProcessId()) + ".log";
    if (!Writable(unattended.InspectLogFile(fresh))) return {};
    return {fresh, "the log was not written to " + usual + ": " + Description(state)};
}

}  // namespace silent
