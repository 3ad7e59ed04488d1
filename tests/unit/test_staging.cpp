#include <gtest/gtest.h>

#include "package/Package.h"
#include "package/Staging.h"
#include "tests/unit/HostFixture.h"

namespace {

using fake::HostTest;

const std::vector<std::string> kNames = {"ZORQ80-Series.dll", "ZORQ80-Series.gpd",
                                         "UNIDRV.DLL",        "UNIDRV.HLP",
                                         "UNIDRVUI.DLL",      "UNIRES.DLL",
                                         "STDNAMES.GPD"};
const std::string kDest = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";

class StagingTest : public HostTest {
protected:
    void AddPackage(const std::string& folder) {
        for (const auto& name : kNames)
            system.AddFile(".\\" + folder + "\\" + name, folder + ":" + name);
    }
    std::vector<std::string> Copies() const { return system.CallsStartingWith("CopyFile"); }
};

TEST_F(StagingTest, VariantAndSourcePathsFollowTheFlags) {
    struct Case {
        int is64, win7, win8;
        const char* folder;
    };
    // flags, package folder
    const Case cases[] = {
        {1, 0, 0, "amd64"},  {1, 1, 0, "amd64"},  {1, 0, 1, "amd64"}, {0, 1, 0, "i386w7"},
        {0, 0, 1, "i386w7"}, {0, 1, 1, "i386w7"}, {0, 0, 0, "i386"},
    };
    for (const auto& c : cases) {
        fake::SetFlags(c.is64, c.win7, c.win8);
        const auto variant = package::ChooseVariant();
        EXPECT_STREQ(package::VariantFolder(variant), c.folder);
        EXPECT_EQ(package::SourcePath(variant, "UNIDRV.HLP"),
                  std::string(".\\") + c.folder + "\\UNIDRV.HLP");
        EXPECT_EQ(package::InfPath(variant),
                  std::string(".\\") + c.folder + "\\ZORQ80-Series.INF");
    }
}

TEST_F(StagingTest, VerificationTestsTheSevenFilesInOrderAndIsSilent) {
    fake::SetFlags(0, 1, 0);
    AddPackage("i386w7");
    EXPECT_EQ(package::VerifyPackageFiles(system, ui), 1);
    EXPECT_TRUE(ui.boxes.empty());
    std::vector<std::string> expected;
    for (const auto& name : kNames) expected.push_back("PathFileExists .\\i386w7\\" + name);
    EXPECT_EQ(system.CallsStartingWith("PathFileExists"), expected);
}

TEST_F(StagingTest, VerificationNamesOnlyTheFirstMissingFile) {
    AddPackage("i386");
    system.RemoveFile(".\\i386\\UNIDRV.HLP");
    system.RemoveFile(".\\i386\\UNIRES.DLL");
    EXPECT_EQ(package::VerifyPackageFiles(system, ui), 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, ".\\i386\\UNIDRV.HLP");
    EXPECT_EQ(ui.boxes[0].caption, "安装文件受损：找不到文件");
    EXPECT_EQ(ui.boxes[0].type, 0x40u);
    EXPECT_FALSE(ui.boxes[0].afx);
    EXPECT_EQ(system.CallsStartingWith("PathFileExists").size(), 4u);
}

TEST_F(StagingTest, StagingCopiesAllFilesWithPausesAroundEach) {
    fake::SetFlags(1, 0, 0);
    AddPackage("amd64");
    EXPECT_EQ(package::StageDriverFiles(system, ui, kDest), 1);
    EXPECT_TRUE(ui.boxes.empty());
    ASSERT_EQ(Copies().size(), 7u);
    for (size_t i = 0; i < kNames.size(); ++i) {
        EXPECT_EQ(Copies()[i],
                  "CopyFile .\\amd64\\" + kNames[i] + " -> " + kDest + "\\" + kNames[i]);
        EXPECT_EQ(system.FileBytes(kDest + "\\" + kNames[i]), "amd64:" + kNames[i]);
    }
    EXPECT_EQ(system.sleptMilliseconds, 7u * 200u);
    EXPECT_EQ(system.CallsStartingWith("Sleep").size(), 14u);
}

TEST_F(StagingTest, ExistingTargetIsDeletedAndCopiedAfresh) {
    AddPackage("i386");
    system.AddFile(kDest + "\\UNIDRV.DLL", "old");
    EXPECT_EQ(package::StageDriverFiles(system, ui, kDest), 1);
    EXPECT_EQ(system.FileBytes(kDest + "\\UNIDRV.DLL"), "i386:UNIDRV.DLL");
    EXPECT_EQ(system.CallsStartingWith("DeleteFile"),
              std::vector<std::string>{"DeleteFile " + kDest + "\\UNIDRV.DLL"});
}

TEST_F(StagingTest, UndeletableOldTargetStaysWithoutAMessage) {
    AddPackage("i386");
    system.AddFile(kDest + "\\UNIDRV.DLL", "in use");
    system.undeletable.insert(kDest + "\\UNIDRV.DLL");
    EXPECT_EQ(package::StageDriverFiles(system, ui, kDest), 1);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(system.FileBytes(kDest + "\\UNIDRV.DLL"), "in use");
    EXPECT_EQ(Copies().size(), 6u);
    EXPECT_EQ(system.sleptMilliseconds, 7u * 200u);
}

TEST_F(StagingTest, MissingDestinationIsCreatedAndShown) {
    AddPackage("i386");
    const std::string dest = "C:\\WINDOWS\\Driver Cache\\i386";
    system.AddDirectory("C:\\WINDOWS\\Driver Cache");
    EXPECT_EQ(package::StageDriverFiles(system, ui, dest), 1);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, dest);
    EXPECT_EQ(ui.boxes[0].caption, "安装错误");
    EXPECT_EQ(ui.boxes[0].type, 0x40u);
    EXPECT_TRUE(system.DirectoryExists(dest));
    EXPECT_EQ(Copies().size(), 7u);
}

