// The three settings written back, and what they leave alone.
#include "config_fixture.h"
#include "ini/ini_file.h"

#include <filesystem>

TEST_F(ConfigTest, SaveLanguageWritesTheDisplayNameAndKeepsTheRest) {
    const std::string original = "; settings\n[LANGUAGE_CFG]\nDefault=English\nLang=eng|Ru\n";
    WriteConfig(original);
    AppConfig config = Load();
    ASSERT_TRUE(SaveLanguage(config, 6));
    EXPECT_EQ(config.LanguageIndex, 6);
    EXPECT_EQ(TestTempFolder::Read(ConfigPath()),
              "; settings\n[LANGUAGE_CFG]\nDefault=Русский\nLang=eng|Ru\n");
    EXPECT_EQ(Load().LanguageIndex, 6);

    for (const int bad : {-1, 26, 1000}) {
        EXPECT_FALSE(SaveLanguage(config, bad));
        EXPECT_EQ(config.LanguageIndex, 6);
    }
    EXPECT_EQ(Load().LanguageIndex, 6);
}

TEST_F(ConfigTest, SaveSearchParamsWritesBothKeys) {
    WriteConfig("[SEARCH_CFG]\r\nPeriod_Time=1|5|10\r\nPeriodic_Search=0\r\n");
    AppConfig config = Load();
    ASSERT_TRUE(SaveSearchParams(config, true, 10));
    EXPECT_TRUE(config.PeriodicSearch);
    EXPECT_EQ(config.SearchPeriodMinutes, 10);
    EXPECT_EQ(TestTempFolder::Read(ConfigPath()),
              "[SEARCH_CFG]\r\nPeriod_Time=1|5|10\r\nPeriodic_Search=1\r\nSel_Time=10\r\n");
    const AppConfig reloaded = Load();
    EXPECT_TRUE(reloaded.PeriodicSearch);
    EXPECT_EQ(reloaded.SearchPeriodMinutes, 10);

    ASSERT_TRUE(SaveSearchParams(config, false, 5));
    EXPECT_EQ(TestTempFolder::Read(ConfigPath()),
              "[SEARCH_CFG]\r\nPeriod_Time=1|5|10\r\nPeriodic_Search=0\r\nSel_Time=5\r\n");
}

TEST_F(ConfigTest, SaveSearchInterfacesRoundTripsThroughTheLoader) {
    WriteConfig("[SEARCH_CFG]\nSel_Time=5\n");
    AppConfig config = Load();
    // Each name once; one holding the separator cannot be written.
    ASSERT_TRUE(SaveSearchInterfaces(config, {"eth1", "enx00e04c6801ab", "eth1", "a|b", ""}));
    const std::vector<std::string> kept = {"eth1", "enx00e04c6801ab"};
    EXPECT_EQ(config.SearchInterfaces, kept);
    EXPECT_EQ(TestTempFolder::Read(ConfigPath()),
              "[SEARCH_CFG]\nSel_Time=5\nInterfaces=eth1|enx00e04c6801ab\n");
    EXPECT_EQ(Load().SearchInterfaces, kept);

    // Every interface: the key stays, empty.
    ASSERT_TRUE(SaveSearchInterfaces(config, {}));
    EXPECT_TRUE(config.SearchInterfaces.empty());
    EXPECT_EQ(TestTempFolder::Read(ConfigPath()), "[SEARCH_CFG]\nSel_Time=5\nInterfaces=\n");
    EXPECT_TRUE(Load().SearchInterfaces.empty());
}

TEST_F(ConfigTest, SaveDevInfoMaskWritesTheMaskWithoutTheForcedBits) {
    WriteConfig("[DEVINFO_CFG]\nDev_Info=9215\n[MODEL_CFG]\nShow_Model=1\n");
    AppConfig config = Load();
    ASSERT_TRUE(SaveDevInfoMask(config, 0x0010));
    EXPECT_EQ(config.DevInfoMask, 0x0010u);
    EXPECT_EQ(ini::GetString(ConfigPath(), "DEVINFO_CFG", "Dev_Info"), "16");
    EXPECT_EQ(Load().DevInfoMask, 0x2017u);

    // The top bit goes through "%d" and comes back.
    ASSERT_TRUE(SaveDevInfoMask(config, 0x80000000u));
    EXPECT_EQ(ini::GetString(ConfigPath(), "DEVINFO_CFG", "Dev_Info"), "-2147483648");
    EXPECT_EQ(Load().DevInfoMask, 0x80002007u);
}

TEST_F(ConfigTest, SavesFailWhenTheFolderIsMissingButStillApplyForTheRun) {
    AppConfig config = Load();
    EXPECT_FALSE(SaveSearchParams(config, true, 3));
    EXPECT_TRUE(config.PeriodicSearch);
    EXPECT_EQ(config.SearchPeriodMinutes, 3);
    EXPECT_FALSE(SaveDevInfoMask(config, 7));
    EXPECT_EQ(config.DevInfoMask, 7u);
    EXPECT_FALSE(std::filesystem::exists(m_program.File("Config File")));
}

TEST_F(ConfigTest, LoadingRemovesWhatKilledSavesLeftBehind) {
    WriteConfig("[SEARCH_CFG]\nPeriod_Time=1|5\nSel_Time=5\n");
    m_program.Write("Config File/Config/Config.ini.backup", "[SEARCH_CFG]\n"); // the user's own
    m_program.Write("Config File/Config/.Config.ini.tmp-q1W2e3", "[SEARCH");
    AppConfig config = Load();
    EXPECT_EQ(config.SearchPeriodMinutes, 5);
    EXPECT_TRUE(std::filesystem::exists(m_program.File("Config File/Config/Config.ini.backup")));
    EXPECT_FALSE(std::filesystem::exists(m_program.File("Config File/Config/.Config.ini.tmp-q1W2e3")));
    EXPECT_TRUE(std::filesystem::exists(ConfigPath()));
}
