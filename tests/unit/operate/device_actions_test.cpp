#include "operate/device_actions.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

std::tm Stamp() {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11; // December
    t.tm_mday = 8;
    t.tm_hour = 7;
    t.tm_min = 5;
    t.tm_sec = 9;
    return t;
}

} // namespace

TEST(DeviceActions, ExportNameIsAVisibleCoiFileStampedWithTheLocalTime) {
    EXPECT_EQ(ProposeExportName("V4.02.R11.Build:2020", "IPC-A", "10.0.0.1", Stamp()),
              "V4.02.R11.20261208070509.coi");
    EXPECT_EQ(ProposeExportName("V5.3.17 Build: 2026-10-23", "IPC-A", "10.0.0.1", Stamp()),
              "V5.3.17.20261208070509.coi");
    // Without "Build:" the model names it, or the address when the model is not known.
    EXPECT_EQ(ProposeExportName("V4.02.R11", "IPC-A", "10.0.0.1", Stamp()), "IPC-A.20261208070509.coi");
    EXPECT_EQ(ProposeExportName("", "-- --", "10.0.0.1", Stamp()), "10.0.0.1.20261208070509.coi");
    EXPECT_EQ(ProposeExportName("Build:1", "", "10.0.0.1", Stamp()), "10.0.0.1.20261208070509.coi");
    EXPECT_EQ(ProposeExportName("", "", "", Stamp()), "config.20261208070509.coi");
    // Device texts never make a path or a hidden file.
    EXPECT_EQ(ProposeExportName("../x/y Build:1", "", "", Stamp()), "_x_y.20261208070509.coi");
    EXPECT_EQ(ProposeExportName("", "A:B*\x01", "", Stamp()), "A_B__.20261208070509.coi");
}

TEST(DeviceActions, DeviceTextsInFileNamesKeepToASafeSet) {
    // A hostile version text: a path, control characters, a terminal title.
    EXPECT_EQ(ProposeExportName("../../etc/cron.d/x]0;t Build:1", "", "", Stamp()),
              "_.._etc_cron.d_x__0_t_.20261208070509.coi");
    EXPECT_EQ(SafeFileNamePart("V4.02.R11 b_c-d"), "V4.02.R11 b_c-d");
    EXPECT_EQ(SafeFileNamePart("a\\b:c*?\"<>|\xc3\xa9"), "a_b_c________");
    EXPECT_EQ(SafeFileNamePart(".."), "__");
    EXPECT_EQ(SafeFileNamePart("."), "_");
    EXPECT_EQ(SafeFileNamePart(""), "");
}

TEST(DeviceActions, LoginErrorIndexCoversTheEighteenTexts) {
    EXPECT_EQ(LoginErrorTextIndex(-1), 0);
    EXPECT_EQ(LoginErrorTextIndex(11), 12);
    EXPECT_EQ(LoginErrorTextIndex(16), 17);
    EXPECT_EQ(LoginErrorTextIndex(17), -1);
    EXPECT_EQ(LoginErrorTextIndex(-2), -1);
    EXPECT_EQ(LoginErrorTextIndex(INT32_MAX), -1);
    EXPECT_EQ(LoginErrorTextIndex(INT32_MIN), -1);
}

TEST(DeviceActions, NewModelMustBePrintableWithoutQuotesOrBackslash) {
    std::string bad;
    EXPECT_EQ(CheckNewModel("", bad), ModelTextCheck::Empty);
    EXPECT_EQ(CheckNewModel("IPC-HX 2020", bad), ModelTextCheck::Ok);
    for (const char* text : {"a\"b", "a'b", "a?b", "a\\b", "a\tb", "caf\xC3\xA9"}) {
        bad.clear();
        EXPECT_EQ(CheckNewModel(text, bad), ModelTextCheck::IllegalChar) << text;
        EXPECT_FALSE(bad.empty()) << text;
    }
    CheckNewModel("ab?c", bad);
    EXPECT_EQ(bad, "?");
}

TEST(DeviceActions, FirmwareVersionIsBoundedAndEmptyOnFailure) {
    SdkCalls sdk;
    int askedSize = 0;
    sdk.queryDeviceInfo = [&](int, int item, char* buffer, int size, int*, int) {
        askedSize = size;
        if (item != 50) {
            return 0;
        }
        std::memset(buffer, 'V', static_cast<std::size_t>(size)); // no terminator of its own
        return 1;
    };
    EXPECT_EQ(QueryFirmwareVersion(3, sdk), std::string(64, 'V'));
    EXPECT_EQ(askedSize, 64);
    sdk.queryDeviceInfo = [](int, int, char*, int, int*, int) { return -1; };
    EXPECT_EQ(QueryFirmwareVersion(3, sdk), "");
}
