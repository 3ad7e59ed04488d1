#pragma once
// The counts of the removal's names in the staged INF files, kept while a file's size,
// last write time and creation time stay the same. One install run asks the same
// candidates about every name it removes; one pass over a candidate's current version
// counts all the names, and only the counts are kept, never the text, so the memory
// stays the same whatever the INF directory holds. A changed or removed file is read
// again, so the answers stay those of a fresh read.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "setup/NameSearch.h"
#include "sys/System.h"

namespace setup {

// The pieces in which a file is searched: all the text that a search holds at a time.
constexpr uint32_t kScanChunkBytes = 64 * 1024;

// One pass over the file at path: counts holds the count of each of the search's names.
// False, with counts left empty, when the file cannot be opened or read, or when memory
// for the pass cannot be had.
bool CountNamesInFile(sys::System& system, const std::string& path, const NameSearch& search,
                      std::vector<int>& counts);

class CandidateCounts {
public:
    CandidateCounts(sys::System& system, const std::vector<std::string>& names);

    // What CountOccurrencesInFile(path, name) counts, from the known counts of the
    // file's current version when there are some and the file can be opened now. A name that is not among those given
    // is counted by a search of its own and nothing is kept.
    int Count(const std::string& path, const std::string& name);

private:
    struct Entry {
        sys::FileStamp stamp;
        std::vector<int> counts;  // by name, in the order given
    };
    sys::System& system_;
    LeadBytes leadBytes_;
    NameSearch search_;
    std::map<std::string, std::size_t> indexOfName_;
    std::map<std::string, Entry> entries_;
};

}  // namespace setup
