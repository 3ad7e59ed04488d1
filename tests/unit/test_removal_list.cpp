#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "setup/RemovalList.h"

namespace {

// "副本" in code page 936.
const std::string kCopyWord = "\xB8\xB1\xB1\xBE";

std::string CopyName(const std::string& model, int copy) {
    return model + " (" + kCopyWord + " " + std::to_string(copy) + ")";
}

TEST(RemovalList, HoldsOneHundredTwentyNames) {
    EXPECT_EQ(setup::RemovalList().size(), 120u);
}

TEST(RemovalList, CopyWordIsCodePage936) {
    EXPECT_EQ(setup::RemovalList()[0], "VX410P/420 (\xB8\xB1\xB1\xBE 6)");
}

// Columns: 1-based position, the exact name there.
struct NameAt {
    std::size_t position;
    std::string name;
};

TEST(RemovalList, NamesAtChosenPositions) {
    const NameAt cases[] = {
        {1, CopyName("VX410P/420", 6)},
        {6, CopyName("VX410P/420", 1)},
        {7, "VX410P/420"},
        {8, CopyName("VX420", 6)},
        {43, CopyName("PL 260K", 6)},
        {48, CopyName("PL 260K", 1)},
        {49, "PL 260K"},
        {85, CopyName("RT450", 6)},
        {91, "RT450"},
        {106, CopyName("KELVARO 24Pin Dot-Matrix Printer", 6)},
        {112, "KELVARO 24Pin Dot-Matrix Printer"},
        {113, CopyName("RT450", 6)},
        {118, CopyName("RT450", 1)},
        {119, "RT450"},
        {120, "RT450"},
    };
    const auto& names = setup::RemovalList();
    for (const auto& c : cases) {
        SCOPED_TRACE("position " + std::to_string(c.position));
        ASSERT_LE(c.position, names.size());
        EXPECT_EQ(names[c.position - 1], c.name);
    }
}

TEST(RemovalList, EachGroupIsSixCopiesFromTheHighestThenTheModel) {
    const std::array<std::string, 17> groups = {
        "VX410P/420",
        "VX420",
        "VX400",
        "NB310K/315K",
        "NB300",
        "PL230K/235K",
        "PL 260K",
        "PL210/PL215",
        "MORVIK NB-315K",
        "MV-215K",
        "eQ-530SII",
        "DW330K/335K",
        "RT450",
        "RT490",
        "RT530",
        "KELVARO 24Pin Dot-Matrix Printer",
        "RT450",  // the installed model once more
    };
    const auto& names = setup::RemovalList();
    ASSERT_GE(names.size(), groups.size() * 7);
    for (std::size_t group = 0; group < groups.size(); ++group) {
        SCOPED_TRACE("group " + std::to_string(group + 1));
        for (int offset = 0; offset < 6; ++offset)
            EXPECT_EQ(names[group * 7 + offset], CopyName(groups[group], 6 - offset));
        EXPECT_EQ(names[group * 7 + 6], groups[group]);
    }
}

TEST(RemovalList, ModelNameOnlyAt91And119And120) {
    const auto& names = setup::RemovalList();
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == "RT450") positions.push_back(i + 1);
    EXPECT_EQ(positions, (std::vector<std::size_t>{91, 119, 120}));
}

TEST(RemovalList, LongestNameIsFortyOneBytes) {
    const auto& names = setup::RemovalList();
    const auto longest = std::max_element(
        names.begin(), names.end(),
        [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    ASSERT_NE(longest, names.end());
    EXPECT_EQ(longest->size(), 41u);
}

}  // namespace
