// The shipped language packs, read with the program's own pack reader, and
// packs written to hurt: texts full of format directives, a megabyte line in
// a UTF-16 pack, broken UTF-8.
#include "ini/ini_file.h"
#include "lang/language.h"
#include "lang/language_table.h"
#include "lang/text_table.h"
#include "lang/tool_language.h"
#include "pack_files.h"
#include "platform/paths.h"
#include "program_keys.h"
#include "util/utf.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

std::string ShippedPackPath(const std::string& file) {
    return GetProgramFolder() + "Config File/Lang/" + file;
}

std::string RawBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The "%" directives of a text in order: "%s", "%d", "%5.2f" and the like.
// "%%" is an escaped percent sign, and a "%" followed by a blank or a digit
// run without a letter ("100 %", "%50 ") is ordinary text.
std::vector<std::string> Directives(std::string_view text) {
    std::vector<std::string> found;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '%') {
            continue;
        }
        if (at + 1 < text.size() && text[at + 1] == '%') {
            ++at;
            continue;
        }
        std::size_t end = at + 1;
        while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) ||
                                     text[end] == '.' || text[end] == '-')) {
            ++end;
        }
        if (end < text.size() && std::isalpha(static_cast<unsigned char>(text[end]))) {
            found.emplace_back(text.substr(at, end - at + 1));
            at = end;
        }
    }
    return found;
}

// Keys of the section's "key=text" lines in file order, duplicates kept.
std::vector<std::string> KeysInFileOrder(const std::string& path) {
    std::vector<std::string> keys;
    for (const std::string& line : ini::GetSectionLines(path, "String", 4 * kPackSectionUnits)) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && equals > 0) {
            keys.push_back(line.substr(0, equals));
        }
    }
    return keys;
}

class ShippedPack : public ::testing::TestWithParam<std::size_t> {
protected:
    static void SetUpTestSuite() {
        s_englishPath = ShippedPackPath(LanguageTable[0].File);
        s_english = ReadPackFile(s_englishPath);
    }

    static inline std::string s_englishPath;
    static inline TextTable s_english;
};

TEST_P(ShippedPack, MatchesEnglishKeyForKey) {
    const LangEntry& entry = LanguageTable[GetParam()];
    const std::string path = ShippedPackPath(entry.File);
    ASSERT_EQ(s_english.size(), kProgramKeys.size()) << "English pack incomplete: " << s_englishPath;
    ASSERT_TRUE(std::filesystem::is_regular_file(path)) << entry.Name << ": no pack at " << path;

    // The file as stored: UTF-8 throughout (comments included), no byte-order mark.
    const std::string bytes = RawBytes(path);
    EXPECT_TRUE(utf::IsValid(bytes)) << entry.File << " is not valid UTF-8";
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF") << entry.File << " starts with a byte-order mark";

    const TextTable pack = ReadPackFile(path);
    for (const auto& [key, english] : s_english) {
        const auto found = pack.find(key);
        if (found == pack.end()) {
            ADD_FAILURE() << entry.File << ": missing key " << key;
            continue;
        }
        const std::string& text = found->second;
        EXPECT_FALSE(text.empty()) << entry.File << ": empty text for " << key;
        EXPECT_TRUE(utf::IsValid(text)) << entry.File << ": invalid UTF-8 in " << key;
        EXPECT_EQ(Directives(text), Directives(english))
            << entry.File << ": placeholders of " << key << " differ from English: " << text;
    }
    for (const auto& [key, text] : pack) {
        EXPECT_EQ(s_english.count(key), 1u) << entry.File << ": key not in English: " << key;
    }
    // Every key once and in the English order, so the packs compare line by
    // line; a second line of a key would silently never be shown.
    EXPECT_EQ(KeysInFileOrder(path), KeysInFileOrder(s_englishPath))
        << entry.File << ": keys out of order or repeated";

    // The program finds the pack under its table name (no silent English).
    ASSERT_EQ(Tool::LoadLanguage(entry.Id, GetProgramFolder()), 1);
    for (const auto& [key, text] : pack) {
        EXPECT_EQ(CLanguage::GetInstance().GetText(key), text) << entry.File << ": " << key;
    }
}

