// The blocks and the user table as the device hands them over, pinned by
// the literal sizes and offsets of docs/device-protocol.md (deliberately not
// through the constants the client and the simulator share).
#include "sdk/byte_codec.h"
#include "sim_fixture.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace simlab;
using sdkwire::Bytes;

TEST(SdkLayout, BlocksAndUserTableHaveTheDocumentedSizesAndOffsets) {
    auto settings = NewSettings("pw");
    settings.httpPort = 8123;
    settings.rtspPort = 1555;
    settings.model = "LAYOUT-MODEL";
    auto device = StartDevice(settings);
    ASSERT_TRUE(device);
    int error = 0;
    const int handle = Login(settings, "admin", "pw", &error);
    ASSERT_GT(handle, 0);
    const auto get = [&](int command, int size) {
        Bytes block(static_cast<std::size_t>(size) + 64, 0);
        int length = 0;
        EXPECT_EQ(SDK_GetConfig(handle, command, -1, block.data(), static_cast<int>(block.size()), &length,
                                -1, 0, 0),
                  1);
        EXPECT_EQ(length, size) << command;
        block.resize(static_cast<std::size_t>(size));
        return block;
    };
    const Bytes ports = get(81, 772);
    EXPECT_EQ(sdkwire::LoadU32(&ports[68]), 8123u);
    EXPECT_EQ(sdkwire::LoadU32(&ports[72]), settings.tcpPort);
    const Bytes rtsp = get(155, 260);
    EXPECT_EQ(sdkwire::LoadU16(&rtsp[0]), 1555);
    const Bytes model = get(191, 324);
    EXPECT_EQ(sdkwire::LoadU32(&model[0]) & 1u, 1u);
    EXPECT_STREQ(reinterpret_cast<const char*>(&model[4]), "LAYOUT-MODEL");

    Bytes table(783856, 0xEE);
    ASSERT_EQ(SDK_GetUserInfo(handle, table.data(), 30000), 1);
    EXPECT_EQ(Bytes(table.begin(), table.begin() + 114796), Bytes(114796, 0));
    EXPECT_STREQ(reinterpret_cast<const char*>(&table[114796 + 8]), "admin");
    EXPECT_STREQ(reinterpret_cast<const char*>(&table[114796 + 3344 + 8]), "operator");
    EXPECT_EQ(table[114796 + 104], 0); // passwords are never served
    EXPECT_EQ(table[114796 + 3344 + 104], 0);
    EXPECT_EQ(Bytes(table.begin() + 114796 + 2 * 3344, table.end()), Bytes(783856 - 114796 - 2 * 3344, 0));

    // A password change by literal offsets: name at 8, password at 104.
    Bytes oldRecord(table.begin() + 114796, table.begin() + 114796 + 3344);
    std::memcpy(&oldRecord[104], "pw", 3);
    Bytes newRecord = oldRecord;
    std::memcpy(&newRecord[104], "layout-pw", 10);
    EXPECT_EQ(SDK_ModifyUser(handle, 6, newRecord.data(), oldRecord.data(), 5000), 1);
    EXPECT_TRUE(device->PasswordIs("admin", "layout-pw"));
    SDK_Logout(handle);
}