TEST_F(StagingTest, UncreatableDestinationFailsAtTheFirstCopy) {
    AddPackage("i386");
    const std::string dest = "C:\\WINDOWS\\Driver Cache\\i386";  // parent missing too
    EXPECT_EQ(package::StageDriverFiles(system, ui, dest), 0);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, dest);
    EXPECT_EQ(ui.boxes[1].text, "The system cannot find the path specified.\r\n");
    EXPECT_EQ(ui.boxes[1].caption, "安装错误");
    EXPECT_EQ(Copies().size(), 1u);
}

TEST_F(StagingTest, FailingThirdCopyKeepsEarlierFilesAndStops) {
    AddPackage("i386");
    system.failCopyTo.insert(kDest + "\\UNIDRV.DLL");
    EXPECT_EQ(package::StageDriverFiles(system, ui, kDest), 0);
    EXPECT_TRUE(system.FileExists(kDest + "\\ZORQ80-Series.dll"));
    EXPECT_TRUE(system.FileExists(kDest + "\\ZORQ80-Series.gpd"));
    for (size_t i = 3; i < kNames.size(); ++i)
        EXPECT_FALSE(system.FileExists(kDest + "\\" + kNames[i])) << kNames[i];
    EXPECT_EQ(Copies().size(), 3u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Access is denied.\r\n");
    EXPECT_EQ(ui.boxes[0].caption, "安装错误");
    EXPECT_EQ(ui.boxes[0].type, 0x40u);
}

TEST_F(StagingTest, ErrorWithoutSystemTextShowsItsNumber) {
    AddPackage("i386");
    system.failCopyTo.insert(kDest + "\\ZORQ80-Series.dll");
    system.failCopyError = 0xE0000235;
    EXPECT_EQ(package::StageDriverFiles(system, ui, kDest), 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "3758096949 (0xE0000235)");
}

TEST_F(StagingTest, ReadOnlySourceEndsAsNormalFile) {
    AddPackage("i386");
    system.AddFile(".\\i386\\UNIRES.DLL", "ro", sys::kFileAttributeReadonly | 0x20);
    EXPECT_EQ(package::StageDriverFiles(system, ui, kDest), 1);
    EXPECT_EQ(system.FileAttributes(kDest + "\\UNIRES.DLL"), sys::kFileAttributeNormal);
    EXPECT_EQ(system.CallsStartingWith("SetFileAttributes"),
              std::vector<std::string>{"SetFileAttributes " + kDest + "\\UNIRES.DLL 128"});
}

TEST_F(StagingTest, SeparatorIsAlwaysAddedAndLongPathsAreNeverTruncated) {
    AddPackage("i386");
    system.AddDirectory("C:\\dest");
    EXPECT_EQ(package::StageDriverFiles(system, ui, "C:\\dest\\"), 1);
    EXPECT_EQ(Copies()[0], "CopyFile .\\i386\\ZORQ80-Series.dll -> C:\\dest\\\\ZORQ80-Series.dll");

    fake::FakeSystem machine;
    fake::FakeUi window;
    for (const auto& name : kNames) machine.AddFile(".\\i386\\" + name);
    const std::string deep = "C:\\" + std::string(245, 'd');
    machine.AddDirectory(deep);
    EXPECT_EQ(package::StageDriverFiles(machine, window, deep), 0);
    ASSERT_EQ(machine.CallsStartingWith("CopyFile").size(), 1u);
    EXPECT_EQ(machine.CallsStartingWith("CopyFile")[0],
              "CopyFile .\\i386\\ZORQ80-Series.dll -> " + deep + "\\ZORQ80-Series.dll");
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "The filename or extension is too long.\r\n");
}

}  // namespace
