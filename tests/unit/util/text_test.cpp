// Text conversions, UTF-16 counting and ReplaceAll.
#include "util/tool.h"
#include "util/utf.h"

#include <gtest/gtest.h>

TEST(ToolText, FromUtf8GivesEmptyTextForInvalidInput) {
    EXPECT_EQ(Tool::FromUtf8("Gr\xC3\xBC\xC3\x9F"
                             "e"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(Tool::FromUtf8("\xC3"), "");             // cut sequence
    EXPECT_EQ(Tool::FromUtf8("\xC0\xAF"), "");         // overlong '/'
    EXPECT_EQ(Tool::FromUtf8("\xED\xA0\x80"), "");     // surrogate
    EXPECT_EQ(Tool::FromUtf8("\xF4\x90\x80\x80"), ""); // above U+10FFFF
    EXPECT_EQ(Tool::FromUtf8("ok\xFF"), "");
}

TEST(ToolText, NarrowFormsCutWhereTheWideFormsDo) {
    EXPECT_EQ(Tool::ToNarrow(std::string_view("abc\0def", 7)), "abc");
    EXPECT_EQ(Tool::ToAnsi("\xE4\xB8\xAD"), "\xE4\xB8\xAD");
    const std::string longText = std::string(32008, 'a') + "\xF0\x9F\x98\x80" + "b";
    // The character outside the basic plane would take units 32009 and 32010.
    EXPECT_EQ(Tool::ToAnsiLimited(longText), std::string(32008, 'a'));
    EXPECT_EQ(Tool::ToAnsiLimited("short"), "short");
}

TEST(ToolText, CountsUtf16Units) {
    EXPECT_EQ(Tool::Utf16Length(""), 0u);
    EXPECT_EQ(Tool::Utf16Length("a\xC3\xA9\xE4\xB8\xAD"), 3u);
    EXPECT_EQ(Tool::Utf16Length("\xF0\x9F\x98\x80"), 2u);
    EXPECT_EQ(Tool::Utf16Length("\xFF\xFE"), 2u);
    EXPECT_EQ(utf::PrefixForUtf16Units("a\xF0\x9F\x98\x80", 2), 1u);
    EXPECT_EQ(utf::PrefixForUtf16Units("a\xF0\x9F\x98\x80", 3), 5u);
}

TEST(ToolText, ReplaceAllScansOnAfterEachReplacement) {
    std::string text = "C:\\Users\\x\\AppData\\Local\\Local";
    Tool::ReplaceAll(text, "Local", "LocalLow");
    EXPECT_EQ(text, "C:\\Users\\x\\AppData\\LocalLow\\LocalLow");

    std::string doubled = "aaa";
    Tool::ReplaceAll(doubled, "a", "aa");
    EXPECT_EQ(doubled, "aaaaaa");

    std::string shrinking = "aaaa";
    Tool::ReplaceAll(shrinking, "aa", "a");
    EXPECT_EQ(shrinking, "aa");

    std::string unchanged = "abc";
    Tool::ReplaceAll(unchanged, "", "x");
    EXPECT_EQ(unchanged, "abc");
}

TEST(ToolText, CaseInsensitiveComparisonCoversTheLanguageNames) {
    EXPECT_TRUE(utf::EqualIgnoringCase("English", "eNGLISH"));
    EXPECT_TRUE(utf::EqualIgnoringCase("Fran\xC3\xA7"
                                       "ais",
                                       "FRAN\xC3\x87"
                                       "AIS")); // ç Ç
    EXPECT_TRUE(utf::EqualIgnoringCase("\xC4\x8C"
                                       "e\xC5\xA1tina",
                                       "\xC4\x8D"
                                       "E\xC5\xA0TINA"));                        // Č š
    EXPECT_TRUE(utf::EqualIgnoringCase("\xD0\xA0\xD1\x83", "\xD1\x80\xD0\xA3")); // Ру / рУ
    EXPECT_TRUE(utf::EqualIgnoringCase("\xCE\x86", "\xCE\xAC"));                 // Ά ά
    EXPECT_FALSE(utf::EqualIgnoringCase("English", "Englis"));
    EXPECT_FALSE(utf::EqualIgnoringCase("English ", "English"));
    EXPECT_FALSE(utf::EqualIgnoringCase("\xE7\xAE\x80", "\xE7\xB9\x81"));
    EXPECT_TRUE(utf::EqualIgnoringCase("a\xFF", "A\xFF"));
    EXPECT_FALSE(utf::EqualIgnoringCase("a\xFF", "a\xFE"));
}
