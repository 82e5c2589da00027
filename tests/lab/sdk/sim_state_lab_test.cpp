// The simulator's state file: what a device's SDK side changed survives a
// new simulator, and a damaged file is read as far as it is sound.
#include "devsim/sdk/sim_state_file.h"
#include "sdk/byte_codec.h"
#include "sdk/sdk_layout.h"
#include "sim_fixture.h"

#include <cstring>
#include <gtest/gtest.h>
#include <thread>

using namespace simlab;

TEST(SimStateFile, ChangesSurviveARestartedSimulator) {
    auto settings = NewSettings("first");
    devsim::SavedStates states;
    {
        auto device = StartDevice(settings);
        ASSERT_TRUE(device);
        int error = 0;
        const int handle = Login(settings, "admin", "first", &error);
        ASSERT_GT(handle, 0);
        sdkwire::Bytes model(sdklayout::kModelBlockSize, 0);
        sdkwire::StoreU32(model.data(), sdklayout::kModelValidFlag);
        std::memcpy(&model[sdklayout::kModelTextOffset], "SAVED|MODEL\x01", 12);
        ASSERT_EQ(SDK_SetConfig(handle, sdklayout::kModelCommand, -1, model.data(),
                                static_cast<int>(model.size()), -1),
                  1);
        sdkwire::Bytes table(sdklayout::kUserTableSize);
        ASSERT_EQ(SDK_GetUserInfo(handle, table.data(), 30000), 1);
        sdkwire::Bytes oldRecord(table.begin() + sdklayout::kFirstUserOffset,
                                 table.begin() + sdklayout::kFirstUserOffset + sdklayout::kUserRecordSize);
        std::memcpy(&oldRecord[sdklayout::kUserPasswordOffset], "first", 6);
        sdkwire::Bytes newRecord = oldRecord;
        std::memcpy(&newRecord[sdklayout::kUserPasswordOffset], "second\\|x", 10);
        ASSERT_EQ(SDK_ModifyUser(handle, 6, newRecord.data(), oldRecord.data(), 5000), 1);
        SDK_Logout(handle);
        states["02-00-00-00-00-99"] = device->SnapshotForSaving();
    }
    const std::string text = devsim::WriteStateText(states);
    // Keys only: neither the changed password nor the lab's other one.
    EXPECT_EQ(text.find("second"), std::string::npos);
    EXPECT_EQ(text.find("op-pass"), std::string::npos);
    const auto back = devsim::ReadStateText(text + "garbage line\nX|tcp-port|99999\n\\x|model|y\n");
    ASSERT_EQ(back.count("02-00-00-00-00-99"), 1u);
    const auto& saved = back.at("02-00-00-00-00-99");
    EXPECT_EQ(saved.model, "SAVED|MODEL\x01");
    EXPECT_EQ(saved.storedTcpPort, settings.tcpPort);
    ASSERT_EQ(saved.users.size(), 2u);
    EXPECT_FALSE(saved.users[0].password);
    EXPECT_TRUE(saved.users[0].key);
    EXPECT_TRUE(saved.users[1].labPassword);
    EXPECT_EQ(back.count("X"), 1u);
    EXPECT_EQ(back.at("X").storedTcpPort, 0); // an impossible port is not taken

    devsim::SimSdkDevice again(settings);
    again.Restore(saved);
    ASSERT_TRUE(again.Start());
    EXPECT_EQ(again.Snapshot().model, "SAVED|MODEL\x01");
    int error = 0;
    const int handle = Login(settings, "admin", "second\\|x", &error);
    EXPECT_GT(handle, 0);
    SDK_Logout(handle);
    const int other = Login(settings, "operator", "op-pass", &error); // the lab's password still
    EXPECT_GT(other, 0);
    SDK_Logout(other);

    // CFG.V3 follows the restored key: the old password no longer works.
    const auto spaced = [] {
        std::this_thread::sleep_for(
            std::chrono::milliseconds(devsim::SimSdkDevice::kConfigCheckSpacingMs + 20));
    };
    EXPECT_FALSE(again.CheckConfigPassword("admin", "first"));
    spaced();
    EXPECT_TRUE(again.CheckConfigPassword("admin", "second\\|x"));
}

TEST(SimConfigCheck, FailuresCountTowardsTheLoginLockAndChecksAreSpaced) {
    const auto settings = NewSettings("right");
    auto device = StartDevice(settings);
    ASSERT_TRUE(device);
    const auto spaced = [] {
        std::this_thread::sleep_for(
            std::chrono::milliseconds(devsim::SimSdkDevice::kConfigCheckSpacingMs + 20));
    };
    EXPECT_TRUE(device->CheckConfigPassword("admin", "right"));
    // A second check at once is refused without being judged.
    EXPECT_FALSE(device->CheckConfigPassword("admin", "right"));
    for (int i = 0; i < 5; ++i) {
        spaced();
        EXPECT_FALSE(device->CheckConfigPassword("admin", "wrong"));
    }
    spaced();
    EXPECT_FALSE(device->CheckConfigPassword("admin", "right")); // locked
    int error = 0;
    EXPECT_LE(Login(settings, "admin", "right", &error), 0);
    EXPECT_EQ(error, 5); // the same lock as logins
}

TEST(SimStateFile, AFileOfTheFirstVersionIsConvertedToKeysOnItsFirstSave) {
    const auto settings = NewSettings("lab-pass");
    const auto old = devsim::ReadStateText("02-00-00-00-00-98|tcp-port|" + std::to_string(settings.tcpPort) +
                                           "\n02-00-00-00-00-98|user|admin|kept\\x7Cpass\n");
    ASSERT_EQ(old.count("02-00-00-00-00-98"), 1u);
    devsim::SimSdkDevice device(settings);
    device.Restore(old.at("02-00-00-00-00-98"));
    ASSERT_TRUE(device.Start());
    int error = 0;
    const int handle = Login(settings, "admin", "kept|pass", &error);
    EXPECT_GT(handle, 0);
    SDK_Logout(handle);
    const std::string saved = devsim::WriteStateText({{"02-00-00-00-00-98", device.SnapshotForSaving()}});
    EXPECT_EQ(saved.find("pass"), std::string::npos);
    EXPECT_NE(saved.find("|key|admin|"), std::string::npos);
    EXPECT_NE(saved.find("|salt|"), std::string::npos);
}
