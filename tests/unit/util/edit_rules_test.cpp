// Edit-field rules: the new text and caret the field must take.
#include "util/tool.h"

#include <gtest/gtest.h>

namespace {

// The text the field shows after the rule ran.
std::string Clamp(std::string_view text, int64_t minimum, int64_t maximum) {
    return Tool::ClampEditNumber(text, minimum, maximum).text;
}

} // namespace

TEST(ClampEditNumber, ChannelCountExamples) {
    EXPECT_EQ(Clamp("", 1, 1024), "1");
    EXPECT_EQ(Clamp("0", 1, 1024), "1");
    EXPECT_EQ(Clamp("007", 1, 1024), "7");
    EXPECT_EQ(Clamp("12a", 1, 1024), "12");
    EXPECT_EQ(Clamp("-5", 1, 1024), "1024");
    EXPECT_EQ(Clamp("2000", 1, 1024), "1024");
    EXPECT_EQ(Clamp("512", 1, 1024), "512");
    EXPECT_FALSE(Tool::ClampEditNumber("512", 1, 1024).changed);
}

TEST(ClampEditNumber, RewritesPutTheCaretAtTheEnd) {
    const Tool::EditFieldResult result = Tool::ClampEditNumber("2000", 1, 1024);
    EXPECT_TRUE(result.changed);
    EXPECT_EQ(result.caret, 4u);
    EXPECT_EQ(Tool::ClampEditNumber("12a", 1, 1024).caret, 2u);
}

TEST(ClampEditNumber, LowerBoundAboveZeroRewritesEveryFirstDigit) {
    EXPECT_EQ(Clamp("30", 45, 120), "45");
    // Typing 60 digit by digit: 6 becomes 45 at once, then 450 becomes 120.
    const std::string afterSix = Clamp("6", 45, 120);
    EXPECT_EQ(afterSix, "45");
    EXPECT_EQ(Clamp(afterSix + "0", 45, 120), "120");
}

TEST(ClampEditNumber, CosmeticRewritesInsideTheRange) {
    EXPECT_EQ(Clamp("", 0, 120), "0");
    EXPECT_FALSE(Tool::ClampEditNumber("0", 0, 120).changed);
    EXPECT_EQ(Clamp(" 5", 0, 120), "5");
    EXPECT_EQ(Clamp("+5", 0, 120), "5");
    EXPECT_EQ(Clamp("00", 0, 120), "0");
    EXPECT_EQ(Clamp("-0", 0, 120), "0");
    EXPECT_EQ(Clamp("-1", 0, 999999999), "999999999");
    EXPECT_EQ(Clamp("99999999999", 1, 65535), "65535");
    EXPECT_EQ(Clamp("80", 1, 65535), "80");
}

TEST(LimitEditUtf8, TrimsTrailingBlanksAndCutsLongPaths) {
    EXPECT_FALSE(Tool::LimitEditUtf8("/tmp/a b").changed);
    const Tool::EditFieldResult trimmed = Tool::LimitEditUtf8("/tmp/fw.bin   ");
    EXPECT_TRUE(trimmed.changed);
    EXPECT_EQ(trimmed.text, "/tmp/fw.bin");
    EXPECT_EQ(trimmed.caret, 11u);
    EXPECT_EQ(Tool::LimitEditUtf8(std::string(300, 'a')).text, std::string(256, 'a'));
    EXPECT_FALSE(Tool::LimitEditUtf8(std::string(256, 'a')).changed);
    // 100 Chinese characters take 300 bytes but only 100 characters: the cut
    // keeps 256 characters, so nothing changes.
    std::string chinese;
    for (int i = 0; i < 100; ++i) {
        chinese += "\xE4\xB8\xAD";
    }
    EXPECT_FALSE(Tool::LimitEditUtf8(chinese).changed);
    // 200 of them are cut to 256 characters, and the caret counts characters.
    const Tool::EditFieldResult cut = Tool::LimitEditUtf8(chinese + chinese + chinese);
    EXPECT_EQ(cut.text.size(), 256u * 3);
    EXPECT_EQ(cut.caret, 256u);
}

TEST(LimitEditAnsi, KeepsTheFieldBelowItsByteLimit) {
    EXPECT_FALSE(Tool::LimitEditAnsi("", 20).changed);
    EXPECT_FALSE(Tool::LimitEditAnsi(std::string(19, 'm'), 20).changed);
    const Tool::EditFieldResult typed = Tool::LimitEditAnsi(std::string(20, 'm'), 20);
    EXPECT_TRUE(typed.changed);
    EXPECT_EQ(typed.text, std::string(19, 'm'));
    EXPECT_EQ(typed.caret, 19u);
    EXPECT_EQ(Tool::LimitEditAnsi(std::string(30, 'm'), 20).text, std::string(19, 'm'));
    // A character of several bytes is removed whole, never split.
    const Tool::EditFieldResult wide = Tool::LimitEditAnsi(std::string(18, 'm') + "\xC3\xA9", 20);
    EXPECT_EQ(wide.text, std::string(18, 'm'));
}
