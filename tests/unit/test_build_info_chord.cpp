#include <cstdint>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "app/BuildInfoChord.h"

namespace {

using namespace buildinfo;

// A keyboard whose held keys are given; it records every question asked of it.
struct Keyboard {
    std::set<int> held;
    std::vector<int> asked;

    bool operator()(int virtualKey) {
        asked.push_back(virtualKey);
        return held.count(virtualKey) != 0;
    }
};

constexpr int LS = kVkLeftShift;
constexpr int RS = kVkRightShift;
constexpr int LC = kVkLeftControl;
constexpr int RC = kVkRightControl;

// Columns: the message's wParam, the keys held, whether the box opens, the keys asked
// in order.
struct ChordCase {
    std::uintptr_t wParam;
    std::set<int> held;
    bool opens;
    std::vector<int> asked;
};

const ChordCase kChordCases[] = {
    // B asks Ctrl before Shift, the left pair before the right one.
    {0x42, {LC, LS}, true, {LC, LS}},
    {0x42, {RC, RS}, true, {LC, RC, RS}},
    {0x42, {LC, RS}, false, {LC, LS, RC}},  // left Ctrl with right Shift
    {0x42, {RC, LS}, false, {LC, RC, RS}},  // right Ctrl with left Shift
    {0x42, {LC}, false, {LC, LS, RC}},
    {0x42, {}, false, {LC, RC}},
    // J asks Shift before Ctrl.
    {0x4A, {LS, LC}, true, {LS, LC}},
    {0x4A, {RS, RC}, true, {LS, RS, RC}},
    {0x4A, {LS, RC}, false, {LS, LC, RS}},
    {0x4A, {}, false, {LS, RS}},
    // Only the low byte counts: any message whose wParam ends in B or J takes part.
    {0x1242, {LC, LS}, true, {LC, LS}},
    {0xFF4A, {RS, RC}, true, {LS, RS, RC}},
    // Other keys ask nothing, lower-case letters included.
    {0x62, {LC, LS}, false, {}},
    {0x6A, {LS, LC}, false, {}},
    {0x41, {LC, LS, RC, RS}, false, {}},
    {0x4200, {LC, LS}, false, {}},
};

TEST(BuildInfoChord, OpensOnlyForBothKeysOfOneSideAskedInOrder) {
    for (const auto& c : kChordCases) {
        Keyboard keyboard{c.held, {}};
        EXPECT_EQ(IsBuildInfoChord(c.wParam, keyboard), c.opens) << "wParam " << c.wParam;
        EXPECT_EQ(keyboard.asked, c.asked) << "wParam " << c.wParam;
    }
}

}  // namespace
