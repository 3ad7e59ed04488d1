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

TEST_F(StagingTest, OldTargetThatCannotBeDeletedStaysWithoutAMessage) {
    enum Kind { InUse, ReadOnly, Directory };
    struct Case {
        const char* name;
        Kind kind;
    };
    // what keeps the old UNIDRV.DLL of the destination from being deleted
    const Case cases[] = {{"in use", InUse}, {"read-only", ReadOnly}, {"a folder", Directory}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::FakeSystem machine;
        fake::FakeUi window;
        for (const auto& name : kNames) machine.AddFile(".\\i386\\" + name, "i386:" + name);
        const std::string old = kDest + "\\UNIDRV.DLL";
        if (c.kind == Directory) {
            machine.AddDirectory(old);
        } else {
            machine.AddFile(old, "old", c.kind == ReadOnly ? sys::kFileAttributeReadonly
                                                           : sys::kFileAttributeNormal);
            if (c.kind == InUse) machine.inUse.insert(old);
        }
        EXPECT_EQ(package::StageDriverFiles(machine, window, kDest), 1);
        EXPECT_TRUE(window.boxes.empty());
        EXPECT_EQ(machine.FileBytes(old), c.kind == Directory ? "" : "old");
        EXPECT_EQ(machine.CallsStartingWith("DeleteFile"),
                  std::vector<std::string>{"DeleteFile " + old});
        EXPECT_EQ(machine.CallsStartingWith("CopyFile").size(), 6u);
        EXPECT_EQ(machine.sleptMilliseconds, 7u * 200u);
    }
}

// One file whose old copy is replaced, then one whose copy fails: the pause between the
// delete and the copy, the copy's arguments, and the box right after the failed copy.
TEST_F(StagingTest, EachFileIsDeletedThenPausedThenCopiedAndAFailureIsToldAtOnce) {
    AddPackage("i386");
    const std::string first = kDest + "\\ZORQ80-Series.dll";
    const std::string second = kDest + "\\ZORQ80-Series.gpd";
    system.AddFile(first, "old");
    system.failCopyTo.insert(second);
    ui.timeline = &system.calls;
    EXPECT_EQ(package::StageDriverFiles(system, ui, kDest), 0);
    const std::vector<std::string> expected = {
        "PathFileExists " + kDest,
        "PathFileExists " + first,
        "DeleteFile " + first,
        "Sleep 100",
        "PathFileExists " + first,
        "CopyFile .\\i386\\ZORQ80-Series.dll -> " + first,
        "GetFileAttributes " + first,
        "Sleep 100",
        "PathFileExists " + second,
        "Sleep 100",
        "PathFileExists " + second,
        "CopyFile .\\i386\\ZORQ80-Series.gpd -> " + second,
        "FormatMessage 5",
        "box Access is denied.\r\n",
    };
    EXPECT_EQ(system.calls, expected);
}

TEST_F(StagingTest, MissingDestinationIsCreatedAndShown) {
    AddPackage("i386");
    const std::string dest = "C:\\WINDOWS\\Driver Cache\\i386";
    system.AddDirectory("C:\\WINDOWS\\Driver Cache");
    ui.timeline = &system.calls;
    EXPECT_EQ(package::StageDriverFiles(system, ui, dest), 1);
    // The folder is made first, then named, then the files follow.
    const std::vector<std::string> head(system.calls.begin(), system.calls.begin() + 4);
    EXPECT_EQ(head, (std::vector<std::string>{"PathFileExists " + dest, "CreateDirectory " + dest,
                                              "box " + dest,
                                              "PathFileExists " + dest + "\\ZORQ80-Series.dll"}));
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

TEST_F(StagingTest, AttributesOfEachCopy) {
    struct Case {
        const char* name;
        uint32_t sourceAttributes;
        bool queryFails;
        bool reset;
        uint32_t copyAttributes;
    };
    // source's attributes, GetFileAttributesA fails after the copy, SetFileAttributesA
    // (0x80) called, the copy's attributes in the end
    const Case cases[] = {
        {"normal", sys::kFileAttributeNormal, false, false, 0x20},
        {"hidden", 0x2, false, false, 0x22},
        {"read-only", sys::kFileAttributeReadonly | 0x20, false, true, sys::kFileAttributeNormal},
        // a failed query reads as every bit set, read-only included
        {"query fails", sys::kFileAttributeNormal, true, true, sys::kFileAttributeNormal},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::FakeSystem machine;
        fake::FakeUi window;
        for (const auto& name : kNames) machine.AddFile(".\\i386\\" + name, name, c.sourceAttributes);
        if (c.queryFails) machine.failMethod = "GetFileAttributes";
        EXPECT_EQ(package::StageDriverFiles(machine, window, kDest), 1);
        std::vector<std::string> resets;
        for (const auto& name : kNames) {
            EXPECT_EQ(machine.FileAttributes(kDest + "\\" + name), c.copyAttributes) << name;
            if (c.reset) resets.push_back("SetFileAttributes " + kDest + "\\" + name + " 128");
        }
        EXPECT_EQ(machine.CallsStartingWith("SetFileAttributes"), resets);
    }
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
