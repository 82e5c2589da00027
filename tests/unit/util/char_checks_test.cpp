// Password and model-name character checks.
#include "util/tool.h"

#include <gtest/gtest.h>

TEST(CheckPasswordChars, AcceptsTheWholeSet) {
    std::string text = "azAZ09!#$%&*+,-./:;<=>?@^_|";
    EXPECT_TRUE(Tool::CheckPasswordChars(text));
    EXPECT_EQ(text, "azAZ09!#$%&*+,-./:;<=>?@^_|");
}

TEST(CheckPasswordChars, ReplacesTheTextByTheFirstOffendingCharacter) {
    std::string blank = "ab c";
    EXPECT_FALSE(Tool::CheckPasswordChars(blank));
    EXPECT_EQ(blank, " ");
    for (const char* bad : {"\"", "'", "(", ")", "[", "]", "{", "}", "~", "`", "\\", "\t"}) {
        std::string text = std::string("ok") + bad + "~";
        EXPECT_FALSE(Tool::CheckPasswordChars(text)) << bad;
        EXPECT_EQ(text, bad);
    }
    std::string accented = "pa\xC3\xA9ss";
    EXPECT_FALSE(Tool::CheckPasswordChars(accented));
    EXPECT_EQ(accented, "\xC3\xA9");
}

TEST(CheckModelChars, PrintableAsciiWithoutQuotesQuestionMarkAndBackslash) {
    std::string model = "IPC-HX 2.0 (4MP) #1 ~!";
    EXPECT_TRUE(Tool::CheckModelChars(model));
    for (const char* bad : {"\"", "'", "?", "\\", "\x7F", "\x1F"}) {
        std::string text = std::string("cam") + bad + "?";
        EXPECT_FALSE(Tool::CheckModelChars(text)) << bad;
        EXPECT_EQ(text, bad);
    }
    std::string invalid = "x\xFFy";
    EXPECT_FALSE(Tool::CheckModelChars(invalid));
    EXPECT_EQ(invalid, "\xFF");
}
