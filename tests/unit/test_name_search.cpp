#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/NameSearch.h"

namespace {

using namespace std::string_literals;

// Columns: what the case shows, the text, the names, their counts in the whole text.
struct SearchCase {
    const char* what;
    std::string text;
    std::vector<std::string> names;
    std::vector<int> expected;
};

const SearchCase kCases[] = {
    {"a name across every border", "xxRT450yyRT450", {"RT450"}, {2}},
    {"a double-byte character across every border", "\xB8\xB1RT450 \xB8\xB1",
     {"RT450", "\xB1R", "\xB8\xB1"}, {1, 0, 2}},
    {"a second byte never starts a name", "\xB8\xB1\xBE" "A", {"\xB1\xBE"}, {0}},
    {"names of the removal in one pass",
     "RT450 (\xB8\xB1\xB1\xBE 1) RT450 VX410P/420",
     {"RT450", "RT450 (\xB8\xB1\xB1\xBE 1)", "VX410P/420", "VX420"}, {2, 1, 1, 0}},
    {"each name's occurrences alone never overlap", "AAAA", {"AA", "AAA", "A"}, {2, 1, 4}},
    {"names ending together", "ABCBC", {"BC", "ABC", "C"}, {2, 1, 2}},
    {"the same name twice counts twice", "RT450", {"RT450", "RT490", "RT450"}, {1, 0, 1}},
    {"an empty name counts 0", "RT450", {"", "\0RT450"s, "RT450"}, {0, 0, 1}},
    {"the text ends at its first zero byte", "RT450\0RT450"s, {"RT450"}, {1}},
    {"a name ends at its first zero byte", "RT450", {"RT4\0zz"s}, {1}},
    // Behind an occurrence a name's walk goes on as at a character's start, on its own.
    {"walk resumes inside a character", "A\x81" "A\x81", {"A\x81", "\x81" "A"}, {2, 1}},
    {"lead bytes one after the other", "\x81\x81\x81", {"\x81", "\x81\x81"}, {3, 1}},
    {"resumed walk swallows a later start", "Q\x81\x81Q\x81", {"Q\x81", "Q"}, {1, 2}},
    {"walks meet again behind a single byte", "Q\x81" "AQ\x81", {"Q\x81"}, {2}},
    {"walks meet again in a run of lead bytes", "Q\x81\x81\x81\x81" "AQ\x81",
     {"Q\x81", "\x81" "A"}, {2, 0}},
};

std::vector<int> CountInPieces(const SearchCase& c, const std::vector<std::size_t>& borders) {
    const setup::NameSearch search(c.names);
    setup::NameSearch::Pass pass(search);
    std::size_t from = 0;
    for (std::size_t border : borders) {
        pass.Feed(c.text.data() + from, border - from);
        from = border;
    }
    pass.Feed(c.text.data() + from, c.text.size() - from);
    return pass.Counts();
}

TEST(NameSearch, CountsAreThoseOfTheWholeTextWhereverThePiecesEnd) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CountInPieces(c, {}), c.expected);
        // One border at every position, then pieces of every size.
        for (std::size_t border = 0; border <= c.text.size(); ++border) {
            SCOPED_TRACE("border " + std::to_string(border));
            EXPECT_EQ(CountInPieces(c, {border}), c.expected);
        }
        for (std::size_t size = 1; size <= c.text.size(); ++size) {
            SCOPED_TRACE("pieces of " + std::to_string(size));
            std::vector<std::size_t> borders;
            for (std::size_t at = size; at < c.text.size(); at += size) borders.push_back(at);
            EXPECT_EQ(CountInPieces(c, borders), c.expected);
        }
    }
}

TEST(NameSearch, NothingIsTakenAfterTheTextEnded) {
    const setup::NameSearch search({"RT450"});
    setup::NameSearch::Pass pass(search);
    EXPECT_TRUE(pass.Feed("RT4", 3));
    EXPECT_FALSE(pass.Feed("50\0RT", 5));
    EXPECT_FALSE(pass.Feed("RT450", 5));
    EXPECT_EQ(pass.Counts(), std::vector<int>{1});
}

}  // namespace
