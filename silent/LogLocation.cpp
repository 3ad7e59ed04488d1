#include "silent/LogLocation.h"

namespace silent {

namespace {

// What another account may have put at the path: never written through.
bool Refused(sys::LogFileState state) {
    return state != sys::LogFileState::OwnFile && state != sys::LogFileState::Unusable;
}

const char* Description(sys::LogFileState state) {
    switch (state) {
    case sys::LogFileState::OwnFile: break;
    case sys::LogFileState::Link: return "a link";
    case sys::LogFileState::MoreThanOneName: return "a file with another name";
    case sys::LogFileState::OtherOwner: return "a file of another account";
    case sys::LogFileState::NotAFile: return "not a file";
    case sys::LogFileState::Unusable: return "a file that cannot be opened";
    }
    return "";
}

std::string NotWrittenTo(const std::string& path, sys::LogFileState state) {
    return "the log was not written to " + path + ": " + Description(state);
}

void OpenDefaultLog(InstallLog& log, sys::UnattendedSystem& unattended,
                    std::vector<std::string>& notes) {
    std::string directory;
    if (!unattended.GetTempPath(directory)) return;
    const std::string usual = directory + kDefaultLogName;
    const sys::LogFileState state = log.Open(usual);
    if (state == sys::LogFileState::OwnFile) return;
    const std::string fresh =
        directory + "RT450-" + std::to_string(unattended.GetCurrentProcessId()) + ".log";
    if (log.Open(fresh) == sys::LogFileState::OwnFile)
        notes.push_back(NotWrittenTo(usual, state));
}

}  // namespace

LogOpening OpenRunLog(InstallLog& log, sys::UnattendedSystem& unattended,
                      const std::string& givenPath) {
    LogOpening opening;
    if (givenPath.empty()) {
        OpenDefaultLog(log, unattended, opening.notes);
        return opening;
    }
    const sys::LogFileState state = log.Open(givenPath);
    if (!Refused(state)) return opening;
    opening.refused = true;
    OpenDefaultLog(log, unattended, opening.notes);
    opening.notes.push_back(NotWrittenTo(givenPath, state) +
                            "; /log: must name a file that only this account, the "
                            "Administrators or SYSTEM can have made");
    return opening;
}

}  // namespace silent
