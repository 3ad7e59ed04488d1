// The unattended installer's command line: every accepted form and every malformed one.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "silent/CommandLine.h"

namespace {

using silent::Action;
using silent::Port;

// Columns: arguments; whether they are valid; then for valid ones the action, port and
// log path, for invalid ones the argument named as wrong.
struct Case {
    std::vector<std::string> args;
    bool valid;
    Action action;
    Port port;
    std::string logOrBadArgument;
};

const Case kCases[] = {
    {{}, true, Action::Install, Port::Usb, ""},
    {{"/port:usb"}, true, Action::Install, Port::Usb, ""},
    {{"/port:lpt1"}, true, Action::Install, Port::Parallel, ""},
    {{"-port:lpt1"}, true, Action::Install, Port::Parallel, ""},
    {{"/PORT:LPT1"}, true, Action::Install, Port::Parallel, ""},
    {{"/Port:Usb"}, true, Action::Install, Port::Usb, ""},
    {{"/log:C:\\a b\\x.log"}, true, Action::Install, Port::Usb, "C:\\a b\\x.log"},
    {{"/LOG:x.log", "/port:lpt1"}, true, Action::Install, Port::Parallel, "x.log"},
    {{"/port:lpt1", "-log:C:\\l.txt"}, true, Action::Install, Port::Parallel, "C:\\l.txt"},
    {{"/log:C:\\a:b"}, true, Action::Install, Port::Usb, "C:\\a:b"},
    {{"/uninstall"}, true, Action::Uninstall, Port::Usb, ""},
    {{"-UNINSTALL", "/log:u.log"}, true, Action::Uninstall, Port::Usb, "u.log"},
    {{"/?"}, true, Action::Help, Port::Usb, ""},
    {{"-?"}, true, Action::Help, Port::Usb, ""},
    {{"/?", "/log:h.log"}, true, Action::Help, Port::Usb, "h.log"},

    {{"/port"}, false, Action::Install, Port::Usb, "/port"},
    {{"/port:"}, false, Action::Install, Port::Usb, "/port:"},
    {{"/port:lpt2"}, false, Action::Install, Port::Usb, "/port:lpt2"},
    {{"/port:usb1"}, false, Action::Install, Port::Usb, "/port:usb1"},
    {{"/port: usb"}, false, Action::Install, Port::Usb, "/port: usb"},
    {{"/log"}, false, Action::Install, Port::Usb, "/log"},
    {{"/log:"}, false, Action::Install, Port::Usb, "/log:"},
    {{"/uninstall:yes"}, false, Action::Install, Port::Usb, "/uninstall:yes"},
    {{"/?:x"}, false, Action::Install, Port::Usb, "/?:x"},
    {{"/quiet"}, false, Action::Install, Port::Usb, "/quiet"},
    {{"port:usb"}, false, Action::Install, Port::Usb, "port:usb"},
    {{"/"}, false, Action::Install, Port::Usb, "/"},
    {{""}, false, Action::Install, Port::Usb, ""},
    {{"/port:usb", "/port:lpt1"}, false, Action::Install, Port::Usb, "/port:lpt1"},
    {{"/log:a", "/LOG:b"}, false, Action::Install, Port::Usb, "/LOG:b"},
    {{"/uninstall", "/uninstall"}, false, Action::Install, Port::Usb, "/uninstall"},
    {{"/port:lpt1", "/uninstall"}, false, Action::Install, Port::Usb, "/port:lpt1"},
    {{"/uninstall", "-PORT:usb"}, false, Action::Install, Port::Usb, "-PORT:usb"},
    // /? stands alone, before or after another action: the exit code would answer 0
    // for a run that did nothing.
    {{"/?", "/uninstall"}, false, Action::Install, Port::Usb, "/?"},
    {{"/uninstall", "-?"}, false, Action::Install, Port::Usb, "-?"},
    {{"/?", "/port:lpt1"}, false, Action::Install, Port::Usb, "/?"},
    {{"/PORT:usb", "/?", "/log:h.log"}, false, Action::Install, Port::Usb, "/?"},
    {{"/?", "/?"}, false, Action::Install, Port::Usb, "/?"},
    {{"/msi:yes"}, false, Action::Install, Port::Usb, "/msi:yes"},
    {{"/msi", "-MSI"}, false, Action::Install, Port::Usb, "-MSI"},
    {{"/msi", "/?"}, false, Action::Install, Port::Usb, "/?"},
    // The first wrong argument is named.
    {{"/x", "/y"}, false, Action::Install, Port::Usb, "/x"},
};

TEST(SilentCommandLine, AcceptedAndMalformedForms) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(silent::JoinArguments(c.args));
        const silent::ParsedCommandLine parsed = silent::ParseCommandLine(c.args);
        ASSERT_EQ(parsed.valid, c.valid);
        if (c.valid) {
            EXPECT_EQ(parsed.options.action, c.action);
            EXPECT_EQ(parsed.options.port, c.port);
            EXPECT_EQ(parsed.options.logPath, c.logOrBadArgument);
        } else {
            EXPECT_EQ(parsed.badArgument, c.logOrBadArgument);
            EXPECT_FALSE(parsed.reason.empty());
        }
    }
}

// A valid /log is kept when another argument is wrong, so that the run's one log line
// lands where the caller looks for it.
TEST(SilentCommandLine, LogPathSurvivesAnotherWrongArgument) {
    const auto parsed = silent::ParseCommandLine({"/log:C:\\x.log", "/port:com1"});
    EXPECT_FALSE(parsed.valid);
    EXPECT_EQ(parsed.options.logPath, "C:\\x.log");
}

// /msi goes with either action and changes neither.
TEST(SilentCommandLine, WindowsInstallerSwitchGoesWithEitherAction) {
    // Columns: arguments; the action; the port; whether Windows Installer is the caller.
    const struct {
        std::vector<std::string> args;
        Action action;
        Port port;
        bool forWindowsInstaller;
    } cases[] = {
        {{"/port:lpt1"}, Action::Install, Port::Parallel, false},
        {{"/port:lpt1", "/msi"}, Action::Install, Port::Parallel, true},
        {{"-MSI"}, Action::Install, Port::Usb, true},
        {{"/msi", "/uninstall", "/log:u.log"}, Action::Uninstall, Port::Usb, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(silent::JoinArguments(c.args));
        const auto parsed = silent::ParseCommandLine(c.args);
        ASSERT_TRUE(parsed.valid);
        EXPECT_EQ(parsed.options.action, c.action);
        EXPECT_EQ(parsed.options.port, c.port);
        EXPECT_EQ(parsed.options.forWindowsInstaller, c.forWindowsInstaller);
    }
}

TEST(SilentCommandLine, JoinQuotesArgumentsWithBlanks) {
    EXPECT_EQ(silent::JoinArguments({"/port:lpt1", "/log:C:\\a b\\x.log"}),
              "/port:lpt1 \"/log:C:\\a b\\x.log\"");
}

}  // namespace
