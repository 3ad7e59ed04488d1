#include "tests/reference/AutomatonNameSearch.h"

#include <deque>
#include <map>

namespace reference {

namespace {
constexpr std::size_t kByteValues = 256;
constexpr std::size_t kNoPattern = SIZE_MAX;
}  // namespace

AutomatonNameSearch::AutomatonNameSearch(const std::vector<std::string>& names,
                                         const LeadBytes& leadBytes)
    : leadBytes_(leadBytes) {
    AddState();
    std::map<std::string, std::size_t> patternOf;
    for (const std::string& given : names) {
        const std::string name = given.substr(0, given.find('\0'));
        names_.push_back(name);
        if (name.empty()) {
            patternOfName_.push_back(kNoPattern);
            continue;
        }
        const auto known = patternOf.find(name);
        if (known != patternOf.end()) {
            patternOfName_.push_back(known->second);
            continue;
        }
        const std::size_t pattern = patterns_.size();
        uint64_t singleBytes = 0;
        for (const char c : name) {
            if (!leadBytes_[static_cast<unsigned char>(c)]) ++singleBytes;
        }
        patterns_.push_back(Pattern{name.size(), singleBytes});
        patternOf.emplace(name, pattern);
        patternOfName_.push_back(pattern);
        if (name.size() > longest_) longest_ = name.size();
        Insert(name, pattern);
    }
    Link();
}

uint32_t AutomatonNameSearch::AddState() {
    next_.resize(next_.size() + kByteValues, kNone);
    endingPattern_.push_back(kNone);
    shorterEnding_.push_back(kNone);
    return static_cast<uint32_t>(endingPattern_.size() - 1);
}

void AutomatonNameSearch::Insert(const std::string& name, std::size_t pattern) {
    uint32_t state = 0;
    for (const char c : name) {
        const std::size_t slot = state * kByteValues + static_cast<unsigned char>(c);
        if (next_[slot] == kNone) {
            const uint32_t added = AddState();
            next_[slot] = added;
        }
        state = next_[slot];
    }
    endingPattern_[state] = static_cast<uint32_t>(pattern);
}

// Completes the automaton breadth first: a byte that extends no name leads where the
// longest proper suffix that does lead goes, so the state always stands for the longest
// end of the text that begins some name.
void AutomatonNameSearch::Link() {
    std::vector<uint32_t> fallback(endingPattern_.size(), 0);
    std::deque<uint32_t> queue;
    for (std::size_t byte = 0; byte < kByteValues; ++byte) {
        uint32_t& child = next_[byte];
        if (child == kNone) {
            child = 0;
        } else {
            queue.push_back(child);
        }
    }
    while (!queue.empty()) {
        const uint32_t state = queue.front();
        queue.pop_front();
        const uint32_t back = fallback[state];
        shorterEnding_[state] = endingPattern_[back] != kNone ? back : shorterEnding_[back];
        for (std::size_t byte = 0; byte < kByteValues; ++byte) {
            uint32_t& child = next_[state * kByteValues + byte];
            const uint32_t viaBack = next_[back * kByteValues + byte];
            if (child == kNone) {
                child = viaBack;
            } else {
                fallback[child] = viaBack;
                queue.push_back(child);
            }
        }
    }
}

AutomatonNameSearch::Pass::Pass(const AutomatonNameSearch& search)
    : search_(search),
      recentStarts_(search.longest_ == 0 ? 1 : search.longest_, false),
      walks_(search.patterns_.size()) {}

bool AutomatonNameSearch::Pass::Feed(const char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count && !ended_; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == 0) {
            ended_ = true;
        } else {
            Take(byte);
        }
    }
    return !ended_;
}

// Whether the name's own walk starts a character where the occurrence of the name that
// ends at the current byte begins (one that does not overlap the name's previous one).
// From where an occurrence ended, the name's walk runs one byte off the walk from the
// text's start exactly when that position is the second byte of a character of the
// latter; the two walks then step past each other over lead bytes, each starting its
// characters where the other does not, and meet behind the first byte that is none. So
// the name's walk is off only while no single byte lies between its resume position and
// the occurrence.
bool AutomatonNameSearch::Pass::StartsCharacter(const Walk& walk, std::size_t pattern) const {
    const Pattern& name = search_.patterns_[pattern];
    const std::size_t ring = recentStarts_.size();
    const std::size_t slot = (ringAt_ + ring - (name.length - 1)) % ring;
    const bool startsFromTextStart = recentStarts_[slot];
    const uint64_t singleBytesBeforeStart = singleBytes_ - name.singleBytes;
    if (walk.offset && singleBytesBeforeStart == walk.singleBytesBefore)
        return !startsFromTextStart;
    return startsFromTextStart;
}

void AutomatonNameSearch::Pass::Take(unsigned char byte) {
    const bool startsHere = characterStartsHere_;
    recentStarts_[ringAt_] = startsHere;
    const bool lead = search_.leadBytes_[byte];
    if (!lead) ++singleBytes_;
    characterStartsHere_ = !(startsHere && lead);
    state_ = search_.next_[state_ * kByteValues + byte];

    uint32_t ending =
        search_.endingPattern_[state_] != kNone ? state_ : search_.shorterEnding_[state_];
    for (; ending != kNone; ending = search_.shorterEnding_[ending]) {
        const std::size_t pattern = search_.endingPattern_[ending];
        Walk& walk = walks_[pattern];
        const uint64_t start = position_ + 1 - search_.patterns_[pattern].length;
        if (start < walk.resumeAt || !StartsCharacter(walk, pattern)) continue;
        ++walk.count;
        walk.resumeAt = position_ + 1;
        walk.singleBytesBefore = singleBytes_;
        walk.offset = !characterStartsHere_;
    }
    ++position_;
    if (++ringAt_ == recentStarts_.size()) ringAt_ = 0;
}

std::vector<int> AutomatonNameSearch::Pass::Counts() const {
    std::vector<int> counts;
    for (const std::size_t pattern : search_.patternOfName_)
        counts.push_back(pattern == kNoPattern ? 0 : walks_[pattern].count);
    return counts;
}

}  // namespace reference
