// Whatever a step of the install run throws is told in a box and ends the run as a
// failure does; memory that a candidate's search cannot have only makes that candidate
// unreadable.

#include <gtest/gtest.h>

#include <exception>
#include <new>
#include <stdexcept>

#include "setup/InstallSequence.h"
#include "setup/Messages.h"
#include "tests/unit/HostFixture.h"

namespace {

using fake::Host;

using setup::kUnexpectedErrorText;

class UnexpectedException : public fake::HostTest {
protected:
    void Arrange(Host host) {
        fake::MakeHost(system, host);
        fake::AddWholePackage(system);
        system.AddFile("c:\\windows\\inf\\oem3.inf", "[Strings]\nModel=\"RT450\"\n");
        ui.portChoice = 76;
    }
};

TEST_F(UnexpectedException, IsToldInABoxAndEndsTheRun) {
    // Columns: the step's call that throws, the call that the run then no longer makes.
    const std::pair<const char*, const char*> cases[] = {
        {"GetVersionEx", "EnumPrinters"},
        {"EnumPrinters", "GetPrinterDriverDirectory"},
        {"CopyFile", "SetupCopyOEMInf"},
        {"SetupCopyOEMInf", "CreateProcess"},
    };
    const std::exception_ptr thrown[] = {std::make_exception_ptr(std::bad_alloc()),
                                         std::make_exception_ptr(std::runtime_error("x"))};
    for (const auto& [method, notMade] : cases) {
        for (const auto& exception : thrown) {
            SCOPED_TRACE(method);
            fake::SetFlags(0, 0, 0);
            system = fake::FakeSystem();
            ui = fake::FakeUi();
            Arrange(Host::Win7x86);
            system.failMethod = method;
            system.failThrows = exception;

            setup::InstallSequence(system, ui).OnInstall();

            EXPECT_EQ(ui.Texts(), std::vector<std::string>{kUnexpectedErrorText});
            EXPECT_EQ(ui.boxes.back().caption, "信息提示");
            EXPECT_EQ(ui.boxes.back().type, sys::kMbIconInformation);
            EXPECT_EQ(ui.events, (std::vector<std::string>{
                                     std::string("box ") + kUnexpectedErrorText, "quit"}));
            EXPECT_TRUE(system.CallsStartingWith(notMade).empty());
        }
    }
}

TEST_F(UnexpectedException, MemoryThatACandidateSearchCannotHaveLeavesTheCandidate) {
    Arrange(Host::Win7x86);
    system.failMethod = "ScanFile";
    system.failThrows = std::make_exception_ptr(std::bad_alloc());

    setup::InstallSequence(system, ui).OnInstall();

    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"打印机安装成功!"});
    EXPECT_TRUE(system.uninstalled.empty());
    EXPECT_TRUE(system.FileExists("c:\\windows\\inf\\oem3.inf"));
}

}  // namespace
