// The device list's column widths in Config.ini.
#include "config_fixture.h"
#include "ini/ini_file.h"

namespace {

std::vector<int> Defaults() {
    return std::vector<int>(kDevInfoColumnCount, 0);
}

} // namespace

TEST(DevInfoWidths, ParseClampsFormatRoundTripsAndBadTextsGiveDefaults) {
    std::vector<int> widths{
        40, 120, 0, kMinDevInfoWidth, kMaxDevInfoWidth, 0, 60, 60, 60, 60, 60, 60, 60, 300, 0, 0, 0, 0, 0};
    // An older file's 14 or 18 widths keep their places; the later columns default.
    EXPECT_EQ(ParseDevInfoWidths("40, 120,0,5,99999,-3,60,60,60,60,60,60,60,300"), widths);
    widths[17] = 90;
    EXPECT_EQ(ParseDevInfoWidths("40, 120,0,5,99999,-3,60,60,60,60,60,60,60,300,0,0,0,90"), widths);
    EXPECT_EQ(ParseDevInfoWidths(FormatDevInfoWidths(widths)), widths);
    EXPECT_EQ(FormatDevInfoWidths({3, 5000}), "16,1200,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
    for (const char* bad :
         {"", "40,120", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15", "1,2,3,4,5,6,7,8,9,10,11,12,13,",
          "1,2,3,4,5,6,7,8,9,10,11,12,13,1e3", "1,2,3,4,5,6,7,8,9,10,11,12,13,99999999999",
          "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20"}) {
        EXPECT_EQ(ParseDevInfoWidths(bad), Defaults()) << bad;
    }
}

TEST_F(ConfigTest, SaveDevInfoWidthsKeepsEveryOtherByteAndReloads) {
    const std::string before =
        "; columns\r\n[DEVINFO_CFG]\r\nDev_Info=9215\r\n[SEARCH_CFG]\r\nSel_Time=5\r\n";
    WriteConfig(before);
    AppConfig config = Load();
    EXPECT_EQ(config.DevInfoWidths, Defaults());
    std::vector<int> widths = Defaults();
    widths[9] = 210;
    widths[10] = 5;
    ASSERT_TRUE(SaveDevInfoWidths(config, widths));
    widths[10] = kMinDevInfoWidth;
    EXPECT_EQ(config.DevInfoWidths, widths);
    EXPECT_EQ(
        TestTempFolder::Read(ConfigPath()),
        "; "
        "columns\r\n[DEVINFO_CFG]\r\nDev_Info=9215\r\nDev_Widths=0,0,0,0,0,0,0,0,0,210,16,0,0,0,0,0,0,0,0\r\n"
        "[SEARCH_CFG]\r\nSel_Time=5\r\n");
    EXPECT_EQ(Load().DevInfoWidths, widths);

    // A damaged value loads as every default.
    ASSERT_TRUE(ini::WriteString(ConfigPath(), "DEVINFO_CFG", "Dev_Widths", "210,abc"));
    EXPECT_EQ(Load().DevInfoWidths, Defaults());
}
