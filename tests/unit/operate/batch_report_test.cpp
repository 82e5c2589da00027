// Why a device's step failed: the keys the batch lines show.
#include "operate/batch_report.h"
#include "sdk/config_file.h"

#include <gtest/gtest.h>

TEST(BatchReport, PasswordFailuresTellAWrongOldPasswordFromARefusal) {
    EXPECT_EQ(PasswordReport(1).outcome, BatchOutcome::Success);
    EXPECT_EQ(PasswordReport(-1).key, failkey::kOldPassword);
    EXPECT_EQ(PasswordReport(0).key, failkey::kRefused);
    EXPECT_EQ(PasswordReport(-4).key, failkey::kRefused);
    EXPECT_EQ(PasswordReport(-4).outcome, BatchOutcome::Failure);
}

TEST(BatchReport, FileFailuresNameTheFileOrTheModel) {
    const std::string dir = ::testing::TempDir();
    const std::string firmware = dir + "report-IPC-A.upf";
    const std::string config = dir + "report.coi";
    const std::string garbage = dir + "report-garbage.bin";
    ASSERT_TRUE(
        sdkwire::WriteWholeFile(firmware, sdkwire::EncodeFirmware({"IPC-A", "V1", sdkwire::Bytes(64, 1)})));
    ASSERT_TRUE(sdkwire::WriteWholeFile(config, sdkwire::EncodeConfigFile(sdkwire::Bytes(128, 2))));
    ASSERT_TRUE(sdkwire::WriteWholeFile(garbage, sdkwire::Bytes(300, 3)));

    EXPECT_EQ(UpgradeFailureKey(firmware, "IPC-B"), failkey::kWrongModel);
    EXPECT_EQ(UpgradeFailureKey(firmware, "IPC-A"), failkey::kRefused);
    // A device whose model the search did not learn is not judged by it.
    EXPECT_EQ(UpgradeFailureKey(firmware, "-- --"), failkey::kRefused);
    EXPECT_EQ(UpgradeFailureKey(garbage, "IPC-A"), failkey::kNotFirmware);
    EXPECT_EQ(UpgradeFailureKey(dir + "report-missing.upf", "IPC-A"), failkey::kNotFirmware);

    EXPECT_EQ(ImportFailureKey(config), failkey::kRefused);
    EXPECT_EQ(ImportFailureKey(firmware), failkey::kNotConfigFile);
    EXPECT_EQ(ImportFailureKey(garbage), failkey::kNotConfigFile);
}
