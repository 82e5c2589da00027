// The data tree shipped next to the executables: the English pack defines
// every key the program uses, and Config.ini offers every pack.
#include "ini/ini_file.h"
#include "lang/language_table.h"
#include "platform/paths.h"
#include "program_keys.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {

std::string DataPath(const std::string& relative) {
    return GetProgramFolder() + "Config File/" + relative;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t bar = list.find('|', start);
        if (bar == std::string::npos) {
            if (start < list.size()) {
                items.push_back(list.substr(start));
            }
            break;
        }
        items.push_back(list.substr(start, bar - start));
        start = bar + 1;
    }
    return items;
}

int CountOf(std::string_view text, std::string_view part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(ShippedEnglishPack, DefinesEveryProgramKeyOnceWithText) {
    const std::string path = DataPath("Lang/eng.lang");
    ASSERT_TRUE(ini::ReadFileText(path).has_value()) << path;
    std::map<std::string, std::vector<std::string>> texts;
    for (const std::string& line : ini::GetSectionLines(path, "String", 4 * 1048576)) {
        const std::size_t equals = line.find('=');
        ASSERT_NE(equals, std::string::npos) << "line without '=': " << line;
        texts[line.substr(0, equals)].push_back(line.substr(equals + 1));
    }
    for (const std::string_view key : kProgramKeys) {
        const auto found = texts.find(std::string(key));
        ASSERT_NE(found, texts.end()) << "missing key " << key;
        EXPECT_EQ(found->second.size(), 1u) << "key defined more than once: " << key;
        EXPECT_FALSE(found->second.front().empty()) << "empty text for " << key;
        // Only the format texts take arguments, and exactly as many as they are filled with.
        const bool isFormat = std::find(kFormatKeys.begin(), kFormatKeys.end(), key) != kFormatKeys.end();
        const bool isTwo =
            std::find(kTwoArgumentKeys.begin(), kTwoArgumentKeys.end(), key) != kTwoArgumentKeys.end();
        EXPECT_EQ(CountOf(found->second.front(), "%s"), isTwo ? 2 : (isFormat ? 1 : 0)) << key;
    }
    // No key the program never asks for (a misspelt key would hide here).
    for (const auto& [key, values] : texts) {
        EXPECT_NE(std::find(kProgramKeys.begin(), kProgramKeys.end(), key), kProgramKeys.end())
            << "unknown key " << key;
    }
}

TEST(ShippedConfig, LangListNamesEveryPackOnce) {
    const std::string path = DataPath("Config/Config.ini");
    ASSERT_TRUE(ini::ReadFileText(path).has_value()) << path;
    const std::vector<std::string> items = Split(ini::GetString(path, "LANGUAGE_CFG", "Lang", "", 524287));
    ASSERT_EQ(items.size(), LanguageTable.size());
    for (const LangEntry& entry : LanguageTable) {
        const std::string base = entry.File.substr(0, entry.File.size() - 5);
        const auto matches = std::count_if(
            items.begin(), items.end(), [&](const std::string& item) { return Lower(item) == Lower(base); });
        EXPECT_EQ(matches, 1) << entry.File;
        // Each listed name has the language's display name.
        EXPECT_EQ(ini::GetString(path, "LANGUAGE_CFG", base), entry.Name) << base;
    }
    // The configured language is one the table knows, so it is not rewritten.
    const std::string language = ini::GetString(path, "LANGUAGE_CFG", "Default");
    EXPECT_TRUE(std::any_of(LanguageTable.begin(), LanguageTable.end(), [&](const LangEntry& entry) {
        return entry.Name == language;
    })) << language;
}

TEST(ShippedConfig, AboutPageShowsTheProgramsVersion) {
    // The About page shows SETTING/Version; "corvane-cli --version" the build's.
    const std::string path = DataPath("Config/Config.ini");
    EXPECT_EQ(ini::GetString(path, "SETTING", "Version"), CORVANE_VERSION);
}

} // namespace
