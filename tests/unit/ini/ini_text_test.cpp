// The INI rules on plain text: lookup, section lines and in-place edits.
#include "ini/ini_text.h"

#include <gtest/gtest.h>

using ini::FindValue;
using ini::SectionLines;
using ini::SetValue;

TEST(IniLookup, SectionsAndKeysMatchWithoutRegardToCase) {
    const std::string text = "[Setting]\nApp_Name=Corvane\n";
    EXPECT_EQ(FindValue(text, "SETTING", "app_name"), "Corvane");
    EXPECT_EQ(FindValue(text, "setting", "APP_NAME"), "Corvane");
    EXPECT_EQ(FindValue(text, "Settings", "App_Name"), std::nullopt);
    EXPECT_EQ(FindValue(text, "Setting", "App_Nam"), std::nullopt);
}

TEST(IniLookup, FirstKeyAndFirstSectionWin) {
    const std::string text = "[a]\nk=first\nK=second\n[b]\nk=other\n[A]\nk=later\nonly=later\n";
    EXPECT_EQ(FindValue(text, "a", "k"), "first");
    EXPECT_EQ(FindValue(text, "b", "k"), "other");
    // A key that is only in a repeated section is not seen.
    EXPECT_EQ(FindValue(text, "a", "only"), std::nullopt);
}

TEST(IniLookup, BlanksQuotesCommentsAndOddLines) {
    const std::string text = "top=before any section\n"
                             "  [ s ]  ; note\r\n"
                             "\tkey one \t=  spaced value \r\n"
                             "quoted=\"  inside  \"\n"
                             "single='x'\n"
                             "half=\"open\n"
                             ";comment=1\n"
                             "bare\n"
                             "[broken\n"
                             "eq=a=b\n"
                             "empty=\n";
    EXPECT_EQ(FindValue(text, "s", "key one"), "spaced value");
    EXPECT_EQ(FindValue(text, "s", "quoted"), "  inside  ");
    EXPECT_EQ(FindValue(text, "s", "single"), "x");
    EXPECT_EQ(FindValue(text, "s", "half"), "\"open");
    EXPECT_EQ(FindValue(text, "s", ";comment"), std::nullopt);
    EXPECT_EQ(FindValue(text, "s", "bare"), std::nullopt);
    // The broken header is ignored, so the keys after it stay in "s".
    EXPECT_EQ(FindValue(text, "s", "eq"), "a=b");
    EXPECT_EQ(FindValue(text, "s", "empty"), "");
    EXPECT_EQ(FindValue(text, "", "top"), std::nullopt);
}

TEST(IniSectionLines, GivesTrimmedLinesOfTheFirstSectionInOrder) {
    const std::string text = "[String]\n"
                             " a = 1 \n"
                             "\n"
                             "; skipped\n"
                             "b==2\n"
                             "no equals\n"
                             "[other]\n"
                             "c=3\n"
                             "[string]\n"
                             "d=4\n";
    const std::vector<std::string> expected = {"a=1", "b==2", "no equals"};
    EXPECT_EQ(SectionLines(text, "STRING", 1000), expected);
    EXPECT_TRUE(SectionLines(text, "missing", 1000).empty());
}

TEST(IniSectionLines, CutsAtTheByteBudgetWithoutSplittingACharacter) {
    const std::string text = "[s]\nab=1\ncd=\xC3\xA9\xC3\xA9\nef=3\n";
    // "ab=1" takes 5 with its terminator; 4 are left for "cd=" and two 2-byte characters.
    const std::vector<std::string> cut = SectionLines(text, "s", 9);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0], "ab=1");
    EXPECT_EQ(cut[1], "cd=");
    // One byte more still does not fit half of the two-byte character.
    EXPECT_EQ(SectionLines(text, "s", 10)[1], "cd=");
    EXPECT_EQ(SectionLines(text, "s", 11)[1], "cd=\xC3\xA9");
    EXPECT_EQ(SectionLines(text, "s", 5).size(), 1u);
}

TEST(IniEdit, ReplacesOneValueAndKeepsEveryOtherByte) {
    const std::string text = "; header comment\r\n"
                             "[SEARCH_CFG]\r\n"
                             "Period_Time=1|5|10\r\n"
                             "  sel_time = 3   \r\n"
                             "Sel_Time=99\r\n"
                             "\r\n"
                             "[Other]\r\n"
                             "Sel_Time=5\r\n";
    const std::optional<std::string> edited = SetValue(text, "search_cfg", "Sel_Time", "15");
    ASSERT_TRUE(edited);
    const std::string expected = "; header comment\r\n"
                                 "[SEARCH_CFG]\r\n"
                                 "Period_Time=1|5|10\r\n"
                                 "  sel_time = 15   \r\n"
                                 "Sel_Time=99\r\n"
                                 "\r\n"
                                 "[Other]\r\n"
                                 "Sel_Time=5\r\n";
    EXPECT_EQ(*edited, expected);
}

