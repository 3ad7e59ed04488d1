#pragma once
// Whole-file reads that are kept while the file's size and last write time stay the
// same. One install run searches the same staged INF files once for every printer name
// it removes; a changed or removed file is read again, so the answers stay those of a
// fresh read.

#include <map>
#include <string>

#include "sys/System.h"

namespace setup {

class FileTextCache {
public:
    explicit FileTextCache(sys::System& system) : system_(system) {}

    // What System::ReadFile(path, 0) gives, from memory when the file is unchanged since
    // it was last read whole.
    sys::FileRead ReadWhole(const std::string& path);

private:
    struct Entry {
        sys::FileStamp stamp;
        std::string bytes;
    };
    sys::System& system_;
    std::map<std::string, Entry> entries_;
};

}  // namespace setup
