#include "setup/CandidateCounts.h"

#include <new>
#include <utility>

namespace setup {

namespace {
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
}  // namespace

bool CountNamesInFile(sys::System& system, const std::string& path, const NameSearch& search,
                      std::vector<int>& counts) {
    counts.clear();
    try {
        NameSearch::Pass pass(search);
        const sys::FileScan scan =
            system.ScanFile(path, kScanChunkBytes, [&pass](const char* bytes, std::size_t count) {
                return pass.Feed(bytes, count);
            });
        if (!scan.opened || !scan.readOk) return false;
        counts = pass.Counts();
        return true;
    } catch (const std::bad_alloc&) {
        // A candidate that cannot be searched for want of memory is one that cannot be
        // read: it counts nothing, and the removal goes on.
        counts.clear();
        return false;
    }
}

CandidateCounts::CandidateCounts(sys::System& system, const std::vector<std::string>& names)
    : system_(system), leadBytes_(AnsiCodePageLeadBytes(system)), search_(names, leadBytes_) {
    for (std::size_t i = 0; i < search_.Names().size(); ++i)
        indexOfName_.emplace(search_.Names()[i], i);
}

int CandidateCounts::Count(const std::string& path, const std::string& name) {
    const std::string wanted = name.substr(0, name.find('\0'));
    // An empty name is found nowhere; the search would not even open the file.
    if (wanted.empty()) return 0;
    const auto index = indexOfName_.find(wanted);
    std::vector<int> counts;
    if (index == indexOfName_.end()) {
        return CountNamesInFile(system_, path, NameSearch({wanted}, leadBytes_), counts)
                   ? counts[0]
                   : 0;
    }

    sys::FileStamp stamp;
    if (!system_.GetFileStamp(path, stamp)) {
        entries_.erase(path);
        const uint32_t error = system_.GetLastError();
        // Nothing there: opening it would fail the same way.
        if (error == kErrorFileNotFound || error == kErrorPathNotFound) return 0;
        return CountNamesInFile(system_, path, search_, counts) ? counts[index->second] : 0;
    }
    // An unchanged file is answered from its known counts without being read again, as
    // long as it can be opened now: one that cannot counts 0, as a fresh search of it
    // would, and its counts stay for when it opens again.
    const auto known = entries_.find(path);
    if (known != entries_.end() && known->second.stamp == stamp)
        return system_.CanOpenForReading(path) ? known->second.counts[index->second] : 0;

    if (!CountNamesInFile(system_, path, search_, counts)) {
        entries_.erase(path);
        return 0;
    }
    const int count = counts[index->second];
    entries_[path] = Entry{stamp, std::move(counts)};
    return count;
}

}  // namespace setup
