// The name search against two other ways to the same counts, on many texts made at
// random from a fixed seed: a plain walk over the characters that compares the name at
// each one (code page 936), and a byte-wise automaton that follows every walk byte by
// byte (any code page). The texts are built from what makes the search hard: names and
// near-misses of them, runs of lead bytes, double-byte characters, zero bytes; the names
// hold double-byte bytes, begin with one another, repeat or are empty; the pieces in
// which a text comes are of every size.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "setup/NameSearch.h"
#include "setup/RemovalList.h"
#include "tests/fuzz/ReferenceCount.h"
#include "tests/reference/AutomatonNameSearch.h"

namespace {

using Random = std::mt19937;

constexpr uint32_t kSeed = 450;
constexpr int kTexts = 6000;

// Bytes that make up the names and the text around them: letters of the names, lead
// bytes at both ends of the range, bytes that are none (0x80 and 0xFF included).
const std::string kBytes = "RT45 0A\x81\xB8\xB1\xFE\x80\xFF\x40";

std::size_t Below(Random& random, std::size_t bound) {
    return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
}

std::string RandomBytes(Random& random, std::size_t length) {
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i) bytes += kBytes[Below(random, kBytes.size())];
    return bytes;
}

std::vector<std::string> RandomNames(Random& random) {
    std::vector<std::string> names;
    const std::size_t count = 1 + Below(random, 4);
    for (std::size_t i = 0; i < count; ++i) {
        switch (Below(random, 6)) {
        case 0: names.push_back(""); break;
        case 1:  // one that begins with another
            names.push_back(names.empty() ? "R" : names[Below(random, names.size())] +
                                                      RandomBytes(random, 1 + Below(random, 3)));
            break;
        case 2: names.push_back(RandomBytes(random, 1) + '\0' + "T"); break;
        default: names.push_back(RandomBytes(random, 1 + Below(random, 5))); break;
        }
    }
    return names;
}

// A near-miss: the name with one byte changed, or cut short.
std::string NearMiss(Random& random, std::string name) {
    if (name.empty()) return name;
    if (Below(random, 2) == 0) return name.substr(0, Below(random, name.size()));
    name[Below(random, name.size())] = kBytes[Below(random, kBytes.size())];
    return name;
}

std::string RandomText(Random& random, const std::vector<std::string>& names) {
    const std::size_t target = Below(random, 8) == 0 ? 2000 + Below(random, 6000) : Below(random, 200);
    std::string text;
    while (text.size() < target) {
        const std::string& name = names[Below(random, names.size())];
        switch (Below(random, 8)) {
        case 0: text += name; break;
        case 1: text += NearMiss(random, name); break;
        case 2: text.append(1 + Below(random, 40), kBytes[7 + Below(random, 4)]); break;
        case 3: text += "\xB8\xB1\xB1\xBE"; break;
        case 4: text += Below(random, 30) == 0 ? std::string(1, '\0') : "\r\n"; break;
        default: text += RandomBytes(random, 1 + Below(random, 8)); break;
        }
    }
    return text;
}

// Lead bytes of code page 936 mostly; now and then ranges of another code page.
setup::LeadBytes RandomLeadBytes(Random& random) {
    if (Below(random, 4) != 0) return setup::CodePage936LeadBytes();
    setup::LeadBytes leadBytes{};
    for (unsigned byte = 0x81; byte <= 0x9F; ++byte) leadBytes[byte] = true;
    for (unsigned byte = 0xE0; byte <= 0xFC; ++byte) leadBytes[byte] = true;
    return leadBytes;
}

std::vector<std::size_t> RandomPieces(Random& random, std::size_t size) {
    std::vector<std::size_t> pieces;
    for (std::size_t at = 0; at < size;) {
        const std::size_t piece = std::min(size - at, Below(random, 3) == 0 ? 1 + Below(random, 4096)
                                                                            : 1 + Below(random, 9));
        pieces.push_back(piece);
        at += piece;
    }
    return pieces;
}

template <typename Search>
std::vector<int> CountInPieces(const Search& search, const std::string& text,
                               const std::vector<std::size_t>& pieces) {
    typename Search::Pass pass(search);
    std::size_t at = 0;
    for (const std::size_t piece : pieces) {
        pass.Feed(text.data() + at, piece);
        at += piece;
    }
    return pass.Counts();
}

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
        hex += ' ';
    }
    return hex;
}

std::string Describe(const std::string& text, const std::vector<std::string>& names) {
    std::string description = "text: " + Hex(text) + "\nnames:";
    for (const std::string& name : names) description += "\n  " + Hex(name);
    return description;
}

TEST(NameSearchDifferential, CountsAgreeWithThePlainWalkAndTheAutomaton) {
    Random random(kSeed);
    for (int round = 0; round < kTexts; ++round) {
        const std::vector<std::string> names = RandomNames(random);
        const std::string text = RandomText(random, names);
        const setup::LeadBytes leadBytes = RandomLeadBytes(random);
        const std::vector<std::size_t> pieces = RandomPieces(random, text.size());

        const std::vector<int> counts =
            CountInPieces(setup::NameSearch(names, leadBytes), text, pieces);
        const std::vector<int> automatonCounts =
            CountInPieces(reference::AutomatonNameSearch(names, leadBytes), text, {text.size()});
        ASSERT_EQ(counts, automatonCounts) << "round " << round << "\n" << Describe(text, names);
        if (leadBytes != setup::CodePage936LeadBytes()) continue;
        for (std::size_t i = 0; i < names.size(); ++i) {
            ASSERT_EQ(counts[i], fuzz::ReferenceCount(text, names[i]))
                << "round " << round << ", name " << i << "\n" << Describe(text, names);
        }
    }
}

// The removal's own names, which begin with one another, in INF text with lead-byte runs.
TEST(NameSearchDifferential, TheRemovalsNamesAgreeWithThePlainWalk) {
    Random random(kSeed);
    const std::vector<std::string>& names = setup::RemovalList();
    const setup::NameSearch search(names);
    for (int round = 0; round < 8; ++round) {
        std::string text;
        while (text.size() < 8000) {
            switch (Below(random, 4)) {
            case 0: text += names[Below(random, names.size())]; break;
            case 1: text += NearMiss(random, names[Below(random, names.size())]); break;
            case 2: text.append(1 + Below(random, 9), '\xB8'); break;
            default: text += "\"\r\nHKLM,\"SOFTWARE\\"; break;
            }
        }
        const std::vector<int> counts = CountInPieces(search, text, RandomPieces(random, text.size()));
        for (std::size_t i = 0; i < names.size(); ++i)
            ASSERT_EQ(counts[i], fuzz::ReferenceCount(text, names[i])) << "round " << round << ", name " << i;
    }
}

}  // namespace
