#include <gtest/gtest.h>

#include <exception>
#include <new>
#include <vector>

#include "host/Platform.h"
#include "setup/CandidateCounts.h"
#include "setup/Removal.h"
#include "tests/unit/FakeSystem.h"
#include "tests/unit/FakeUi.h"

namespace {

const std::string kInf = "c:\\windows\\inf\\oem3.inf";
const std::vector<std::string> kNames = {"RT450", "RT490", "VX410P/420"};

size_t Scans(const fake::FakeSystem& system) {
    return system.CallsStartingWith("ScanFile").size();
}

TEST(CandidateCounts, OnePassCountsEveryNameWhileTheFileStaysTheSame) {
    fake::FakeSystem system;
    system.AddFile(kInf, "RT450 VX410P/420 RT450");
    setup::CandidateCounts counts(system, kNames);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(counts.Count(kInf, "RT450"), 2);
        EXPECT_EQ(counts.Count(kInf, "RT490"), 0);
        EXPECT_EQ(counts.Count(kInf, "VX410P/420"), 1);
    }
    EXPECT_EQ(Scans(system), 1u);
    EXPECT_TRUE(system.CallsStartingWith("ReadFile").empty());
}

TEST(CandidateCounts, ChangedRemovedAndUnreadableFilesAreReadAgain) {
    fake::FakeSystem system;
    system.AddFile(kInf, "RT450");
    setup::CandidateCounts counts(system, kNames);
    counts.Count(kInf, "RT450");

    system.AddFile(kInf, "RT490");  // rewritten, same size
    EXPECT_EQ(counts.Count(kInf, "RT450"), 0);
    EXPECT_EQ(counts.Count(kInf, "RT490"), 1);
    EXPECT_EQ(Scans(system), 2u);

    system.RemoveFile(kInf);
    EXPECT_EQ(counts.Count(kInf, "RT490"), 0);
    EXPECT_EQ(Scans(system), 2u);  // nothing there: no open is tried

    system.AddFile(kInf, "RT450");
    system.failReadOf.insert(kInf);
    EXPECT_EQ(counts.Count(kInf, "RT450"), 0);
    EXPECT_EQ(counts.Count(kInf, "RT450"), 0);  // a failed read is not kept
    EXPECT_EQ(Scans(system), 4u);
}

// A copy keeps its source's last write time: a file replaced by one of the same size
// and write time differs only in its creation time.
TEST(CandidateCounts, AFileReplacedWithTheSameSizeAndWriteTimeIsReadAgain) {
    fake::FakeSystem system;
    system.AddFile(kInf, "RT450");
    const uint64_t written = system.LastWriteTime(kInf);
    setup::CandidateCounts counts(system, kNames);
    EXPECT_EQ(counts.Count(kInf, "RT450"), 1);

    system.AddFile(kInf, "RT490");
    system.SetLastWriteTime(kInf, written);
    EXPECT_EQ(counts.Count(kInf, "RT450"), 0);
    EXPECT_EQ(counts.Count(kInf, "RT490"), 1);
}

// Written again in place (its creation time stays) by a tool that put the last write
// time back: only the size tells.
TEST(CandidateCounts, AFileThatOnlyChangedItsSizeIsReadAgain) {
    fake::FakeSystem system;
    system.AddFile(kInf, "RT450");
    const uint64_t written = system.LastWriteTime(kInf);
    setup::CandidateCounts counts(system, kNames);
    EXPECT_EQ(counts.Count(kInf, "RT450"), 1);

    ASSERT_TRUE(system.WriteFile(kInf, "RT450 RT450"));
    system.SetLastWriteTime(kInf, written);
    EXPECT_EQ(counts.Count(kInf, "RT450"), 2);
}

