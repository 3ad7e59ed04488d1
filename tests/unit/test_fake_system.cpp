// The fake answers file calls as Windows does where the installer's tests lean on it:
// files in use, missing folders, folders in a file's place, and the attributes of a copy.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/unit/FakeSystem.h"

namespace {

const std::string kOld = "C:\\dest\\old.dll";
const std::string kSource = "C:\\pkg\\i386\\new.dll";

// A machine with C:\dest\old.dll (in use when asked) and the source file.
void Furnish(fake::FakeSystem& system, bool oldInUse) {
    system.AddFile(kOld, "old");
    system.AddFile(kSource, "new");
    if (oldInUse) system.inUse.insert(kOld);
}

TEST(FakeSystem, FileCallsFailWithTheErrorsOfWindows) {
    struct Case {
        const char* name;
        bool oldInUse;
        std::function<bool(fake::FakeSystem&)> call;
        uint32_t error;  // 0: the call succeeds
    };
    // the call, the last-error code it leaves (ERROR_SHARING_VIOLATION 32,
    // ERROR_PATH_NOT_FOUND 3, ERROR_FILE_NOT_FOUND 2, ERROR_ACCESS_DENIED 5)
    const Case cases[] = {
        {"delete a file in use", true, [](fake::FakeSystem& s) { return s.DeleteFile(kOld); }, 32},
        {"copy onto a file in use", true,
         [](fake::FakeSystem& s) { return s.CopyFile(kSource, kOld, false); }, 32},
        {"write a file in use", true, [](fake::FakeSystem& s) { return s.WriteFile(kOld, "x"); },
         32},
        {"copy onto a file not in use", false,
         [](fake::FakeSystem& s) { return s.CopyFile(kSource, kOld, false); }, 0},
        {"delete in a missing folder", false,
         [](fake::FakeSystem& s) { return s.DeleteFile("C:\\gone\\old.dll"); }, 3},
        {"delete a missing file", false,
         [](fake::FakeSystem& s) { return s.DeleteFile("C:\\dest\\gone.dll"); }, 2},
        {"copy from a missing folder", false,
         [](fake::FakeSystem& s) { return s.CopyFile("C:\\pkg\\gone\\new.dll", kOld, false); },
         3},
        {"copy from a missing file", false,
         [](fake::FakeSystem& s) { return s.CopyFile("C:\\pkg\\i386\\gone.dll", kOld, false); },
         2},
        {"copy into a missing folder", false,
         [](fake::FakeSystem& s) { return s.CopyFile(kSource, "C:\\gone\\new.dll", false); }, 3},
        {"copy onto a folder", false,
         [](fake::FakeSystem& s) { return s.CopyFile(kSource, "C:\\dest", false); }, 5},
        {"delete a folder", false, [](fake::FakeSystem& s) { return s.DeleteFile("C:\\dest"); },
         5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::FakeSystem system;
        Furnish(system, c.oldInUse);
        system.lastError = 0;
        EXPECT_EQ(c.call(system), c.error == 0);
        EXPECT_EQ(system.lastError, c.error);
    }
}

TEST(FakeSystem, ACopyKeepsTheSourcesAttributesAndIsMarkedForArchiving) {
    struct Case {
        uint32_t source;
        uint32_t copy;
    };
    // source's attributes, the copy's (FILE_ATTRIBUTE_ARCHIVE 0x20 added; NORMAL 0x80
    // stands for none)
    const Case cases[] = {{0x80, 0x20}, {0x1, 0x21}, {0x21, 0x21}, {0x6, 0x26}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        fake::FakeSystem system;
        system.AddFile(kSource, "new", c.source);
        system.AddDirectory("C:\\dest");
        ASSERT_TRUE(system.CopyFile(kSource, "C:\\dest\\new.dll", false));
        EXPECT_EQ(system.FileAttributes("C:\\dest\\new.dll"), c.copy);
    }
}

}  // namespace

namespace {

// A message lookup that finds no text fails with ERROR_MR_MID_NOT_FOUND (317) of its
// own, as FormatMessageA does: whoever tells an error must keep the code it told.
TEST(FakeSystem, AMessageWithoutTextFailsWithItsOwnError) {
    fake::FakeSystem system;
    system.SetLastError(1117);
    EXPECT_EQ(system.FormatMessage(1117), "");
    EXPECT_EQ(system.GetLastError(), 317u);
    system.SetLastError(5);
    EXPECT_EQ(system.FormatMessage(5), "Access is denied.\r\n");
    EXPECT_EQ(system.GetLastError(), 5u);
}

}  // namespace
