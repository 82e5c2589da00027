// LoadConfig: every rule of the load that can go wrong.
#include "config_fixture.h"
#include "lang/language_table.h"

#include <filesystem>

namespace {

constexpr const char* kModifyCode = "PtYg@mUh^Bel31(El2hp~hYgC+rL1sp&xnyVmih";

} // namespace

TEST(AppConfigConstruction, HoldsTheValuesUsedBeforeTheLoad) {
    const AppConfig config;
    EXPECT_EQ(config.LanguageIndex, 0);
    EXPECT_TRUE(config.PeriodicSearch);
    EXPECT_EQ(config.SearchPeriodMinutes, 1);
    EXPECT_FALSE(config.ModifyMode);
    EXPECT_FALSE(config.ShowHelp);
    EXPECT_TRUE(config.CustomerCodes.empty());
    EXPECT_EQ(config.DevInfoMask, 0x23FFu);
}

TEST_F(ConfigTest, MissingFileGivesEveryDefault) {
    const AppConfig config = Load();
    const std::string data = m_program.Folder() + "Config File/";
    EXPECT_EQ(config.ConfigPath, data + "Config/Config.ini");
    EXPECT_EQ(config.EncodePath, data + "Config/Encode.ini");
    EXPECT_EQ(config.SkinFolder, data + "Skin/");
    EXPECT_EQ(config.LogoIconPath, data + "Skin/Logo.ico");
    EXPECT_EQ(config.HelpPicturePath, data + "Skin/Help.bmp");
    EXPECT_EQ(config.LangFolder, data + "Lang/");
    EXPECT_EQ(config.AppName, "");
    EXPECT_EQ(config.Version, "");
    EXPECT_EQ(config.ReleaseText, "  ");
    EXPECT_EQ(config.LanguageIndex, 0);
    EXPECT_TRUE(config.LanguageChoices.empty());
    EXPECT_EQ(config.CustomerCodes, "");
    EXPECT_FALSE(config.ShowModel);
    EXPECT_FALSE(config.ModifyMode);
    // 9215 with the forced bits, without the model column.
    EXPECT_EQ(config.DevInfoMask, 0x22FFu);
    EXPECT_TRUE(config.PeriodChoices.empty());
    EXPECT_FALSE(config.PeriodicSearch);
    EXPECT_EQ(config.SearchPeriodMinutes, 0);
    EXPECT_FALSE(config.ShowHelp);
    ASSERT_EQ(m_customerCalls.size(), 1u);
    EXPECT_EQ(m_customerCalls[0], "");
}

TEST_F(ConfigTest, ReadsTheSettingTexts) {
    WriteConfig("[setting]\r\napp_name=Corvane\r\nVERSION=V1.0.3\r\nRelease_Data=2026-12-01\r\n"
                "Release_Time=10:00:00\r\n");
    const AppConfig config = Load();
    EXPECT_EQ(config.AppName, "Corvane");
    EXPECT_EQ(config.Version, "V1.0.3");
    EXPECT_EQ(config.ReleaseText, "2026-12-01  10:00:00");
}

TEST_F(ConfigTest, FlagsAreOnOnlyForExactlyOne) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"1", true},  {"01", false}, {"\"1 \"", false}, {"yes", false},  {"true", false},
        {"2", false}, {"", false},   {"11", false},     {"\"1\"", true},
    };
    for (const auto& [value, on] : cases) {
        WriteConfig("[HELP_CFG]\nShow_Help=" + value + "\n[MODEL_CFG]\nShow_Model=" + value + "\n");
        const AppConfig config = Load();
        EXPECT_EQ(config.ShowHelp, on) << value;
        EXPECT_EQ(config.ShowModel, on) << value;
    }
}

