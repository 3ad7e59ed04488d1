#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup64/Setup64Main.h"
#include "tests/unit/FakeSystem.h"

namespace {

const std::string kHardwareId = "USBPRINT\\KELVARO80-Series0AA5";
const std::string kRelativeInf = ".\\amd64\\ZORQ80-Series.INF";
// The fake starts in C:\pkg, so this is the relative path made absolute.
const std::string kAbsoluteInf = "C:\\pkg\\amd64\\ZORQ80-Series.INF";

std::vector<std::string> RealArguments() { return {kHardwareId, kRelativeInf}; }

// Columns: what the update reports (0 = success), whether the system has
// DiInstallDriverA, what the driver-store pre-install reports (0 = success), the exit
// code, whether the pre-install was attempted.
struct UpdateOutcomeCase {
    const char* name;
    uint32_t updateError;
    bool hasPreinstall;
    uint32_t preinstallError;
    int exitCode;
    bool preinstallAttempted;
};

const UpdateOutcomeCase kUpdateOutcomes[] = {
    {"device present", 0, true, 0, setup64::kExitInstalled, false},
    {"no device, package pre-installed", sys::kErrorNoSuchDevinst, true, 0,
     setup64::kExitPackagePreinstalled, true},
    {"no device, pre-install fails", sys::kErrorNoSuchDevinst, true, 5, setup64::kExitFailed,
     true},
    // 64-bit XP and Server 2003: no driver store, the staged INF waits for the plug-in
    {"no device, no driver store", sys::kErrorNoSuchDevinst, false, 0,
     setup64::kExitPackagePreinstalled, false},
    {"device present, no driver store", 0, false, 0, setup64::kExitInstalled, false},
    {"INF not found", sys::kErrorFileNotFound, true, 0, setup64::kExitFailed, false},
    {"INF not found, no driver store", sys::kErrorFileNotFound, false, 0,
     setup64::kExitFailed, false},
    {"invalid flags", sys::kErrorInvalidFlags, true, 0, setup64::kExitFailed, false},
    {"no more items", sys::kErrorNoMoreItems, true, 0, setup64::kExitFailed, false},
    {"still under WOW64", sys::kErrorInWow64, true, 0, setup64::kExitFailed, false},
    {"access denied", 5, true, 0, setup64::kExitFailed, false},
    // The package's signature, at the update or at the pre-install: a code of its own.
    {"publisher not trusted", 0xE0000243, true, 0, setup64::kExitSignatureNotTrusted, false},
    {"no catalog", 0xE000022F, true, 0, setup64::kExitSignatureNotTrusted, false},
    {"no device, pre-install untrusted", sys::kErrorNoSuchDevinst, true, 0xE0000242,
     setup64::kExitSignatureNotTrusted, true},
    {"no device, store refuses the unsigned package", sys::kErrorNoSuchDevinst, true,
     0x800B0100, setup64::kExitSignatureNotTrusted, true},
};

TEST(Setup64, ExitCodeFollowsTheUpdateOutcome) {
    for (const auto& c : kUpdateOutcomes) {
        SCOPED_TRACE(c.name);
        fake::FakeSystem system;
        system.updateDriverError = c.updateError;
        system.hasDiInstallDriver = c.hasPreinstall;
        system.diInstallDriverError = c.preinstallError;

        EXPECT_EQ(setup64::RunSetup64(system, RealArguments()), c.exitCode);

        EXPECT_EQ(system.updateDriverCalls.size(), 1u);
        const auto preinstalls = system.CallsStartingWith("DiInstallDriver");
        if (c.preinstallAttempted) {
            EXPECT_EQ(preinstalls, std::vector<std::string>{"DiInstallDriver " + kAbsoluteInf});
        } else {
            EXPECT_TRUE(preinstalls.empty());
        }
    }
}

TEST(Setup64, UpdatesTheHardwareIdWithTheAbsoluteInfPathAndForce) {
    fake::FakeSystem system;

    setup64::RunSetup64(system, RealArguments());

    EXPECT_EQ(system.CallsStartingWith("GetFullPathName"),
              std::vector<std::string>{"GetFullPathName " + kRelativeInf});
    EXPECT_EQ(system.updateDriverCalls,
              std::vector<std::string>{kHardwareId + "|" + kAbsoluteInf + "|1"});
}

TEST(Setup64, PreinstallsOnlyAfterTheUpdateFoundNoDevice) {
    fake::FakeSystem system;
    system.updateDriverError = sys::kErrorNoSuchDevinst;

    setup64::RunSetup64(system, RealArguments());

    const std::vector<std::string> expected = {"GetFullPathName " + kRelativeInf,
                                               "UpdateDriverForPlugAndPlayDevices",
                                               "GetProcAddress newdev DiInstallDriverA",
                                               "DiInstallDriver " + kAbsoluteInf};
    EXPECT_EQ(system.calls, expected);
}

TEST(Setup64, WrongArgumentCountsTouchNothing) {
    const std::vector<std::vector<std::string>> argumentLists = {
        {},
        {kHardwareId},
        {kHardwareId, kRelativeInf, "extra"},
    };
    for (const auto& args : argumentLists) {
        SCOPED_TRACE(args.size());
        fake::FakeSystem system;

        EXPECT_EQ(setup64::RunSetup64(system, args), setup64::kExitBadArguments);
        EXPECT_TRUE(system.calls.empty());
    }
}

// A path GetFullPathNameA cannot resolve (too long, for one) must not reach the update.
class FullPathFailingSystem : public fake::FakeSystem {
public:
    std::string GetFullPathName(const std::string& path) override {
        FakeSystem::GetFullPathName(path);
        return {};
    }
};

TEST(Setup64, UnresolvableInfPathFailsBeforeTheUpdate) {
    FullPathFailingSystem system;

    EXPECT_EQ(setup64::RunSetup64(system, RealArguments()), setup64::kExitFailed);
    EXPECT_TRUE(system.updateDriverCalls.empty());
    EXPECT_TRUE(system.CallsStartingWith("DiInstallDriver").empty());
}

}  // namespace
