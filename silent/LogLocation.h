#pragma once
// Where the run's log goes, by one rule for every path: the file is opened once, judged
// on that handle and written through it alone (InstallLog::Open). The temporary folder
// may be C:\Windows\Temp, and a folder that /log: names may be one that others can write
// into, while the run is SYSTEM's: whatever another account put there under the log's
// name (a link, a hard link, a file of its own) is never written through.

#include <string>
#include <vector>

#include "silent/InstallLog.h"
#include "sys/UnattendedSystem.h"

namespace silent {

// The log when /log names none: the model's name in the temporary folder.
inline constexpr const char* kDefaultLogName = "RT450.log";

struct LogOpening {
    // /log: named something that the run may not write through: the run changes nothing
    // and ends with kExitLogRefused.
    bool refused = false;
    // Why the lines are not where they would have gone, for the log's first lines.
    std::vector<std::string> notes;
};

// Opens the log into log. A path that /log: gives (full) is taken if it is the run's
// own file; a refused one stops the run, which then tells why in the default log. The
// default log is RT450.log in the temporary folder, else RT450-<pid>.log beside it,
// else none. A given path that cannot be opened at all (no such folder, no access)
// gives no log, and the run goes on.
LogOpening OpenRunLog(InstallLog& log, sys::UnattendedSystem& unattended,
                      const std::string& givenPath);

}  // namespace silent