TEST_F(ConfigTest, LanguageListKeepsInnerEmptyItemsAndDropsATrailingBar) {
    WriteConfig("[LANGUAGE_CFG]\nLang=eng|chs|\neng=English\nCHS=Chinese\n");
    AppConfig config = Load();
    ASSERT_EQ(config.LanguageChoices.size(), 2u);
    EXPECT_EQ(config.LanguageChoices[0].File, "eng");
    EXPECT_EQ(config.LanguageChoices[0].Name, "English");
    EXPECT_EQ(config.LanguageChoices[1].File, "chs");
    EXPECT_EQ(config.LanguageChoices[1].Name, "Chinese");

    WriteConfig("[LANGUAGE_CFG]\nLang=eng||chs\neng=English\nchs=Chinese\n=odd line\n");
    config = Load();
    ASSERT_EQ(config.LanguageChoices.size(), 3u);
    EXPECT_EQ(config.LanguageChoices[1].File, "");
    EXPECT_EQ(config.LanguageChoices[1].Name, "");
    EXPECT_EQ(config.LanguageChoices[2].Name, "Chinese");

    // A listed name without its own key has an empty text.
    WriteConfig("[LANGUAGE_CFG]\nLang=Ru\n");
    config = Load();
    ASSERT_EQ(config.LanguageChoices.size(), 1u);
    EXPECT_EQ(config.LanguageChoices[0].Name, "");
}

TEST_F(ConfigTest, DefaultLanguageMatchesDisplayNamesWithoutRegardToCase) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"English", 0},   {"english", 0},  {"DEUTSCH", 8}, {"FRANÇAIS", 7}, {"русский", 6},  {"čeština", 21},
        {"ΕΛΛΗΝΙΚΆ", 24}, {"简体中文", 1}, {"Klingon", 0}, {"", 0},         {" Deutsch", 8},
    };
    for (const auto& [name, index] : cases) {
        WriteConfig("[LANGUAGE_CFG]\nDefault=" + name + "\n");
        EXPECT_EQ(Load().LanguageIndex, index) << name;
    }
    // With no match the index keeps the value it had.
    WriteConfig("[LANGUAGE_CFG]\nDefault=Klingon\n");
    AppConfig config;
    config.LanguageIndex = 3;
    LoadConfig(config, m_program.Folder(), {});
    EXPECT_EQ(config.LanguageIndex, 3);
}

TEST_F(ConfigTest, DefaultIsRewrittenWithTheCanonicalNameAndNothingElseChanges) {
    const std::string original = "[SETTING]\r\nApp_Name=Corvane\r\n[LANGUAGE_CFG]\r\nDefault=english\r\n"
                                 "Lang=eng\r\n";
    WriteConfig(original);
    AppConfig config = Load();
    ASSERT_TRUE(SaveLanguage(config, config.LanguageIndex));
    std::string expected = original;
    expected.replace(expected.find("english"), 7, "English");
    EXPECT_EQ(TestTempFolder::Read(ConfigPath()), expected);

    WriteConfig("[LANGUAGE_CFG]\nDefault=Klingon\n");
    config = Load();
    ASSERT_TRUE(SaveLanguage(config, config.LanguageIndex));
    EXPECT_EQ(TestTempFolder::Read(ConfigPath()), "[LANGUAGE_CFG]\nDefault=English\n");

    WriteConfig("[LANGUAGE_CFG]\nDefault=TÜRKÇE\n");
    config = Load();
    ASSERT_TRUE(SaveLanguage(config, config.LanguageIndex));
    EXPECT_EQ(TestTempFolder::Read(ConfigPath()), "[LANGUAGE_CFG]\nDefault=Türkçe\n");
}

TEST_F(ConfigTest, DefaultRewriteCreatesTheFileOnlyWhenItsFolderExists) {
    AppConfig config = Load();
    ASSERT_FALSE(std::filesystem::exists(ConfigPath()));
    EXPECT_FALSE(SaveLanguage(config, config.LanguageIndex));
    EXPECT_FALSE(std::filesystem::exists(m_program.File("Config File")));

    std::filesystem::create_directories(m_program.File("Config File/Config"));
    EXPECT_TRUE(SaveLanguage(config, config.LanguageIndex));
    EXPECT_EQ(TestTempFolder::Read(ConfigPath()), "[LANGUAGE_CFG]\nDefault=English\n");
}

