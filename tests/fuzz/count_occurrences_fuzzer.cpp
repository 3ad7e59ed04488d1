// The search for printer names in an INF file's text, against a plain reference count:
// the product's count of one name in a file, and one pass over the text in pieces of
// varying sizes that counts several names at once, which must also count as the
// byte-wise automaton of tests/reference does.
//
// Input: one byte for the file's state (its value modulo 3: readable, missing, opens but
// cannot be read), one byte that seeds the sizes of the pieces, a length byte and that
// many bytes of search text, then the file's bytes. Besides the text, the pass counts
// its first half, its last byte and its first byte.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "setup/NameSearch.h"
#include "setup/Removal.h"
#include "tests/fuzz/InputReader.h"
#include "tests/fuzz/ReferenceCount.h"
#include "tests/fuzz/Require.h"
#include "tests/reference/AutomatonNameSearch.h"
#include "tests/unit/FakeSystem.h"

namespace {

enum class FileState { Readable, Missing, Unreadable };

const char* const kFilePath = "c:\\windows\\inf\\oem7.inf";

std::vector<std::string> NamesFrom(const std::string& text) {
    std::vector<std::string> names{text, text.substr(0, text.size() / 2)};
    if (!text.empty()) {
        names.push_back(text.substr(text.size() - 1));
        names.push_back(text.substr(0, 1));
    }
    return names;
}

// Piece sizes from 1 up to a few hundred bytes, the small ones most often, so that
// borders fall inside names and inside characters.
class PieceSizes {
public:
    explicit PieceSizes(uint8_t seed) : state_(seed * 2654435761u + 1) {}
    std::size_t Next() {
        state_ = state_ * 1103515245u + 12345u;
        const uint32_t value = state_ >> 16;
        return 1 + (value % 4 == 0 ? value % 300 : value % 7);
    }

private:
    uint32_t state_;
};

void RequirePassCountsLikeTheReference(const std::string& fileBytes, const std::string& text,
                                       uint8_t seed) {
    const std::vector<std::string> names = NamesFrom(text);
    const setup::NameSearch search(names);
    setup::NameSearch::Pass pass(search);
    PieceSizes sizes(seed);
    for (std::size_t at = 0; at < fileBytes.size();) {
        const std::size_t size = std::min(sizes.Next(), fileBytes.size() - at);
        pass.Feed(fileBytes.data() + at, size);
        at += size;
    }
    const std::vector<int> counts = pass.Counts();
    fuzz::Require(counts.size() == names.size(), "one count for each name");
    const reference::AutomatonNameSearch automaton(names);
    reference::AutomatonNameSearch::Pass automatonPass(automaton);
    automatonPass.Feed(fileBytes.data(), fileBytes.size());
    fuzz::Require(counts == automatonPass.Counts(), "a pass counts as the automaton does");
    for (std::size_t i = 0; i < names.size(); ++i) {
        fuzz::Require(counts[i] == fuzz::ReferenceCount(fileBytes, names[i]),
                      "a pass in pieces counts each name as the reference does");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    const auto state = static_cast<FileState>(input.Byte() % 3);
    const uint8_t seed = input.Byte();
    const std::string text = input.Chunk();
    const std::string fileBytes = input.Rest();

    fake::FakeSystem system;
    if (state != FileState::Missing) system.AddFile(kFilePath, fileBytes);
    if (state == FileState::Unreadable) system.failReadOf.insert(kFilePath);

    const int expected = state == FileState::Readable ? fuzz::ReferenceCount(fileBytes, text) : 0;
    fuzz::Require(setup::CountOccurrencesInFile(system, kFilePath, text) == expected,
                  "the count equals the reference count");
    RequirePassCountsLikeTheReference(fileBytes, text, seed);
    return 0;
}
