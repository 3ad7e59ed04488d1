#include <gtest/gtest.h>

#include <string>

#include "setup/Removal.h"
#include "tests/unit/FakeSystem.h"

namespace {

using namespace std::string_literals;

const std::string kPath = "c:\\windows\\inf\\oem3.inf";

// Columns: what the case shows, the file's bytes, the text searched, the count.
struct CountCase {
    const char* what;
    std::string fileBytes;
    std::string text;
    int expected;
};

TEST(CountOccurrencesInFile, CountsByTable) {
    const CountCase cases[] = {
        {"one whole occurrence", "[Strings]\r\nModel=\"RT450\"\r\n", "RT450", 1},
        {"occurrences never overlap", "AAAA", "AA", 2},
        {"odd run leaves a rest", "AAAAA", "AA", 2},
        {"letter case counts", "rt450 Rt450", "RT450", 0},
        {"inside a longer word", "XRT4500", "RT450", 1},
        {"UTF-16 text ends at its first zero", "R\0T\0" "4\0" "5\0" "0\0"s, "RT450", 0},
        {"UTF-16 with a byte-order mark", "\xFF\xFER\0T\0" "4\0" "5\0" "0\0"s, "RT450", 0},
        {"empty file", "", "RT450", 0},
        {"first byte zero", "\0RT450"s, "RT450", 0},
        {"text ends at the first zero", "RT450 RT450\0RT450"s, "RT450", 2},
        {"text searched only up to its zero", "RT450", "RT4\0zz"s, 1},
        {"double-byte name", "\xB8\xB1\xB1\xBE RT450 (\xB8\xB1\xB1\xBE 1)",
         "RT450 (\xB8\xB1\xB1\xBE 1)", 1},
        // 0xB8 0xB1 is one character; its second byte never starts "\xB1\xBE".
        {"second byte of a double-byte character", "\xB8\xB1\xBE" "A", "\xB1\xBE", 0},
        {"double-byte character swallows an ASCII second byte", "\x81RT450", "RT450", 0},
        {"a character before the match", "\x81xRT450", "RT450", 1},
        {"0x80 is a single byte", "\x80RT450", "RT450", 1},
        {"0xFE is a lead byte", "\xFERT450", "RT450", 0},
        {"0xFF is a single byte", "\xFFRT450", "RT450", 1},
        {"lead byte as the last byte", "RT450\xB8", "RT450", 1},
        {"text longer than the file", "RT45", "RT450", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake::FakeSystem system;
        system.AddFile(kPath, c.fileBytes);
        EXPECT_EQ(setup::CountOccurrencesInFile(system, kPath, c.text), c.expected);
    }
}

TEST(CountOccurrencesInFile, MissingFileCountsZero) {
    fake::FakeSystem system;
    EXPECT_EQ(setup::CountOccurrencesInFile(system, kPath, "RT450"), 0);
    EXPECT_EQ(system.CallsStartingWith("ReadFile"),
              (std::vector<std::string>{"ReadFile " + kPath}));
}

TEST(CountOccurrencesInFile, DirectoryCountsZero) {
    fake::FakeSystem system;
    EXPECT_EQ(setup::CountOccurrencesInFile(system, "c:\\windows\\inf", "RT450"), 0);
}

TEST(CountOccurrencesInFile, ReadErrorCountsZero) {
    fake::FakeSystem system;
    system.AddFile(kPath, "RT450");
    system.failReadOf.insert(kPath);
    EXPECT_EQ(setup::CountOccurrencesInFile(system, kPath, "RT450"), 0);
}

TEST(CountOccurrencesInFile, EmptyTextCountsZeroWithoutOpening) {
    fake::FakeSystem system;
    system.AddFile(kPath, "RT450");
    EXPECT_EQ(setup::CountOccurrencesInFile(system, kPath, ""), 0);
    EXPECT_EQ(setup::CountOccurrencesInFile(system, kPath, "\0RT450"s), 0);
    EXPECT_TRUE(system.calls.empty());
}

TEST(CodePage936, LeadBytesAre0x81To0xFE) {
    // Columns: byte, whether it leads a double-byte character.
    const std::pair<unsigned, bool> cases[] = {
        {0x00, false}, {0x41, false}, {0x7F, false}, {0x80, false},
        {0x81, true},  {0xB8, true},  {0xFE, true},  {0xFF, false},
    };
    for (const auto& [byte, lead] : cases) {
        SCOPED_TRACE(byte);
        EXPECT_EQ(setup::IsCodePage936LeadByte(static_cast<unsigned char>(byte)), lead);
    }
}

TEST(CodePage936, FindWalksCharactersFromTheStartGiven) {
    // Columns: text, pattern, start, index found (npos for none).
    struct FindCase {
        std::string text;
        std::string pattern;
        std::size_t from;
        std::size_t expected;
    };
    const std::size_t none = std::string::npos;
    const FindCase cases[] = {
        {"abcabc", "abc", 0, 0},
        {"abcabc", "abc", 1, 3},
        {"abcabc", "abc", 4, none},
        {"abc", "abc", 3, none},
        {"abc", "abc", 7, none},
        {"\x81" "AB", "AB", 0, none},
        // A start inside a character is taken as a character's start.
        {"\x81" "AB", "AB", 1, 1},
        {"\xB8\xB1\xB1\xBE", "\xB1\xBE", 0, 2},
        {"\xB8\xB1\xBE" "A", "\xB1\xBE", 0, none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " from " + std::to_string(c.from));
        EXPECT_EQ(setup::FindAtCharacterStart(c.text, c.pattern, c.from), c.expected);
    }
}

}  // namespace