TEST_F(ConfigTest, CustomerCodesAreDecipheredOrUsedAsRead) {
    WriteConfig("[CUSTOMER_CFG]\nId=" + Enciphered("C0001C0002C0003") + "\n");
    EXPECT_EQ(Load().CustomerCodes, "C0001C0002C0003");

    // Plain codes: ten characters are not a multiple of 32.
    WriteConfig("[CUSTOMER_CFG]\nId=C0000C0001\n");
    EXPECT_EQ(Load().CustomerCodes, "C0000C0001");

    // Blocks that decipher to nine characters: the cipher text as read.
    const std::string nine = Enciphered("C0001") + Enciphered("C000");
    WriteConfig("[CUSTOMER_CFG]\nId=" + nine + "\n");
    EXPECT_EQ(Load().CustomerCodes, nine);

    // Thirty-two characters of something else.
    WriteConfig("[CUSTOMER_CFG]\nId=ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ\n");
    EXPECT_EQ(Load().CustomerCodes, "ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ");

    // The SDK gets the codes once per load, exactly as kept.
    ASSERT_EQ(m_customerCalls.size(), 4u);
    EXPECT_EQ(m_customerCalls[0], "C0001C0002C0003");
    EXPECT_EQ(m_customerCalls[3], "ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ");
}

TEST_F(ConfigTest, CustomerCodesAreCutToTheBufferOfTheSdk) {
    std::string codes;
    for (int i = 0; i < 400; ++i) {
        codes += "C1234";
    }
    WriteConfig("[CUSTOMER_CFG]\nId=" + codes + "\n");
    const AppConfig config = Load();
    EXPECT_EQ(config.CustomerCodes.size(), 1499u);
    EXPECT_EQ(config.CustomerCodes, codes.substr(0, 1499));
    EXPECT_EQ(m_customerCalls.back(), config.CustomerCodes);
}

TEST_F(ConfigTest, ModifyModeNeedsTheExactCodeAndShowModel) {
    const std::string code = kModifyCode;
    std::string lower = code;
    lower[0] = 'p';
    const std::vector<std::tuple<std::string, std::string, bool>> cases = {
        {code, "1", true},   {code, "", false},        {code, "0", false},
        {lower, "1", false}, {code + "x", "1", false}, {code.substr(0, 38), "1", false},
        {"", "1", false},
    };
    for (const auto& [value, showModel, on] : cases) {
        WriteConfig("[MODEL_CFG]\nModify_Mode=" + value + "\nShow_Model=" + showModel + "\n");
        EXPECT_EQ(Load().ModifyMode, on) << value << " / " << showModel;
    }
}

TEST_F(ConfigTest, ColumnMaskForcesTheFixedColumnsAndHidesTheModelWithoutShowModel) {
    const std::vector<std::tuple<std::string, std::string, uint32_t>> cases = {
        {"Dev_Info=0", "Show_Model=1", 0x2007u},
        {"Dev_Info=256", "", 0x2007u},
        {"Dev_Info=256", "Show_Model=1", 0x2107u},
        {"", "Show_Model=1", 0x23FFu},
        {"Dev_Info=", "", 0x22FFu},
        {"Dev_Info=abc", "Show_Model=1", 0x2007u},
        {"Dev_Info=16383", "", 0x3EFFu},
        {"Dev_Info=-1", "", 0xFFFFFEFFu},
    };
    for (const auto& [devInfo, showModel, mask] : cases) {
        WriteConfig("[DEVINFO_CFG]\n" + devInfo + "\n[MODEL_CFG]\n" + showModel + "\n");
        EXPECT_EQ(Load().DevInfoMask, mask) << devInfo << " / " << showModel;
    }
    // The forced bits are not written back by the load.
    WriteConfig("[DEVINFO_CFG]\nDev_Info=256\n");
    Load();
    EXPECT_EQ(TestTempFolder::Read(ConfigPath()), "[DEVINFO_CFG]\nDev_Info=256\n");
}

