#include <gtest/gtest.h>

#include "host/Platform.h"
#include "setup/FileTextCache.h"
#include "setup/Removal.h"
#include "tests/unit/FakeSystem.h"
#include "tests/unit/FakeUi.h"

namespace {

const std::string kInf = "c:\\windows\\inf\\oem3.inf";

size_t Reads(const fake::FakeSystem& system) {
    return system.CallsStartingWith("ReadFile").size();
}

TEST(FileTextCache, ReadsAFileOnceWhileItStaysTheSame) {
    fake::FakeSystem system;
    system.AddFile(kInf, "RT450");
    setup::FileTextCache cache(system);
    for (int i = 0; i < 3; ++i) {
        const sys::FileRead read = cache.ReadWhole(kInf);
        EXPECT_TRUE(read.opened && read.readOk);
        EXPECT_EQ(read.bytes, "RT450");
    }
    EXPECT_EQ(Reads(system), 1u);
}

TEST(FileTextCache, ChangedRemovedAndUnreadableFilesAreReadAgain) {
    fake::FakeSystem system;
    system.AddFile(kInf, "RT450");
    setup::FileTextCache cache(system);
    cache.ReadWhole(kInf);

    system.AddFile(kInf, "RT490");  // rewritten, same size
    EXPECT_EQ(cache.ReadWhole(kInf).bytes, "RT490");
    EXPECT_EQ(Reads(system), 2u);

    system.RemoveFile(kInf);
    EXPECT_FALSE(cache.ReadWhole(kInf).opened);
    EXPECT_EQ(Reads(system), 2u);  // nothing there: no open is tried

    system.AddFile(kInf, "RT450");
    system.failReadOf.insert(kInf);
    const sys::FileRead failed = cache.ReadWhole(kInf);
    EXPECT_TRUE(failed.opened);
    EXPECT_FALSE(failed.readOk);
    EXPECT_EQ(cache.ReadWhole(kInf).readOk, false);  // a failed read is not kept
    EXPECT_EQ(Reads(system), 4u);
}

TEST(FileTextCache, AFileThatCannotBeAskedAboutIsReadDirectly) {
    fake::FakeSystem system;
    system.AddFile(kInf, "RT450");
    system.failMethod = "GetFileStamp";
    setup::FileTextCache cache(system);
    EXPECT_EQ(cache.ReadWhole(kInf).bytes, "RT450");
    EXPECT_EQ(cache.ReadWhole(kInf).bytes, "RT450");
    EXPECT_EQ(Reads(system), 2u);
}

// A run's removal over many names uninstalls the same files, in the same order, with
// and without the cache, and reads each unchanged candidate once.
TEST(FileTextCache, RemovalThroughTheCacheUninstallsWhatDirectReadsDo) {
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

    fake::FakeSystem cached;
    fake::FakeUi cachedUi;
    arrange(cached);
    setup::FileTextCache texts(cached);
    for (const auto& name : names) setup::RemovePreviousInstallation(cached, cachedUi, name, texts);
    g_is64BitOs = 0;

    EXPECT_EQ(cached.uninstalled, direct.uninstalled);
    EXPECT_EQ(cached.uninstalled,
              (std::vector<std::string>{"oem0.inf", "oem7.inf", "oem99.inf"}));
    EXPECT_EQ(cachedUi.Texts(), directUi.Texts());
    // oem4 and oem99 stay and are read once; oem0 and oem7 once before they go.
    EXPECT_EQ(cached.CallsStartingWith("ReadFile c:\\windows\\inf\\oem").size(), 4u);
    EXPECT_TRUE(cached.CallsStartingWith("GetFileStamp c:\\windows\\inf\\oem100").empty());
}

}  // namespace