std::vector<std::size_t> TranslatedRows() {
    std::vector<std::size_t> rows;
    for (std::size_t row = 1; row < LanguageTable.size(); ++row) {
        rows.push_back(row);
    }
    return rows;
}

// Test names after the pack file, without ".lang": ShippedPack/...Ar.
std::string PackName(const ::testing::TestParamInfo<std::size_t>& row) {
    const std::string& file = LanguageTable[row.param].File;
    return file.substr(0, file.size() - 5);
}

INSTANTIATE_TEST_SUITE_P(EveryLanguage, ShippedPack, ::testing::ValuesIn(TranslatedRows()), PackName);

TEST(DirectiveList, FindsDirectivesAndSkipsPercentSigns) {
    EXPECT_EQ(Directives("Login failed: %s"), (std::vector<std::string>{"%s"}));
    EXPECT_EQ(Directives("%d of %s, %5.2f"), (std::vector<std::string>{"%d", "%s", "%5.2f"}));
    EXPECT_TRUE(Directives("100 % sûr, %% et %50 ").empty());
    EXPECT_EQ(Directives("%s%"), (std::vector<std::string>{"%s"}));
}

// Loads every program key with a text made of format directives: the texts
// come back as written, and the two format texts are filled literally.
TEST(HostilePack, FormatDirectivesInEveryText) {
    constexpr std::array<std::string_view, 6> kDirectives = {
        "%n", "%s%s%s", "%x %x %x %x %p", "%*.*s%n%ls", "%99999999d%S", "%",
    };
    std::map<std::string, std::string> written;
    std::string pack = "[String]\n";
    for (std::size_t i = 0; i < kProgramKeys.size(); ++i) {
        std::string text = std::string(kDirectives[i % kDirectives.size()]) + "%n%s";
        written[std::string(kProgramKeys[i])] = text;
    }
    written["info.login_fail_s"] = "%n%s%s%s%n";
    written["info.login_password_err"] = "%s%n";
    written["strContainIllegalChar"] = "%p%x%s%99999999d";
    for (const auto& [key, text] : written) {
        pack += key + "=" + text + "\n";
    }

    PackFolder program;
    // Only the English pack: the chosen language falls back to it.
    program.Write("Config File/Lang/eng.lang", pack);
    ASSERT_EQ(Tool::LoadLanguage(17, program.Folder()), 1);
    for (const auto& [key, text] : written) {
        ASSERT_EQ(CLanguage::GetInstance().GetText(key), text) << key;
    }
    // The same texts as the chosen language's own pack.
    program.Write("Config File/Lang/Ar.lang", pack);
    ASSERT_EQ(Tool::LoadLanguage(20, program.Folder()), 1);
    const CLanguage& language = CLanguage::GetInstance();
    for (const auto& [key, text] : written) {
        ASSERT_EQ(language.GetText(key), text) << key;
    }

    // Filled as the login and model checks fill them: only the first "%s"
    // takes the argument, which is itself never read as a format.
    EXPECT_EQ(
        Tool::FormatText(language.GetText("info.login_fail_s"), language.GetText("info.login_password_err")),
        "%n%s%n%s%s%n");
    EXPECT_EQ(Tool::FormatText(language.GetText("strContainIllegalChar"), "\""), "%p%x\"%99999999d");
    const std::string longArgument(1048576, '%');
    EXPECT_EQ(Tool::FormatText(language.GetText("strContainIllegalChar"), longArgument),
              "%p%x" + longArgument + "%99999999d");
}

