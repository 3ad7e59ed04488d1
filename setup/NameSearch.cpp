#include "setup/NameSearch.h"

#include <algorithm>
#include <cstring>

namespace setup {

namespace {
constexpr std::size_t kByteValues = 256;
constexpr std::size_t kNoPattern = SIZE_MAX;
}  // namespace

bool IsCodePage936LeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

LeadBytes CodePage936LeadBytes() {
    LeadBytes leadBytes{};
    for (std::size_t byte = 0; byte < kByteValues; ++byte)
        leadBytes[byte] = IsCodePage936LeadByte(static_cast<unsigned char>(byte));
    return leadBytes;
}

LeadBytes AnsiCodePageLeadBytes(sys::System& system) {
    std::vector<sys::LeadByteRange> ranges;
    if (!system.GetCPInfo(sys::kCpAcp, ranges)) return CodePage936LeadBytes();
    LeadBytes leadBytes{};
    for (const sys::LeadByteRange& range : ranges) {
        for (unsigned byte = range.first; byte <= range.last; ++byte) leadBytes[byte] = true;
    }
    return leadBytes;
}

NameSearch::NameSearch(const std::vector<std::string>& names, const LeadBytes& leadBytes)
    : leadBytes_(leadBytes) {
    for (const std::string& given : names) {
        const std::string name = given.substr(0, given.find('\0'));
        names_.push_back(name);
        if (name.empty()) {
            patternOfName_.push_back(kNoPattern);
            continue;
        }
        const auto known = std::find(patterns_.begin(), patterns_.end(), name);
        patternOfName_.push_back(static_cast<std::size_t>(known - patterns_.begin()));
        if (known == patterns_.end()) patterns_.push_back(name);
    }
    // Shortest first, so that a group's first name is the one all of it begins with.
    std::vector<std::size_t> byLength(patterns_.size());
    for (std::size_t pattern = 0; pattern < patterns_.size(); ++pattern) byLength[pattern] = pattern;
    std::stable_sort(byLength.begin(), byLength.end(), [this](std::size_t a, std::size_t b) {
        return patterns_[a].size() < patterns_[b].size();
    });
    for (const std::size_t pattern : byLength) {
        const std::string& name = patterns_[pattern];
        longest_ = std::max(longest_, name.size());
        const auto group = std::find_if(groups_.begin(), groups_.end(), [&name](const Group& g) {
            return name.compare(0, g.finder.Bytes().size(), g.finder.Bytes()) == 0;
        });
        if (group == groups_.end()) {
            groups_.push_back(Group{BytesFinder(name), {pattern}});
        } else {
            group->patterns.push_back(pattern);
        }
    }
}

// Judges every occurrence that begins before data[until], data holding the text from
// the position given, and moves each walk that stands before until there, or to the
// byte behind it when until is the second byte of a character. Every walk starts at or
// behind the position; until leaves room behind it for the longest name, or is the
// text's end.
void NameSearch::Search(const char* data, std::size_t size, uint64_t position,
                        std::size_t until, std::vector<Walk>& walks) const {
    for (const Group& group : groups_) {
        std::size_t from = size;
        for (const std::size_t pattern : group.patterns)
            from = std::min(from, WalkFrom(walks[pattern], position));
        for (std::size_t at = group.finder.Find(data, size, from, until);
             at != BytesFinder::kNotFound; at = group.finder.Find(data, size, at + 1, until)) {
            for (const std::size_t pattern : group.patterns) {
                const std::string& name = patterns_[pattern];
                if (at + name.size() <= size &&
                    std::memcmp(data + at, name.data(), name.size()) == 0)
                    Judge(data, position, at, pattern, walks[pattern]);
            }
        }
    }
    const uint64_t untilAt = position + until;
    const std::size_t runFrom = LeadRunFrom(data, until, 0);
    for (Walk& walk : walks) {
        if (walk.characterStart >= untilAt) continue;
        const std::size_t walkFrom = std::max(runFrom, WalkFrom(walk, position));
        walk.characterStart = (until - walkFrom) % 2 == 0 ? untilAt : untilAt + 1;
    }
}

// The name's bytes lie at data[at]: an occurrence where its walk starts a character.
void NameSearch::Judge(const char* data, uint64_t position, std::size_t at,
                       std::size_t pattern, Walk& walk) const {
    const uint64_t textAt = position + at;
    // Inside the last occurrence, or the second byte of a character.
    if (textAt < walk.characterStart) return;
    // A byte that is no lead byte ends a character, whether it is one alone or the second
    // of two; from behind it, or from where a character of the walk starts, the lead
    // bytes pair up, each with the byte after it. So at starts a character when the lead
    // bytes right before it, back to the last byte that is none or to the walk's start,
    // are even in number.
    const std::size_t walkFrom = WalkFrom(walk, position);
    if ((at - LeadRunFrom(data, at, walkFrom)) % 2 == 0) {
        ++walk.count;
        walk.characterStart = textAt + patterns_[pattern].size();
    } else {
        walk.characterStart = textAt + 1;
    }
}

// Where the lead bytes right before data[at] begin, looking back no further than floor.
std::size_t NameSearch::LeadRunFrom(const char* data, std::size_t at, std::size_t floor) const {
    while (at > floor && leadBytes_[static_cast<unsigned char>(data[at - 1])]) --at;
    return at;
}

// The walk's start as an offset into data, which holds the text from the position given.
std::size_t NameSearch::WalkFrom(const Walk& walk, uint64_t position) {
    return static_cast<std::size_t>(walk.characterStart - position);
}

NameSearch::Pass::Pass(const NameSearch& search)
    : search_(search), walks_(search.patterns_.size()) {}

bool NameSearch::Pass::Feed(const char* bytes, std::size_t count) {
    if (ended_) return false;
    if (count == 0) return true;
    if (const void* zero = std::memchr(bytes, 0, count)) {
        count = static_cast<std::size_t>(static_cast<const char*>(zero) - bytes);
        ended_ = true;
    }
    // An occurrence is judged once the longest name would fit behind its start.
    const std::size_t hold = search_.longest_ == 0 ? 0 : search_.longest_ - 1;
    if (count < hold) {
        held_.append(bytes, count);
        if (held_.size() > hold) {
            const std::size_t judged = held_.size() - hold;
            search_.Search(held_.data(), held_.size(), heldAt_, judged, walks_);
            held_.erase(0, judged);
            heldAt_ += judged;
        }
        return !ended_;
    }
    // The occurrences that begin in the held bytes, then those that begin in the piece:
    // the piece is searched where it lies, never copied.
    const uint64_t piece = heldAt_ + held_.size();
    if (!held_.empty()) {
        const std::size_t judged = held_.size();
        held_.append(bytes, hold);
        search_.Search(held_.data(), held_.size(), heldAt_, judged, walks_);
    }
    search_.Search(bytes, count, piece, count - hold, walks_);
    held_.assign(bytes + count - hold, hold);
    heldAt_ = piece + count - hold;
    return !ended_;
}

std::vector<int> NameSearch::Pass::Counts() const {
    // The held bytes end the text so far: what begins in them is judged as at its end.
    std::vector<Walk> walks = walks_;
    search_.Search(held_.data(), held_.size(), heldAt_, held_.size(), walks);
    std::vector<int> counts;
    for (const std::size_t pattern : search_.patternOfName_)
        counts.push_back(pattern == kNoPattern ? 0 : walks[pattern].count);
    return counts;
}

}  // namespace setup
