// The simulator's state file: what a device's SDK side changed survives a
// new simulator, and a damaged file is read as far as it is sound.
#include "devsim/sdk/sim_state_file.h"
#include "sdk/byte_codec.h"
#include "sdk/sdk_layout.h"
#include "sim_fixture.h"

#include <cstring>
#include <gtest/gtest.h>

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
        sdkwire::Bytes newRecord = oldRecord;
        std::memcpy(&newRecord[sdklayout::kUserPasswordOffset], "second\\|x", 10);
        ASSERT_EQ(SDK_ModifyUser(handle, 6, newRecord.data(), oldRecord.data(), 1000), 1);
        SDK_Logout(handle);
        states["02-00-00-00-00-99"] = device->Snapshot();
    }
    const std::string text = devsim::WriteStateText(states);
    EXPECT_EQ(text.find("second\\|x"), std::string::npos); // escaped, never ambiguous
    const auto back = devsim::ReadStateText(text + "garbage line\nX|tcp-port|99999\n\\x|model|y\n");
    ASSERT_EQ(back.count("02-00-00-00-00-99"), 1u);
    const auto& saved = back.at("02-00-00-00-00-99");
    EXPECT_EQ(saved.model, "SAVED|MODEL\x01");
    EXPECT_EQ(saved.storedTcpPort, settings.tcpPort);
    ASSERT_EQ(saved.users.size(), 2u);
    EXPECT_EQ(saved.users[0].password, "second\\|x");
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
}
