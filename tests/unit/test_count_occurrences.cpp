#include <gtest/gtest.h>

#include <exception>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "setup/CandidateCounts.h"
#include "setup/NameSearch.h"
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
        // After an occurrence the walk goes on right behind it as at a character's
        // start, even where the walk from the file's start is inside a character.
        {"walk resumes inside a character", "A\x81" "A\x81", "A\x81", 2},
        {"lead bytes one after the other", "\x81\x81\x81", "\x81", 3},
        {"resumed walk swallows a later start", "Q\x81\x81Q\x81", "Q\x81", 1},
        {"walks meet again behind a single byte", "Q\x81" "AQ\x81", "Q\x81", 2},
        {"a text of many pieces", std::string(200000, 'x') + "RT450" + std::string(70000, 'y') +
             "RT450", "RT450", 2},
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
    EXPECT_EQ(system.CallsStartingWith("ScanFile"),
              (std::vector<std::string>{"ScanFile " + kPath}));
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

TEST(CountOccurrencesInFile, MemoryThatCannotBeHadCountsZero) {
    fake::FakeSystem system;
    system.AddFile(kPath, "RT450");
    system.failMethod = "ScanFile";
    system.failThrows = std::make_exception_ptr(std::bad_alloc());
    EXPECT_EQ(setup::CountOccurrencesInFile(system, kPath, "RT450"), 0);
}

TEST(CountOccurrencesInFile, EmptyTextCountsZeroWithoutOpening) {
    fake::FakeSystem system;
    system.AddFile(kPath, "RT450");
    EXPECT_EQ(setup::CountOccurrencesInFile(system, kPath, ""), 0);
    EXPECT_EQ(setup::CountOccurrencesInFile(system, kPath, "\0RT450"s), 0);
    EXPECT_TRUE(system.calls.empty());
}

// Both ways a candidate is searched walk the characters of the system's ANSI code page;
// code page 936's when the system cannot tell.
TEST(CountOccurrencesInFile, CharactersAreThoseOfTheSystemsAnsiCodePage) {
    // Columns: the ANSI code page (0: GetCPInfo fails), the file's bytes, the count.
    const std::tuple<unsigned, std::string, int> cases[] = {
        {936, "\xE9RT450", 0},   // 0xE9 0x52 is one character
        {1252, "\xE9RT450", 1},  // "é" then the name
        {949, "\xE9RT450", 0},
        {932, "\xE9RT450", 0},
        {932, "\xA0RT450", 1},   // single-byte half-width range
        {932, "\x9FRT450", 0},
        {0, "\xE9RT450", 0},
        {0, "\x80RT450", 1},
    };
    for (const auto& [codePage, bytes, expected] : cases) {
        SCOPED_TRACE(std::to_string(codePage) + " " + bytes);
        fake::FakeSystem system;
        if (codePage == 0) {
            system.failMethod = "GetCPInfo";
        } else {
            system.ansiCodePage = codePage;
        }
        system.AddFile(kPath, bytes);
        EXPECT_EQ(setup::CountOccurrencesInFile(system, kPath, "RT450"), expected);
        EXPECT_EQ(setup::CandidateCounts(system, {"RT450"}).Count(kPath, "RT450"), expected);
        EXPECT_EQ(system.CallsStartingWith("GetCPInfo"),
                  (std::vector<std::string>{"GetCPInfo 0", "GetCPInfo 0"}));
    }
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

}  // namespace
