// How a pack's lines become texts, read through CLanguage as the program does.
#include "lang/language.h"
#include "lang/text_table.h"
#include "pack_files.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Loads a pack with the given content and returns the calling thread's object.
CLanguage& LoadPack(const PackFolder& folder, std::string_view content, const std::string& name = "p.lang") {
    CLanguage& language = CLanguage::GetInstance();
    EXPECT_EQ(language.Load(folder.Write(name, content)), 1);
    return language;
}

TEST(PackParsing, KeyEndsAtFirstEqualsAndFirstLineWins) {
    PackFolder folder;
    const CLanguage& language = LoadPack(folder, "[String]\n"
                                                 "tx.OK=O=K\n"
                                                 "tx.Cancel=Cancel\n"
                                                 "tx.Cancel=Second\n"
                                                 "tx.Find=\n"
                                                 "tx.Find=Later\n"
                                                 "a line without equals\n"
                                                 "=no key\n"
                                                 "TX.All=Upper\n"
                                                 "tx.Search=Search\n");
    EXPECT_EQ(language.GetText("tx.OK"), "O=K");
    EXPECT_EQ(language.GetText("tx.Cancel"), "Cancel");
    // The first line of a key counts even when its text is empty: the key shows.
    EXPECT_EQ(language.GetText("tx.Find"), "tx.Find");
    EXPECT_EQ(language.GetText("a line without equals"), "a line without equals");
    EXPECT_EQ(language.GetText(""), "");
    // Keys are case-sensitive both ways.
    EXPECT_EQ(language.GetText("tx.All"), "tx.All");
    EXPECT_EQ(language.GetText("TX.All"), "Upper");
    EXPECT_EQ(language.GetText("tx.search"), "tx.search");
    EXPECT_EQ(language.GetText("tx.Search"), "Search");
    EXPECT_EQ(language.GetText("tx.Missing"), "tx.Missing");
}

TEST(PackParsing, OnlySectionStringCountsAndItsNameIgnoresCase) {
    PackFolder folder;
    const CLanguage& language = LoadPack(folder, "tx.Before=outside\n"
                                                 "[Other]\n"
                                                 "tx.OK=from other\n"
                                                 "[string]\n"
                                                 "tx.Cancel=Cancel\n"
                                                 "[More]\n"
                                                 "tx.Find=from more\n");
    EXPECT_EQ(language.GetText("tx.Before"), "tx.Before");
    EXPECT_EQ(language.GetText("tx.OK"), "tx.OK");
    EXPECT_EQ(language.GetText("tx.Cancel"), "Cancel");
    EXPECT_EQ(language.GetText("tx.Find"), "tx.Find");
}

TEST(PackParsing, WindowsLineEndsAndByteOrderMarks) {
    PackFolder folder;
    const CLanguage& crlf =
        LoadPack(folder, "\xEF\xBB\xBF[String]\r\ntx.OK=OK\r\ntx.Cancel=Annuler\r\n", "a.lang");
    EXPECT_EQ(crlf.GetText("tx.OK"), "OK");
    EXPECT_EQ(crlf.GetText("tx.Cancel"), "Annuler");

    const std::string utf16 = ToUtf16LeWithBom("[String]\r\n"
                                               "tx.OK=确定\r\n"
                                               "tx.Cancel=إلغاء\r\n"
                                               "tx.Search=ค้นหา\r\n"
                                               "tx.Find=\r\n");
    const CLanguage& wide = LoadPack(folder, utf16, "b.lang");
    EXPECT_EQ(wide.GetText("tx.OK"), "确定");
    EXPECT_EQ(wide.GetText("tx.Cancel"), "إلغاء");
    EXPECT_EQ(wide.GetText("tx.Search"), "ค้นหา");
    EXPECT_EQ(wide.GetText("tx.Find"), "tx.Find");
}

// The section is read into a buffer of 1048576 UTF-16 units: each line takes
// its length plus a terminator, one unit is kept for the end of the data.
TEST(PackParsing, SectionIsCutAtTheBufferSize) {
    const std::string header = "[String]\n";
    std::string lines;
    std::size_t units = 0;
    // Filler lines of 1000 units each ("f<n>=" and padding, plus terminator).
    int n = 0;
    while (units + 1000 <= kPackSectionUnits - 1 - 40) {
        std::string line = "f" + std::to_string(n++) + "=";
        line.resize(999, 'x');
        lines += line + "\n";
        units += 1000;
    }
    // "tx.Fits=yes" ends exactly at the last unit the data may use.
    const std::size_t left = kPackSectionUnits - 1 - units;
    std::string fits = "tx.Fits=";
    fits.resize(left - 1, 'y');
    const std::string text = header + lines + fits + "\ntx.Late=late\n";

    const TextTable table = ParsePackText(text);
    ASSERT_EQ(table.count("tx.Fits"), 1u);
    EXPECT_EQ(table.at("tx.Fits").size(), left - 1 - 8);
    EXPECT_EQ(table.count("tx.Late"), 0u);

    // One unit more and the line is cut: its text loses its last character.
    std::string tooLong = "tx.Cut=";
    tooLong.resize(left, 'z');
    const TextTable cut = ParsePackText(header + lines + tooLong + "\ntx.Late=late\n");
    ASSERT_EQ(cut.count("tx.Cut"), 1u);
    EXPECT_EQ(cut.at("tx.Cut").size(), left - 1 - 7);
    EXPECT_EQ(cut.count("tx.Late"), 0u);
}

// The buffer counts characters, not bytes: a pack in a script that takes three
// UTF-8 bytes a character holds as many characters as an English one.
TEST(PackParsing, BufferCountsCharactersNotBytes) {
    PackFolder folder;
    std::string text = "[String]\n";
    // 300 lines of 2000 CJK characters: 600,300 units but 1.8 MB of UTF-8.
    std::string cjk;
    for (int i = 0; i < 2000; ++i) {
        cjk += "字";
    }
    for (int i = 0; i < 300; ++i) {
        text += "k" + std::to_string(i) + "=" + cjk + "\n";
    }
    text += "tx.OK=确定\n";
    const CLanguage& language = LoadPack(folder, text);
    EXPECT_EQ(language.GetText("k299"), cjk);
    EXPECT_EQ(language.GetText("tx.OK"), "确定");
}

TEST(PackParsing, CutNeverSplitsACharacter) {
    std::string text = "[String]\nk=";
    // Two-unit characters (outside the Basic Multilingual Plane) across the end.
    while (text.size() < 3 * kPackSectionUnits) {
        text += "\xF0\x9F\x98\x80";
    }
    const TextTable table = ParsePackText(text);
    ASSERT_EQ(table.count("k"), 1u);
    const std::string& value = table.at("k");
    EXPECT_EQ(value.size() % 4, 0u);
    // 1048576 units less the end unit, the terminator and "k=".
    EXPECT_EQ(value.size() / 4, (kPackSectionUnits - 4) / 2);
}

} // namespace
