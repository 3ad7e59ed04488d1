// The unattended installer's log line by line: each piece converted from its own code
// page, a line that stays one line, the byte-order mark, the last-error code that the
// logged call left, and the one open file that every line goes to.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "silent/InstallLog.h"
#include "tests/unit/FakeSystem.h"
#include "tests/unit/FakeUnattendedSystem.h"

namespace {

using silent::LogPiece;
using silent::TextSource;

const char* const kLog = "C:\\logs\\rt450.log";
const std::string kBom = "\xEF\xBB\xBF";
const std::string kStamp = "2026-12-10 14:50:01.023  [4242]  remove   ";

class InstallLogTest : public ::testing::Test {
protected:
    fake::FakeSystem system;
    fake::FakeUnattendedSystem unattended{system};
    silent::InstallLog log{system, unattended};

    void SetUp() override {
        system.AddDirectory("C:\\logs");
        log.Open(kLog);
        log.SetStep("remove");
    }
};

// Columns: what the case shows, the system's ANSI code page, the pieces, the text that
// the line shows (UTF-8).
struct LineCase {
    const char* what;
    uint32_t ansiCodePage;
    std::vector<LogPiece> pieces;
    std::string shown;
};

TEST_F(InstallLogTest, EachPieceIsConvertedFromItsOwnCodePage) {
    const LineCase cases[] = {
        {"a system text on a Latin-1 system", 1252,
         {{TextSource::System, "C:\\Caf\xE9\\oem3.inf"}}, u8"C:\\Café\\oem3.inf"},
        {"a system text on a Chinese system", 936, {{TextSource::System, "\xBE\xDC\xBE\xF8"}},
         u8"拒绝"},
        {"the program's text on a Latin-1 system", 1252,
         {{TextSource::System, "message \""},
          {TextSource::Program, "\xD0\xC5\xCF\xA2"},
          {TextSource::System, "\": \xE9"}},
         u8"message \"信息\": é"},
        // A byte that starts a character with nothing behind it is no text of the code
        // page: it is written as it came rather than the line being lost.
        {"a cut character", 936, {{TextSource::System, "oem3.inf \xB8"}}, "oem3.inf \xB8"},
        {"a cut character beside a sound piece", 936,
         {{TextSource::Program, "\xD0\xC5"}, {TextSource::System, " \x81"}}, u8"信 \x81"},
        // A carriage return inside a system text never splits the line; a line feed is
        // shown as "\n".
        {"line ends inside", 1252, {{TextSource::System, "one\r\ntwo\rthree\r\n"}},
         "one\\ntwothree"},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        system.RemoveFile(kLog);
        log.Open(kLog);
        system.ansiCodePage = c.ansiCodePage;
        log.Write(c.pieces);
        EXPECT_EQ(system.FileBytes(kLog), kBom + kStamp + c.shown + "\r\n");
    }
}

TEST_F(InstallLogTest, AnEmptyLogThatIsThereGetsTheMarkOnce) {
    system.AddFile(kLog, "");
    log.Open(kLog);
    log.Write("one");
    log.Write("two");
    EXPECT_EQ(system.FileBytes(kLog), kBom + kStamp + "one\r\n" + kStamp + "two\r\n");
}

// The logic reads the last-error code right after the call that the log tells of; the
// log's own calls (a text that is no text of its code page fails its conversion with
// 1113) must not change it.
TEST_F(InstallLogTest, TheLastErrorIsLeftAsTheLoggedCallSetIt) {
    system.SetLastError(5);
    log.Write("uninstalling the staged INF file oem3.inf \xB8 failed");
    EXPECT_NE(system.FileBytes(kLog).find("oem3.inf \xB8 failed"), std::string::npos);
    EXPECT_EQ(system.GetLastError(), 5u);
}

// The file is judged once, as it was opened, and every line goes to that file: a name
// that another account turns into a link to its own file afterwards leads no line there.
TEST_F(InstallLogTest, LinesGoToTheFileOpenedWhateverBecomesOfItsName) {
    const char* const victim = "C:\\Users\\victim\\notes.txt";
    system.AddFile(victim, "the victim's notes\r\n");
    log.Write("one");
    const auto opened = system.OpenFileObject(kLog);
    system.RemoveFile(kLog);
    system.AddHardLink(kLog, victim);
    log.Write("two");
    EXPECT_EQ(system.FileBytes(victim), "the victim's notes\r\n");
    EXPECT_EQ(opened->bytes, kBom + kStamp + "one\r\n" + kStamp + "two\r\n");
}

}  // namespace
