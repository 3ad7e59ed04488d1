#pragma once
// Removal of what earlier installations of a printer name left behind: its print queue,
// its printer driver and the INF file staged for it.

#include <cstdint>
#include <string>

#include "setup/CandidateCounts.h"
#include "sys/UiPort.h"
#include "sys/System.h"

namespace setup {

// For a caller that removes on request rather than before an install, and must tell
// a complete removal from one that left a staged INF behind.
struct RemovalRequest {
    // Remove on every host class, the older 32-bit one included, which the removal
    // before an install passes over.
    bool onEveryHost = false;
    // Look for the name's staged INF files among every oem*.inf of the system's own INF
    // folder, and after the recorded one too, rather than in the window program's way
    // (the recorded one, or without a record oem0..oem99 under c:\windows\inf).
    bool everyStagedInf = false;
    // Out: the staged INF files whose uninstall failed (the user was told of each).
    int failedUninstalls = 0;
};

// A record file is read in one read of this many bytes; the recorded name is what
// precedes the first zero byte.
inline constexpr uint32_t kRecordReadBytes = 64;
// Without a record, the scan looks at oem0.inf to oem<kLastScannedInf>.inf.
inline constexpr int kLastScannedInf = 99;
std::string ScannedInfName(int number);

// On hosts where no platform flag is set, does nothing and returns 1. Otherwise deletes
// the queue and the driver of that name when the spooler lists them (the commands are
// started, never waited for; on 64-bit Windows the driver of the 64-bit environment
// too), then uninstalls the INF named in the name's record file,
// or, without a readable record, every oem0.inf..oem99.inf whose text holds the name.
// Returns 0 only when a deletion command could not be started (the user has been told);
// a failed INF uninstall is told to the user and still returns 1.
int RemovePreviousInstallation(sys::System& system, sys::UiPort& ui, const std::string& name);
// The same, with the scan's counts taken from those that the caller keeps across the
// names of one run, and for a request when one is given.
int RemovePreviousInstallation(sys::System& system, sys::UiPort& ui, const std::string& name,
                               CandidateCounts& infCounts, RemovalRequest* request = nullptr);

// Non-overlapping, case-sensitive occurrences of text (up to its first zero byte) in the
// file's text (its bytes up to the first zero byte), each starting on a character
// boundary. 0 when the file cannot be opened or read, and for an empty text. The file is
// searched in pieces, so its size does not matter.
int CountOccurrencesInFile(sys::System& system, std::string path, std::string text);

}  // namespace setup
