// List splitting and the flag rule.
#include "config/config_values.h"

#include <gtest/gtest.h>

using config::SplitList;

TEST(ConfigList, SplitsAtEveryBar) {
    EXPECT_TRUE(SplitList("").empty());
    EXPECT_EQ(SplitList("a"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(SplitList("a|b|"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitList("a||b"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitList("|"), (std::vector<std::string>{""}));
    EXPECT_EQ(SplitList("||"), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(SplitList("|a"), (std::vector<std::string>{"", "a"}));
}

TEST(ConfigList, CutsLongItemsAtACharacterAndEmptiesNonText) {
    // 30 letters and a two-byte character cross the 31-byte limit.
    const std::string item = std::string(30, 'x') + "\xC3\xA9" + "tail";
    EXPECT_EQ(SplitList(item + "|b"), (std::vector<std::string>{std::string(30, 'x'), "b"}));
    EXPECT_EQ(SplitList("ok|\xFF\xFE|z"), (std::vector<std::string>{"ok", "", "z"}));
}

TEST(ConfigFlag, OnlyExactlyOne) {
    EXPECT_TRUE(config::IsFlagOn("1"));
    for (const char* off : {"", "0", "01", "1 ", " 1", "yes", "true", "10"}) {
        EXPECT_FALSE(config::IsFlagOn(off)) << off;
    }
}
