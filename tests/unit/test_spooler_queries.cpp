#include <gtest/gtest.h>

#include "host/SpoolerQueries.h"
#include "tests/unit/FakeSystem.h"

namespace {

struct MatchCase {
    std::vector<std::string> listed;
    const char* asked;
    bool found;
};

// what the spooler lists, the name asked for, the answer
const MatchCase kMatchCases[] = {
    {{}, "RT450", false},
    {{"RT450"}, "RT450", true},
    {{"rt450"}, "RT450", false},
    {{"RT450 (副本 1)"}, "RT450", false},
    {{"RT450"}, "RT450 (副本 1)", false},
    {{"RT45"}, "RT450", false},
    {{"RT450 "}, "RT450", false},
    {{"RT450"}, "RT450 ", false},
    {{"Other", "RT450 (副本 1)", "RT450", "RT450"}, "RT450", true},
    {{"Other", "VX410P/420"}, "VX410P/420", true},
    {{"VX410P-420"}, "VX410P/420", false},
};

TEST(SpoolerQueries, WholeNameMatchesForDriversAndPrinters) {
    for (const auto& c : kMatchCases) {
        SCOPED_TRACE(c.asked);
        fake::FakeSystem system;
        system.drivers = c.listed;
        EXPECT_EQ(host::IsDriverInstalled(system, c.asked), c.found);
        EXPECT_FALSE(host::IsPrinterInstalled(system, c.asked));
        system.drivers.clear();
        system.printers = c.listed;
        EXPECT_EQ(host::IsPrinterInstalled(system, c.asked), c.found);
        EXPECT_FALSE(host::IsDriverInstalled(system, c.asked));
    }
}

TEST(SpoolerQueries, EveryCallAsksTheSpoolerAfresh) {
    fake::FakeSystem system;
    system.printers = {"RT450"};
    EXPECT_TRUE(host::IsPrinterInstalled(system, "RT450"));
    system.printers.clear();  // a deletion command finished in between
    EXPECT_FALSE(host::IsPrinterInstalled(system, "RT450"));
    EXPECT_EQ(system.CallsStartingWith("EnumPrinters").size(), 2u);
}

}  // namespace
