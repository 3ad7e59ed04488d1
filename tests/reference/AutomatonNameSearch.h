#pragma once
// The names' counts by another way than the installer's: a byte-wise automaton of all the
// names that follows, byte by byte, the character walk of the text and of each name from
// behind its last occurrence. The differential tests check the installer's search against
// it, and the search benchmark times the two side by side.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "setup/NameSearch.h"

namespace reference {

using setup::CodePage936LeadBytes;
using setup::LeadBytes;

class AutomatonNameSearch {
public:
    // Characters are walked by the lead bytes given.
    explicit AutomatonNameSearch(const std::vector<std::string>& names,
                                 const LeadBytes& leadBytes = CodePage936LeadBytes());

    // The names as given, each up to its first zero byte.
    const std::vector<std::string>& Names() const { return names_; }

    // One pass over one text.
    class Pass {
    public:
        explicit Pass(const AutomatonNameSearch& search);

        // Takes the next piece of the text; false once the text has ended at a zero
        // byte, after which further pieces are not looked at.
        bool Feed(const char* bytes, std::size_t count);
        // The counts of the text so far, one for each name in the order given.
        std::vector<int> Counts() const;

    private:
        // Where a name's own character walk stands: at the position right behind its
        // last occurrence. There the walk either meets the walk from the text's start,
        // or runs one byte off it for as long as lead bytes follow, its characters then
        // starting exactly where the other walk's do not.
        struct Walk {
            uint64_t resumeAt = 0;
            uint64_t singleBytesBefore = 0;  // single bytes before resumeAt
            bool offset = false;
            int count = 0;
        };
        bool StartsCharacter(const Walk& walk, std::size_t pattern) const;
        void Take(unsigned char byte);

        const AutomatonNameSearch& search_;
        uint32_t state_ = 0;
        uint64_t position_ = 0;
        bool characterStartsHere_ = true;  // of the walk from the text's start
        uint64_t singleBytes_ = 0;         // bytes so far that are no lead byte
        // Whether each of the last positions, as many as the longest name, started a
        // character of the walk from the text's start, in a ring.
        std::vector<bool> recentStarts_;
        std::size_t ringAt_ = 0;  // the slot of the current position
        std::vector<Walk> walks_;  // one for each distinct name
        bool ended_ = false;
    };

private:
    static constexpr uint32_t kNone = UINT32_MAX;
    struct Pattern {
        std::size_t length;
        uint64_t singleBytes;  // bytes of the name that are no lead byte
    };

    uint32_t AddState();
    void Insert(const std::string& name, std::size_t pattern);
    void Link();

    LeadBytes leadBytes_;
    std::vector<std::string> names_;
    std::vector<std::size_t> patternOfName_;
    std::vector<Pattern> patterns_;
    std::size_t longest_ = 0;
    // A byte-wise automaton of the distinct names: 256 successors per state; for each
    // state the name that ends there, and the nearest shorter state at which one ends.
    std::vector<uint32_t> next_;
    std::vector<uint32_t> endingPattern_;
    std::vector<uint32_t> shorterEnding_;
};

}  // namespace reference