// As a fresh search would: a file that cannot be opened counts nothing, and is passed
// over. Its counts serve again once it opens, without another read.
TEST(CandidateCounts, AnUnchangedFileThatCannotBeOpenedNowCountsNothing) {
    fake::FakeSystem system;
    system.AddFile(kInf, "RT450");
    setup::CandidateCounts counts(system, kNames);
    EXPECT_EQ(counts.Count(kInf, "RT490"), 0);
    system.heldExclusively.insert(kInf);  // held open by another program from now on
    EXPECT_EQ(counts.Count(kInf, "RT450"), 0);

    system.heldExclusively.clear();
    EXPECT_EQ(counts.Count(kInf, "RT450"), 1);
    EXPECT_EQ(Scans(system), 1u);

    system.AddFile(kInf, "RT450 RT450");  // changed: its known counts are not its own
    system.heldExclusively.insert(kInf);
    EXPECT_EQ(counts.Count(kInf, "RT450"), 0);
}

TEST(CandidateCounts, AFileThatCannotBeAskedAboutIsReadDirectly) {
    fake::FakeSystem system;
    system.AddFile(kInf, "RT450");
    system.failMethod = "GetFileStamp";
    setup::CandidateCounts counts(system, kNames);
    EXPECT_EQ(counts.Count(kInf, "RT450"), 1);
    EXPECT_EQ(counts.Count(kInf, "RT450"), 1);
    EXPECT_EQ(Scans(system), 2u);
}

TEST(CandidateCounts, MemoryThatCannotBeHadInAReadCountsTheFileUnreadable) {
    fake::FakeSystem system;
    system.AddFile(kInf, "RT450");
    system.failMethod = "ScanFile";
    system.failOccurrence = 0;
    system.failThrows = std::make_exception_ptr(std::bad_alloc());
    setup::CandidateCounts counts(system, kNames);
    EXPECT_EQ(counts.Count(kInf, "RT450"), 0);
    EXPECT_EQ(counts.Count(kInf, "RT450"), 1);  // nothing was kept of the failed pass
    EXPECT_EQ(Scans(system), 2u);
}

TEST(CandidateCounts, ANameNotGivenIsCountedOnItsOwn) {
    fake::FakeSystem system;
    system.AddFile(kInf, "RT450 RT530");
    setup::CandidateCounts counts(system, kNames);
    EXPECT_EQ(counts.Count(kInf, "RT530"), 1);
    EXPECT_EQ(counts.Count(kInf, ""), 0);
    EXPECT_EQ(counts.Count(kInf, "RT450"), 1);
    EXPECT_EQ(Scans(system), 2u);
}

// A run's removal over many names uninstalls the same files, in the same order, with
// and without the kept counts, and reads each unchanged candidate once.
TEST(CandidateCounts, RemovalWithKeptCountsUninstallsWhatDirectSearchesDo) {
    auto arrange = [](fake::FakeSystem& system) {
        system.AddFile("c:\\windows\\inf\\oem0.inf", "VX410P/420");
        system.AddFile("c:\\windows\\inf\\oem4.inf", "; nothing of ours");
        system.AddFile("c:\\windows\\inf\\oem7.inf", "RT490 and RT450");
        system.AddFile("c:\\windows\\inf\\oem99.inf", "RT530");
        system.AddFile("c:\\windows\\inf\\oem100.inf", "RT450");
        system.uninstallFails = {"oem99.inf"};
    };
    const std::vector<std::string> names = {"VX410P/420", "RT450", "RT490", "RT530", "RT450"};
    g_is64BitOs = 1;
    fake::FakeSystem direct;
    fake::FakeUi directUi;
    arrange(direct);
    for (const auto& name : names) setup::RemovePreviousInstallation(direct, directUi, name);

    fake::FakeSystem kept;
    fake::FakeUi keptUi;
    arrange(kept);
    setup::CandidateCounts counts(kept, names);
    for (const auto& name : names) setup::RemovePreviousInstallation(kept, keptUi, name, counts);
    g_is64BitOs = 0;

    EXPECT_EQ(kept.uninstalled, direct.uninstalled);
    EXPECT_EQ(kept.uninstalled, (std::vector<std::string>{"oem0.inf", "oem7.inf", "oem99.inf"}));
    EXPECT_EQ(keptUi.Texts(), directUi.Texts());
    // The four candidates there are each read once, the uninstalled ones before they go.
    EXPECT_EQ(kept.CallsStartingWith("ScanFile c:\\windows\\inf\\oem").size(), 4u);
    EXPECT_TRUE(kept.CallsStartingWith("GetFileStamp c:\\windows\\inf\\oem100").empty());
}

}  // namespace