TEST(IniEdit, AddsAMissingKeyAfterTheLastLineOfItsSection) {
    const std::string text = "[a]\nx=1\n; last\n\n\n[b]\ny=2";
    EXPECT_EQ(SetValue(text, "A", "z", "3"), "[a]\nx=1\n; last\nz=3\n\n\n[b]\ny=2");
    // The section is the last line, without a line break.
    EXPECT_EQ(SetValue(text, "b", "z", "3"), "[a]\nx=1\n; last\n\n\n[b]\ny=2\nz=3\n");
    EXPECT_EQ(SetValue("[a]", "a", "k", "v"), "[a]\nk=v\n");
}

TEST(IniEdit, AppendsAMissingSectionWithTheFileLineBreaks) {
    EXPECT_EQ(SetValue("[a]\r\nx=1\r\n", "b", "k", "v"), "[a]\r\nx=1\r\n[b]\r\nk=v\r\n");
    EXPECT_EQ(SetValue("x=1", "b", "k", "v"), "x=1\n[b]\nk=v\n");
    EXPECT_EQ(SetValue("", "b", "k", "v"), "[b]\nk=v\n");
}

TEST(IniEdit, GivesAValueToAKeyThatHadNone) {
    EXPECT_EQ(SetValue("[a]\nflag \nz=1\n", "a", "FLAG", "on"), "[a]\nflag=on \nz=1\n");
}

TEST(IniEdit, RefusesNamesAndValuesThatWouldBreakTheFile) {
    EXPECT_FALSE(SetValue("", "a\nb", "k", "v"));
    EXPECT_FALSE(SetValue("", "a]", "k", "v"));
    EXPECT_FALSE(SetValue("", "", "k", "v"));
    EXPECT_FALSE(SetValue("", "a", "", "v"));
    EXPECT_FALSE(SetValue("", "a", "k=x", "v"));
    EXPECT_FALSE(SetValue("", "a", ";k", "v"));
    EXPECT_FALSE(SetValue("", "a", " k", "v"));
    EXPECT_FALSE(SetValue("", "a", "k", "v\r\n[b]"));
    EXPECT_FALSE(SetValue("", "a", "k", std::string_view("v\0w", 3)));
    EXPECT_TRUE(SetValue("", "a", "k", "value with = and ] and ;"));
}

TEST(IniEdit, WrittenValuesReadBack) {
    std::string text = "garbage\n[broken\n[a]\n=\n";
    for (const char* key : {"one", "Two", "three"}) {
        text = SetValue(text, "a", key, std::string(key) + "-value").value();
    }
    text = SetValue(text, "A", "TWO", "changed").value();
    EXPECT_EQ(FindValue(text, "a", "one"), "one-value");
    EXPECT_EQ(FindValue(text, "a", "two"), "changed");
    EXPECT_EQ(FindValue(text, "a", "three"), "three-value");
}

TEST(IniDecode, ByteOrderMarks) {
    const ini::DecodedText utf8 = ini::DecodeBytes("\xEF\xBB\xBF[a]\nk=v\n");
    EXPECT_EQ(utf8.encoding, ini::FileEncoding::Utf8WithBom);
    EXPECT_EQ(utf8.text, "[a]\nk=v\n");

    // "[a]\nk=é😀" in UTF-16LE, the emoji as a surrogate pair.
    const std::string utf16le("\xFF\xFE[\0a\0]\0\n\0k\0=\0\xE9\0\x3D\xD8\x00\xDE", 20);
    const ini::DecodedText wide = ini::DecodeBytes(utf16le);
    EXPECT_EQ(wide.encoding, ini::FileEncoding::Utf16Le);
    EXPECT_EQ(wide.text, "[a]\nk=\xC3\xA9\xF0\x9F\x98\x80");

    // A lone surrogate and an odd last byte become replacement characters.
    const std::string broken("\xFF\xFEk\0=\0\x00\xD8x", 9);
    EXPECT_EQ(ini::DecodeBytes(broken).text, "k=\xEF\xBF\xBD\xEF\xBF\xBD");

    const std::string utf16be("\xFE\xFF\0k\0=\0v", 8);
    EXPECT_EQ(ini::DecodeBytes(utf16be).text, "k=v");
    EXPECT_EQ(ini::DecodeBytes("plain").encoding, ini::FileEncoding::Utf8);
}
