#pragma once
// Where the log goes when the command line names none. The temporary folder may be
// C:\Windows\Temp, shared by every account while the run is SYSTEM's: whatever another
// account put there under the log's name (a link, a hard link, a file of its own) is
// never written through; the run takes a name of its own instead, with its process id.

#include <string>

#include "sys/UnattendedSystem.h"

namespace silent {

// The log when /log names none: the model's name in the temporary folder.
inline constexpr const char* kDefaultLogName = "RT450.log";

struct LogLocation {
    std::string path;  // empty: no log
    std::string note;  // why the usual name was not taken; empty when it was
};

// RT450.log in the temporary folder when nothing or a file of this user's (or the
// Administrators') is there; else RT450-<pid>.log beside it on the same terms; else none.
LogLocation DefaultLogLocation(sys::UnattendedSystem& unattended);

}  // namespace silent