TEST_F(ConfigTest, PeriodRules) {
    WriteConfig("[SEARCH_CFG]\nPeriod_Time=1|5|10|\nPeriodic_Search=1\nSel_Time=7\n");
    AppConfig config = Load();
    EXPECT_EQ(config.PeriodChoices, (std::vector<int>{1, 5, 10}));
    EXPECT_TRUE(config.PeriodicSearch);
    EXPECT_EQ(config.SearchPeriodMinutes, 7);

    WriteConfig("[SEARCH_CFG]\nPeriodic_Search=1\nSel_Time=5\n");
    config = Load();
    EXPECT_TRUE(config.PeriodChoices.empty());
    EXPECT_FALSE(config.PeriodicSearch);
    EXPECT_EQ(config.SearchPeriodMinutes, 0);

    WriteConfig("[SEARCH_CFG]\nPeriod_Time=5||abc|12min\nPeriodic_Search=0\nSel_Time=x\n");
    config = Load();
    EXPECT_EQ(config.PeriodChoices, (std::vector<int>{5, 0, 0, 12}));
    EXPECT_FALSE(config.PeriodicSearch);
    EXPECT_EQ(config.SearchPeriodMinutes, 0);

    // A period of no minutes would search without pause: no periodic search.
    WriteConfig("[SEARCH_CFG]\nPeriod_Time=1|5\nPeriodic_Search=1\nSel_Time=0\n");
    EXPECT_FALSE(Load().PeriodicSearch);
    WriteConfig("[SEARCH_CFG]\nPeriod_Time=1|5\nPeriodic_Search=1\nSel_Time=-3\n");
    EXPECT_FALSE(Load().PeriodicSearch);

    // The interfaces searches leave by: empty items dropped; none, every one.
    EXPECT_TRUE(config.SearchInterfaces.empty());
    WriteConfig("[SEARCH_CFG]\nInterfaces=eth0||wlan0|\n");
    EXPECT_EQ(Load().SearchInterfaces, (std::vector<std::string>{"eth0", "wlan0"}));
}

TEST_F(ConfigTest, LongValuesAreCut) {
    const std::string longName(5000, 'n');
    const std::string longItem(40, 'i');
    WriteConfig("[SETTING]\nApp_Name=" + longName + "\n[LANGUAGE_CFG]\nLang=" + longItem + "|eng\n" +
                longItem.substr(0, 31) + "=Cut\n");
    const AppConfig config = Load();
    EXPECT_EQ(config.AppName, std::string(2999, 'n'));
    ASSERT_EQ(config.LanguageChoices.size(), 2u);
    EXPECT_EQ(config.LanguageChoices[0].File, longItem.substr(0, 31));
    EXPECT_EQ(config.LanguageChoices[0].Name, "Cut");
}

TEST_F(ConfigTest, GarbageFilesGiveTheDefaultsWithoutACrash) {
    const AppConfig defaults = Load();
    std::string binary;
    uint32_t state = 7;
    for (int i = 0; i < 300000; ++i) {
        state = state * 1664525u + 1013904223u;
        binary += static_cast<char>(state >> 24);
    }
    const std::vector<std::string> files = {
        binary,
        "App_Name=x\nShow_Help=1\nDev_Info=0\n",
        std::string(4 << 20, '[') + "\n" + std::string(4 << 20, '=') + "\n",
        "[SETTING]\n" + std::string(6 << 20, 'x'),
        std::string("\xFF\xFE", 2) + std::string(1001, '\xD8'),
    };
    for (const std::string& file : files) {
        WriteConfig(file);
        const AppConfig config = Load();
        EXPECT_EQ(config.AppName, "");
        EXPECT_EQ(config.DevInfoMask, defaults.DevInfoMask);
        EXPECT_FALSE(config.ShowHelp);
        EXPECT_FALSE(config.PeriodicSearch);
        EXPECT_EQ(config.LanguageIndex, 0);
    }
    // Unreadable: the path names a folder.
    std::filesystem::remove(ConfigPath());
    std::filesystem::create_directory(ConfigPath());
    AppConfig config = Load();
    EXPECT_EQ(config.DevInfoMask, defaults.DevInfoMask);
    EXPECT_EQ(config.ReleaseText, "  ");
    EXPECT_FALSE(SaveLanguage(config, config.LanguageIndex));
}