// A real pack stored as UTF-16LE with a byte-order mark, with unpaired
// surrogates and a line of 1 MiB characters half way: the lines before it
// read exactly as the UTF-8 pack does, the long line is cut at the section
// buffer and nothing after it is kept.
TEST(HostilePack, Utf16PackWithMegabyteLineAndUnpairedSurrogates) {
    const std::string sourcePath = ShippedPackPath("Ar.lang");
    const TextTable utf8Table = ReadPackFile(sourcePath);
    ASSERT_EQ(utf8Table.size(), kProgramKeys.size()) << sourcePath;
    const std::vector<std::string> lines = ini::GetSectionLines(sourcePath, "String", 4 * kPackSectionUnits);
    ASSERT_EQ(lines.size(), kProgramKeys.size());

    const auto toUtf16 = [](std::string_view utf8) { return ToUtf16LeWithBom(utf8).substr(2); };
    // "tx.Lone=" U+D800 "A" U+DC00, raw.
    std::string bytes = ToUtf16LeWithBom("[String]\r\n") + toUtf16("tx.Lone=") + std::string("\x00\xD8", 2) +
                        std::string("A\x00", 2) + std::string("\x00\xDC", 2) + toUtf16("\r\n");
    std::size_t used = utf::Utf16Length("tx.Lone=\uFFFD"
                                        "A"
                                        "\uFFFD") +
                       1;
    const std::size_t half = lines.size() / 2;
    for (std::size_t i = 0; i < half; ++i) {
        bytes += toUtf16(lines[i] + "\r\n");
        used += utf::Utf16Length(lines[i]) + 1;
    }
    const std::string huge(1048576, 'x');
    bytes += toUtf16("tx.Huge=" + huge + "\r\n");
    for (std::size_t i = half; i < lines.size(); ++i) {
        bytes += toUtf16(lines[i] + "\r\n");
    }

    PackFolder folder;
    CLanguage& language = CLanguage::GetInstance();
    ASSERT_EQ(language.Load(folder.Write("wide.lang", bytes)), 1);
    EXPECT_EQ(language.GetText("tx.Lone"), "\xEF\xBF\xBD"
                                           "A"
                                           "\xEF\xBF\xBD");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string key = lines[i].substr(0, lines[i].find('='));
        EXPECT_EQ(language.GetText(key), i < half ? utf8Table.at(key) : key) << key;
    }
    // The buffer keeps one unit for the end of the data and one for the cut
    // line's terminator.
    const std::string cut = language.GetText("tx.Huge");
    EXPECT_EQ(cut.size(), kPackSectionUnits - used - 2 - 8);
    EXPECT_EQ(cut.find_first_not_of('x'), std::string::npos);
}

// Broken UTF-8 next to line breaks, inside keys and at the end of the file:
// no line swallows the next one, a broken key serves no lookup, and the
// bytes of a broken text are handed on as they are.
TEST(HostilePack, InvalidUtf8NeverSwallowsALineOrMatchesAKey) {
    const std::string content = "[String]\n"
                                "tx.OK=\xE5\n"                     // lead byte right before the break
                                "tx.Cancel=\xC0\xAF\xED\xA0\x80\n" // overlong "/" and an encoded surrogate
                                "tx.\xFF\xFE"
                                "Find=wrong\n"                // invalid bytes inside a key
                                "\xF8\x88\x80\x80\x80=five\n" // a five-byte form as the whole key
                                "tx.Search=search\n"
                                "tx.Find=find\n"
                                "tx.Copy=\xF0\x9F\x98"; // a four-byte form cut by the end of the file
    PackFolder folder;
    CLanguage& language = CLanguage::GetInstance();
    ASSERT_EQ(language.Load(folder.Write("broken.lang", content)), 1);
    EXPECT_EQ(language.GetText("tx.OK"), "\xE5");
    EXPECT_EQ(language.GetText("tx.Cancel"), "\xC0\xAF\xED\xA0\x80");
    EXPECT_EQ(language.GetText("tx.Search"), "search");
    EXPECT_EQ(language.GetText("tx.Find"), "find");
    EXPECT_EQ(language.GetText("tx.Copy"), "\xF0\x9F\x98");
    EXPECT_EQ(Tool::FormatText(language.GetText("tx.OK") + ": %s", "\xFF"), "\xE5: \xFF");
}

} // namespace
