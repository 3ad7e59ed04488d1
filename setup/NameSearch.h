#pragma once
// The search of printer names in a text that comes in pieces: one pass over the text
// counts every name at once, holding no more of the text than the longest name.
//
// A name's count is that of a search of the whole text for that name alone: occurrences
// are case-sensitive, never overlap (after one, the search goes on right behind it), and
// begin only where a character begins, the characters of the code page being walked from
// the start of the text, and from right behind each occurrence of that name. The text
// ends at its first zero byte; a name ends at its first zero byte, and an empty name
// counts 0.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "setup/BytesFinder.h"
#include "sys/System.h"

namespace setup {

// Whether the byte starts a double-byte character in code page 936.
bool IsCodePage936LeadByte(unsigned char byte);

// For each byte value, whether it starts a double-byte character of a code page.
using LeadBytes = std::array<bool, 256>;
LeadBytes CodePage936LeadBytes();
// Those of the system's ANSI code page, in which the searched texts are; those of code
// page 936, the program's own, when the system cannot tell.
LeadBytes AnsiCodePageLeadBytes(sys::System& system);

class NameSearch {
private:
    // Where a name's character walk stands: a text position at which one of its
    // characters starts, and before which every occurrence of the name has been judged.
    struct Walk {
        uint64_t characterStart = 0;
        int count = 0;
    };

public:
    // Characters are walked by the lead bytes given.
    explicit NameSearch(const std::vector<std::string>& names,
                        const LeadBytes& leadBytes = CodePage936LeadBytes());

    // The names as given, each up to its first zero byte.
    const std::vector<std::string>& Names() const { return names_; }

    // One pass over one text.
    class Pass {
    public:
        explicit Pass(const NameSearch& search);

        // Takes the next piece of the text; false once the text has ended at a zero
        // byte, after which further pieces are not looked at.
        bool Feed(const char* bytes, std::size_t count);
        // The counts of the text so far, one for each name in the order given.
        std::vector<int> Counts() const;

    private:
        const NameSearch& search_;
        std::vector<Walk> walks_;  // one for each distinct name
        // The text's last bytes, fewer than the longest name: an occurrence that begins
        // in them is not yet seen whole.
        std::string held_;
        uint64_t heldAt_ = 0;  // the text position of held_'s first byte
        bool ended_ = false;
    };

private:
    // The distinct names that begin with the same shortest one: every occurrence of them
    // is one of the group's finder.
    struct Group {
        BytesFinder finder;
        std::vector<std::size_t> patterns;
    };

    void Search(const char* data, std::size_t size, uint64_t position, std::size_t until,
                std::vector<Walk>& walks) const;
    void Judge(const char* data, uint64_t position, std::size_t at, std::size_t pattern,
               Walk& walk) const;
    std::size_t LeadRunFrom(const char* data, std::size_t at, std::size_t floor) const;
    static std::size_t WalkFrom(const Walk& walk, uint64_t position);

    LeadBytes leadBytes_;
    std::vector<std::string> names_;
    std::vector<std::size_t> patternOfName_;
    std::vector<std::string> patterns_;  // the distinct names that are not empty
    std::vector<Group> groups_;
    std::size_t longest_ = 0;
};

}  // namespace setup
