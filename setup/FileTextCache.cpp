#include "setup/FileTextCache.h"

namespace setup {

namespace {
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kWholeFile = 0;
}  // namespace

sys::FileRead FileTextCache::ReadWhole(const std::string& path) {
    sys::FileStamp stamp;
    if (!system_.GetFileStamp(path, stamp)) {
        entries_.erase(path);
        const uint32_t error = system_.GetLastError();
        // Nothing there: opening it would fail the same way.
        if (error == kErrorFileNotFound || error == kErrorPathNotFound) return {};
        return system_.ReadFile(path, kWholeFile);
    }
    const auto known = entries_.find(path);
    if (known != entries_.end() && known->second.stamp == stamp)
        return sys::FileRead{true, true, known->second.bytes};

    sys::FileRead read = system_.ReadFile(path, kWholeFile);
    if (read.opened && read.readOk) {
        entries_[path] = Entry{stamp, read.bytes};
    } else {
        entries_.erase(path);
    }
    return read;
}

}  // namespace setup
