// Every SDK operation against a simulated device, in success and failure.
#include "sdk/byte_codec.h"
#include "sdk/client_session.h"
#include "sdk/config_file.h"
#include "sdk/sdk_layout.h"
#include "sdk/sdk_state.h"
#include "sdk/wire_messages.h"
#include "sim_fixture.h"

#include <atomic>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

using namespace simlab;
using namespace sdklayout;
using sdkwire::Bytes;

namespace {

class SdkOperations : public ::testing::Test {
protected:
    void SetUp() override {
        m_settings = NewSettings("pw");
        m_device = StartDevice(m_settings);
        ASSERT_TRUE(m_device);
        int error = 0;
        m_handle = Login(m_settings, "admin", "pw", &error);
        ASSERT_GT(m_handle, 0);
    }
    void TearDown() override { SDK_Logout(m_handle); }

    Bytes GetBlock(int command, std::size_t size) {
        Bytes block(size, 0);
        int length = 0;
        EXPECT_EQ(
            SDK_GetConfig(m_handle, command, -1, block.data(), static_cast<int>(size), &length, -1, 0, 0), 1);
        EXPECT_EQ(length, static_cast<int>(size));
        return block;
    }

    void WaitForRestart() {
        ASSERT_TRUE(WaitFor([&] { return !m_device->Online(); }));
        ASSERT_TRUE(WaitFor([&] { return m_device->Online(); }));
    }

    std::string TempPath(const std::string& name) { return ::testing::TempDir() + m_settings.name + name; }

    devsim::SimSdkSettings m_settings;
    std::unique_ptr<devsim::SimSdkDevice> m_device;
    int m_handle = 0;
};

struct UpgradeLog {
    std::mutex mutex;
    std::vector<std::pair<int, int>> calls; // total, value
    bool Final() {
        std::lock_guard lock(mutex);
        return !calls.empty() && calls.back().first == 0 && calls.back().second < 0;
    }
    int FinalValue() {
        std::lock_guard lock(mutex);
        return calls.empty() ? 0 : calls.back().second;
    }
};

void RecordProgress(int, int, int total, int value, void* context) {
    auto* log = static_cast<UpgradeLog*>(context);
    std::lock_guard lock(log->mutex);
    log->calls.emplace_back(total, value);
}

} // namespace

TEST_F(SdkOperations, BlocksReadAndWriteKeepingTheDevicesOwnBytes) {
    Bytes ports = GetBlock(kPortCommand, kPortBlockSize);
    EXPECT_EQ(sdkwire::LoadU32(&ports[kHttpPortOffset]), m_settings.httpPort);
    EXPECT_EQ(sdkwire::LoadU32(&ports[kTcpPortOffset]), m_settings.tcpPort);
    sdkwire::StoreU32(&ports[kHttpPortOffset], 8080);
    EXPECT_EQ(SDK_SetConfig(m_handle, kPortCommand, -1, ports.data(), static_cast<int>(ports.size()), -1), 1);
    EXPECT_EQ(GetBlock(kPortCommand, kPortBlockSize), ports);
    EXPECT_EQ(m_device->Snapshot().httpPort, 8080);

    // Equal HTTP and TCP ports, a wrong size, an unknown command: refused.
    sdkwire::StoreU32(&ports[kHttpPortOffset], m_settings.tcpPort);
    EXPECT_NE(SDK_SetConfig(m_handle, kPortCommand, -1, ports.data(), static_cast<int>(ports.size()), -1), 1);
    EXPECT_NE(SDK_SetConfig(m_handle, kPortCommand, -1, ports.data(), 100, -1), 1);
    EXPECT_NE(SDK_SetConfig(m_handle, 999, -1, ports.data(), 10, -1), 1);

    // A buffer smaller than the block is not overrun.
    Bytes small(10, 0);
    int length = 0;
    EXPECT_EQ(SDK_GetConfig(m_handle, kPortCommand, -1, small.data(), 10, &length, -1, 0, 0), 0);

    Bytes model(kModelBlockSize, 0);
    sdkwire::StoreU32(model.data(), kModelValidFlag);
    std::memcpy(&model[kModelTextOffset], "NEW-MODEL", 9);
    EXPECT_EQ(SDK_SetConfig(m_handle, kModelCommand, -1, model.data(), static_cast<int>(model.size()), -1),
              1);
    EXPECT_EQ(GetBlock(kModelCommand, kModelBlockSize), model);
    EXPECT_EQ(m_device->Snapshot().model, "NEW-MODEL");

    devsim::SimSdkFaults refuse;
    refuse.refuseConfigWrites = true;
    m_device->SetFaults(refuse);
    Bytes rtsp = GetBlock(kRtspCommand, kRtspBlockSize);
    EXPECT_EQ(sdkwire::LoadU16(rtsp.data()), 554);
    sdkwire::StoreU16(rtsp.data(), 1554);
    EXPECT_NE(SDK_SetConfig(m_handle, kRtspCommand, -1, rtsp.data(), static_cast<int>(rtsp.size()), -1), 1);
    EXPECT_EQ(m_device->Snapshot().rtspPort, 554);
}

TEST_F(SdkOperations, UserTableAndPasswordChange) {
    Bytes table(kUserTableSize, 0xEE);
    ASSERT_EQ(SDK_GetUserInfo(m_handle, table.data(), 30000), 1);
    const uint8_t* admin = &table[kFirstUserOffset];
    EXPECT_STREQ(reinterpret_cast<const char*>(admin + kUserNameOffset), "admin");
    EXPECT_STREQ(reinterpret_cast<const char*>(admin + kUserRecordSize + kUserNameOffset), "operator");
    // The device never hands out a password, not even to an administrator.
    for (std::size_t user = 0; user < 2; ++user) {
        const uint8_t* password = admin + user * kUserRecordSize + kUserPasswordOffset;
        EXPECT_EQ(Bytes(password, password + kUserPasswordSize), Bytes(kUserPasswordSize, 0));
    }

    Bytes oldRecord(admin, admin + kUserRecordSize);
    std::memcpy(&oldRecord[kUserPasswordOffset], "pw", 3);
    Bytes newRecord = oldRecord;
    std::memset(&newRecord[kUserPasswordOffset], 0, kUserPasswordSize);
    std::memcpy(&newRecord[kUserPasswordOffset], "new-pw", 6);
    EXPECT_EQ(SDK_ModifyUser(m_handle, kModifyUserPassword, newRecord.data(), oldRecord.data(), 5000), 1);
    int error = 0;
    EXPECT_LE(Login(m_settings, "admin", "pw", &error), 0);
    EXPECT_EQ(error, 1);
    const int fresh = Login(m_settings, "admin", "new-pw", &error);
    EXPECT_GT(fresh, 0);
    SDK_Logout(fresh);

    // The old password in the record no longer matches: refused.
    EXPECT_NE(SDK_ModifyUser(m_handle, kModifyUserPassword, newRecord.data(), oldRecord.data(), 5000), 1);
    // A user the device does not have.
    Bytes ghost(kUserRecordSize, 0);
    std::memcpy(&ghost[kUserNameOffset], "ghost", 5);
    EXPECT_NE(SDK_ModifyUser(m_handle, kModifyUserPassword, ghost.data(), ghost.data(), 5000), 1);
}

TEST(SdkPasswordChange, Version3SendsAKeyVersion2APasswordAndBothWork) {
    for (const uint8_t version : {2, 3}) {
        auto settings = NewSettings("pw");
        settings.maxVersion = version;
        auto device = StartDevice(settings);
        ASSERT_TRUE(device);
        int error = 0;
        const int handle = Login(settings, "admin", "pw", &error);
        ASSERT_GT(handle, 0);
        Bytes table(kUserTableSize, 0);
        ASSERT_EQ(SDK_GetUserInfo(handle, table.data(), 30000), 1);
        Bytes oldRecord(&table[kFirstUserOffset], &table[kFirstUserOffset] + kUserRecordSize);
        std::memcpy(&oldRecord[kUserPasswordOffset], "pw", 3);
        Bytes newRecord = oldRecord;
        std::memcpy(&newRecord[kUserPasswordOffset], "changed", 8);
        EXPECT_EQ(SDK_ModifyUser(handle, kModifyUserPassword, newRecord.data(), oldRecord.data(), 5000), 1);
        SDK_Logout(handle);
        const int fresh = Login(settings, "admin", "changed", &error);
        EXPECT_GT(fresh, 0) << "version " << int(version);
        SDK_Logout(fresh);
        // A device of version 3 holds the new key only: it never saw the
        // password, so it could not use it on another device.
        const auto users = device->Snapshot().users;
        ASSERT_FALSE(users.empty());
        EXPECT_EQ(users[0].password.has_value(), version == 2) << "version " << int(version);
    }
}

TEST_F(SdkOperations, AUserWhoIsNoAdministratorSeesOnlyItsOwnRecordAndPassword) {
    int error = 0;
    const int viewer = Login(m_settings, "operator", "op-pass", &error);
    ASSERT_GT(viewer, 0);
    Bytes table(kUserTableSize, 0xEE);
    ASSERT_EQ(SDK_GetUserInfo(viewer, table.data(), 30000), 1);
    const uint8_t* first = &table[kFirstUserOffset];
    EXPECT_EQ(Bytes(first, first + kUserRecordSize),
              Bytes(kUserRecordSize, 0)); // the administrator's: hidden
    Bytes own(first + kUserRecordSize, first + 2 * kUserRecordSize);
    EXPECT_STREQ(reinterpret_cast<const char*>(&own[kUserNameOffset]), "operator");
    EXPECT_EQ(own[kUserPasswordOffset], 0);

    // The administrator's password, even with the right old one: refused.
    Bytes adminOld(kUserRecordSize, 0);
    std::memcpy(&adminOld[kUserNameOffset], "admin", 6);
    std::memcpy(&adminOld[kUserPasswordOffset], "pw", 3);
    Bytes adminNew = adminOld;
    std::memcpy(&adminNew[kUserPasswordOffset], "taken", 6);
    EXPECT_EQ(SDK_ModifyUser(viewer, kModifyUserPassword, adminNew.data(), adminOld.data(), 5000), -4);
    EXPECT_TRUE(m_device->PasswordIs("admin", "pw"));
    // Its own, with its old password checked by the device.
    std::memcpy(&own[kUserPasswordOffset], "wrong", 6);
    Bytes next = own;
    std::memcpy(&next[kUserPasswordOffset], "op-next", 8);
    EXPECT_EQ(SDK_ModifyUser(viewer, kModifyUserPassword, next.data(), own.data(), 5000), -1);
    std::memcpy(&own[kUserPasswordOffset], "op-pass", 8);
    EXPECT_EQ(SDK_ModifyUser(viewer, kModifyUserPassword, next.data(), own.data(), 5000), 1);
    EXPECT_TRUE(m_device->PasswordIs("operator", "op-next"));
    SDK_Logout(viewer);
}

TEST_F(SdkOperations, VersionRebootAndRestoreDefault) {
    char version[64] = {};
    int length = 0;
    ASSERT_EQ(SDK_QueryDeviceInfo(m_handle, kInfoVersionItem, version, 64, &length, 1000), 1);
    EXPECT_EQ(std::string(version), m_settings.firmwareVersion);
    EXPECT_NE(std::string(version).find("Build:"), std::string::npos);
    char tiny[8] = {};
    ASSERT_EQ(SDK_QueryDeviceInfo(m_handle, kInfoVersionItem, tiny, 8, &length, 1000), 1);
    EXPECT_EQ(length, 7); // cut, still terminated

    // Change the TCP port, restart: the device comes back on the new port.
    Bytes ports = GetBlock(kPortCommand, kPortBlockSize);
    const uint16_t newTcp = static_cast<uint16_t>(m_settings.tcpPort + 1);
    sdkwire::StoreU32(&ports[kTcpPortOffset], newTcp);
    ASSERT_EQ(SDK_SetConfig(m_handle, kPortCommand, -1, ports.data(), static_cast<int>(ports.size()), -1), 1);
    EXPECT_EQ(m_device->Snapshot().tcpPort, m_settings.tcpPort); // until the restart
    EXPECT_EQ(SDK_Reboot(m_handle), 1);
    WaitForRestart();
    EXPECT_EQ(m_device->Snapshot().tcpPort, newTcp);
    EXPECT_EQ(SDK_Reboot(m_handle), 0); // that session ended with the restart
    SDK_Logout(m_handle);
    int error = 0;
    m_handle = Login(m_settings, "admin", "pw", &error, newTcp);
    ASSERT_GT(m_handle, 0);

    // Refused while writes are refused: the answer says so.
    devsim::SimSdkFaults refuse;
    refuse.refuseConfigWrites = true;
    m_device->SetFaults(refuse);
    EXPECT_NE(SDK_RestoreDefault(m_handle, 0x80000000u), 1);
    m_device->SetFaults({});
    EXPECT_EQ(SDK_RestoreDefault(m_handle, 0x80000000u), 1);
    WaitForRestart();
    EXPECT_EQ(m_device->Snapshot().tcpPort, m_settings.tcpPort);
}

TEST_F(SdkOperations, ExportThenImportRoundTripsAConfiguration) {
    const std::string path = TempPath("-export.coi");
    ASSERT_EQ(SDK_ExportConfig(m_handle, 0, path.c_str(), 0, 0), 1);
    const Bytes exported = GetBlock(kPortCommand, kPortBlockSize);

    Bytes ports = exported;
    sdkwire::StoreU32(&ports[kHttpPortOffset], 9090);
    ASSERT_EQ(SDK_SetConfig(m_handle, kPortCommand, -1, ports.data(), static_cast<int>(ports.size()), -1), 1);
    EXPECT_EQ(m_device->Snapshot().httpPort, 9090);

    EXPECT_NE(SDK_ImportConfig(m_handle, (path + ".missing").c_str(), 0, 0, 0, 0, 1), 1);
    auto file = sdkwire::ReadWholeFile(path, 1 << 20);
    ASSERT_TRUE(file);
    Bytes damaged = *file;
    damaged[damaged.size() / 2] ^= 0x40;
    const std::string damagedPath = TempPath("-damaged.coi");
    ASSERT_TRUE(sdkwire::WriteWholeFile(damagedPath, damaged));
    EXPECT_EQ(SDK_ImportConfig(m_handle, damagedPath.c_str(), 0, 0, 0, 0, 1), 0);
    EXPECT_EQ(m_device->Snapshot().httpPort, 9090);

    EXPECT_EQ(SDK_ImportConfig(m_handle, path.c_str(), 0, 0, 0, 0, 1), 1);
    WaitForRestart();
    EXPECT_EQ(m_device->Snapshot().httpPort, m_settings.httpPort);
    SDK_Logout(m_handle);
    int error = 0;
    m_handle = Login(m_settings, "admin", "pw", &error);
    ASSERT_GT(m_handle, 0);
    EXPECT_EQ(GetBlock(kPortCommand, kPortBlockSize), exported);
}

TEST_F(SdkOperations, UpgradeWithAGoodImageReportsTheNewVersion) {
    const std::string path = TempPath("-good.upf");
    sdkwire::FirmwareInfo firmware{m_settings.model, "V2.00.R05 Build: 2026-12-01", Bytes(200000, 0x33)};
    ASSERT_TRUE(sdkwire::WriteWholeFile(path, sdkwire::EncodeFirmware(firmware)));
    UpgradeLog log;
    const int upgrade = SDK_OpenUpgrade(m_handle, path.c_str(), RecordProgress, &log, 0);
    ASSERT_NE(upgrade, 0);
    ASSERT_NE(SDK_StartUpgrade(upgrade), 0);
    EXPECT_EQ(SDK_StartUpgrade(upgrade), 0); // once only
    ASSERT_TRUE(WaitFor([&] { return log.Final(); }));
    EXPECT_EQ(log.FinalValue(), -1);
    SDK_CloseUpgrade(upgrade);
    {
        std::lock_guard lock(log.mutex);
        // Transfer (total = file size) first, then writing (total -1) to 100.
        EXPECT_EQ(log.calls.front().first, static_cast<int>(sdkwire::EncodeFirmware(firmware).size()));
        EXPECT_NE(std::find(log.calls.begin(), log.calls.end(), std::make_pair(-1, 100)), log.calls.end());
    }
    WaitForRestart();
    EXPECT_EQ(m_device->Snapshot().firmwareVersion, "V2.00.R05 Build: 2026-12-01");
}

// Version 2 devices get one 64 KiB chunk at a time, version 4 devices up to
// 16 in flight, version 5 devices up to 4 of 512 KiB (a device refuses a
// chunk over its version's size, so a success shows the sizes were kept).
TEST(SdkUpgradeWindow, EachVersionGetsItsChunksAndWindow) {
    for (const uint8_t version : {2, 4, 5}) {
        auto settings = NewSettings("pw");
        settings.maxVersion = version;
        settings.faults.slowMs = 20; // answers come late: the window fills
        auto device = StartDevice(settings);
        ASSERT_TRUE(device);
        int error = 0;
        const int handle = Login(settings, "admin", "pw", &error);
        ASSERT_GT(handle, 0);
        const std::string path = ::testing::TempDir() + settings.name + "-window.upf";
        const sdkwire::FirmwareInfo firmware{settings.model, "V4.00 Build: 2026-12-08",
                                             Bytes(40 * sdkwire::kMaxUpgradeChunk, 0x44)};
        ASSERT_TRUE(sdkwire::WriteWholeFile(path, sdkwire::EncodeFirmware(firmware)));
        UpgradeLog log;
        const int upgrade = SDK_OpenUpgrade(handle, path.c_str(), RecordProgress, &log, 0);
        ASSERT_NE(SDK_StartUpgrade(upgrade), 0);
        ASSERT_TRUE(WaitFor([&] { return log.Final(); }, 10000));
        EXPECT_EQ(log.FinalValue(), -1) << int(version);
        const std::size_t mostOpen = sdkstate::SessionOf(handle)->MostOpenRequests();
        SDK_CloseUpgrade(upgrade);
        if (version == 2) {
            EXPECT_EQ(mostOpen, 1u);
        } else {
            EXPECT_GT(mostOpen, 1u);
            EXPECT_LE(mostOpen, sdkwire::UpgradeWindow(version));
        }
        ASSERT_TRUE(WaitFor([&] { return device->Snapshot().firmwareVersion == firmware.version; }));
        SDK_Logout(handle);
    }
}

TEST_F(SdkOperations, BadOrForeignFirmwareFailsWithMinusTwo) {
    const std::string foreign = TempPath("-foreign.upf");
    ASSERT_TRUE(sdkwire::WriteWholeFile(
        foreign, sdkwire::EncodeFirmware({"OTHER-MODEL", "V9 Build: x", Bytes(1000, 1)})));
    Bytes corrupt = sdkwire::EncodeFirmware({m_settings.model, "V9 Build: x", Bytes(1000, 1)});
    corrupt[500] ^= 1;
    const std::string bad = TempPath("-bad.upf");
    ASSERT_TRUE(sdkwire::WriteWholeFile(bad, corrupt));
    for (const auto& path : {foreign, bad}) {
        UpgradeLog log;
        const int upgrade = SDK_OpenUpgrade(m_handle, path.c_str(), RecordProgress, &log, 0);
        ASSERT_NE(upgrade, 0);
        ASSERT_NE(SDK_StartUpgrade(upgrade), 0);
        ASSERT_TRUE(WaitFor([&] { return log.Final(); }));
        EXPECT_EQ(log.FinalValue(), -2) << path;
        SDK_CloseUpgrade(upgrade);
    }
    EXPECT_EQ(m_device->Snapshot().firmwareVersion, m_settings.firmwareVersion);
    EXPECT_EQ(SDK_OpenUpgrade(m_handle, "/no/such/file.upf", RecordProgress, nullptr, 0), 0);
    EXPECT_EQ(SDK_OpenUpgrade(9999999, foreign.c_str(), RecordProgress, nullptr, 0), 0);

    // The client's own check before anything is sent: the model against the
    // device's model block, the file's magic, size and checksum.
    const std::string good = TempPath("-after.upf");
    ASSERT_TRUE(sdkwire::WriteWholeFile(
        good, sdkwire::EncodeFirmware({m_settings.model, "V9.1 Build: x", Bytes(1000, 1)})));
    EXPECT_EQ(SdkCheckFirmware(m_handle, foreign.c_str()), -3);
    EXPECT_EQ(SdkCheckFirmware(m_handle, bad.c_str()), -2);
    EXPECT_EQ(SdkCheckFirmware(m_handle, "/no/such/file.upf"), -2);
    EXPECT_EQ(SdkCheckFirmware(m_handle, good.c_str()), 1);
    EXPECT_EQ(SdkCheckFirmware(9999999, good.c_str()), 0);

    // After images refused with -2 the same session may upgrade again.
    UpgradeLog log;
    const int upgrade = SDK_OpenUpgrade(m_handle, good.c_str(), RecordProgress, &log, 0);
    ASSERT_NE(upgrade, 0);
    ASSERT_NE(SDK_StartUpgrade(upgrade), 0);
    ASSERT_TRUE(WaitFor([&] { return log.Final(); }));
    EXPECT_EQ(log.FinalValue(), -1);
    SDK_CloseUpgrade(upgrade);
    WaitForRestart();
    EXPECT_EQ(m_device->Snapshot().firmwareVersion, "V9.1 Build: x");
}

TEST_F(SdkOperations, UpgradeDroppedMidwayFailsAndStalledUpgradeGoesSilent) {
    const std::string path = TempPath("-drop.upf");
    ASSERT_TRUE(sdkwire::WriteWholeFile(
        path, sdkwire::EncodeFirmware({m_settings.model, "V3 Build: y", Bytes(1000, 2)})));
    devsim::SimSdkFaults drop;
    drop.dropUpgradeAtPercent = 70;
    m_device->SetFaults(drop);
    UpgradeLog dropped;
    int upgrade = SDK_OpenUpgrade(m_handle, path.c_str(), RecordProgress, &dropped, 0);
    ASSERT_NE(SDK_StartUpgrade(upgrade), 0);
    ASSERT_TRUE(WaitFor([&] { return dropped.Final(); }));
    EXPECT_EQ(dropped.FinalValue(), -2);
    SDK_CloseUpgrade(upgrade);
    SDK_Logout(m_handle);

    devsim::SimSdkFaults stall;
    stall.stallUpgradeAtPercent = 60;
    m_device->SetFaults(stall);
    int error = 0;
    m_handle = Login(m_settings, "admin", "pw", &error);
    ASSERT_GT(m_handle, 0);
    UpgradeLog stalled;
    upgrade = SDK_OpenUpgrade(m_handle, path.c_str(), RecordProgress, &stalled, 0);
    ASSERT_NE(SDK_StartUpgrade(upgrade), 0);
    // The device's own phase has begun; requests answered after it on the
    // same session prove that any progress sent before them has arrived.
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(stalled.mutex);
        return !stalled.calls.empty() && stalled.calls.back().first == -1;
    }));
    for (int i = 0; i < 3; ++i) {
        char text[64] = {};
        int length = 0;
        ASSERT_EQ(SDK_QueryDeviceInfo(m_handle, kInfoVersionItem, text, sizeof text, &length, 2000), 1);
    }
    EXPECT_FALSE(stalled.Final());
    {
        std::lock_guard lock(stalled.mutex);
        ASSERT_FALSE(stalled.calls.empty());
        EXPECT_EQ(stalled.calls.back().first, -1);
        EXPECT_LT(stalled.calls.back().second / 2 + 50, 60);
    }
    // Closing stops every further call.
    SDK_CloseUpgrade(upgrade);
    std::size_t seen = 0;
    {
        std::lock_guard lock(stalled.mutex);
        seen = stalled.calls.size();
    }
    SDK_Logout(m_handle);
    // A whole new login and logout later, still nothing.
    m_handle = Login(m_settings, "admin", "pw", &error);
    ASSERT_GT(m_handle, 0);
    SDK_Logout(m_handle);
    m_handle = 0;
    std::lock_guard lock(stalled.mutex);
    EXPECT_EQ(stalled.calls.size(), seen);
}

namespace {

class FrameCollector : public SdkFrameSink {
public:
    void OnFrame(const uint8_t* jpeg, std::size_t size, int width, int height) override {
        std::lock_guard lock(m_mutex);
        ++m_frames;
        m_width = width;
        m_height = height;
        m_last.assign(jpeg, jpeg + size);
        if (size >= 2 && jpeg[size - 2] == 0xFF && jpeg[size - 1] == 0xD9) {
            ++m_whole;
        }
    }
    void OnStreamEnded() override { ++m_ended; }
    int Frames() {
        std::lock_guard lock(m_mutex);
        return m_frames;
    }
    std::mutex m_mutex;
    int m_frames = 0;
    int m_whole = 0; // ending with the JPEG end-of-image marker
    std::atomic<int> m_ended{0};
    int m_width = 0;
    int m_height = 0;
    Bytes m_last;
};

} // namespace

TEST_F(SdkOperations, PreviewDeliversJpegPicturesOfEachStreamUntilStopped) {
    EXPECT_EQ(SDK_SetPreviewOption(0, 1), 1);
    FrameCollector main;
    FrameCollector sub;
    const int mainHandle = SDK_StartPreview(m_handle, 0, &main, kMainStream, 0);
    const int subHandle = SDK_StartPreview(m_handle, 0, &sub, kSubStream, 0);
    ASSERT_NE(mainHandle, 0);
    ASSERT_NE(subHandle, 0);
    ASSERT_TRUE(WaitFor([&] { return main.Frames() >= 3 && sub.Frames() >= 3; }));
    EXPECT_EQ(SDK_StopPreview(mainHandle), 1);
    const int mainFrames = main.Frames();
    {
        std::lock_guard lock(main.m_mutex);
        EXPECT_EQ(main.m_width, 1920);
        EXPECT_EQ(main.m_height, 1080);
        ASSERT_GT(main.m_last.size(), 4u);
        EXPECT_EQ(main.m_last[0], 0xFF);
        EXPECT_EQ(main.m_last[1], 0xD8); // JPEG start of image
        EXPECT_EQ(main.m_last[main.m_last.size() - 1], 0xD9);
    }
    {
        std::lock_guard lock(sub.m_mutex);
        EXPECT_EQ(sub.m_width, 640);
        EXPECT_EQ(sub.m_height, 360);
    }
    // The sub stream goes on: five of its frames later, the stopped main
    // stream has sent nothing.
    const int subFrames = sub.Frames();
    ASSERT_TRUE(WaitFor([&] { return sub.Frames() >= subFrames + 5; }));
    EXPECT_EQ(main.Frames(), mainFrames);
    EXPECT_EQ(SDK_StopPreview(subHandle), 1);
    EXPECT_EQ(SDK_StartPreview(m_handle, 0, &main, 7, 0), 0); // no such stream
}

TEST_F(SdkOperations, PreviewFaultsScrambleOrStallTheStreamAndAnEndedSessionTellsTheSink) {
    devsim::SimSdkFaults faults;
    faults.corruptPictureEvery = 2;
    m_device->SetFaults(faults);
    FrameCollector mixed;
    const int mixedHandle = SDK_StartPreview(m_handle, 0, &mixed, kSubStream, 0);
    ASSERT_NE(mixedHandle, 0);
    ASSERT_TRUE(WaitFor([&] { return mixed.Frames() >= 6; }));
    EXPECT_EQ(SDK_StopPreview(mixedHandle), 1);
    {
        // Scrambled pictures still start like a JPEG picture, so they reach the sink.
        std::lock_guard lock(mixed.m_mutex);
        EXPECT_GT(mixed.m_whole, 0);
        EXPECT_LT(mixed.m_whole, mixed.m_frames);
    }

    faults = {};
    faults.stallPreviewAfter = 3;
    m_device->SetFaults(faults);
    FrameCollector stalled;
    const int stalledHandle = SDK_StartPreview(m_handle, 0, &stalled, kMainStream, 0);
    ASSERT_NE(stalledHandle, 0);
    ASSERT_TRUE(WaitFor([&] { return stalled.Frames() >= 3; }));
    char version[64];
    int length = 0;
    // Ten frame periods later: no more pictures, and the session still answers.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(stalled.Frames(), 3);
    EXPECT_EQ(SDK_QueryDeviceInfo(m_handle, kInfoVersionItem, version, 64, &length, 2000), 1);
    EXPECT_EQ(stalled.m_ended.load(), 0);

    // The device restarts: the session ends and the sink hears of it once.
    EXPECT_EQ(SDK_Reboot(m_handle), 1);
    ASSERT_TRUE(WaitFor([&] { return stalled.m_ended.load() == 1; }));
    WaitForRestart();
    EXPECT_EQ(stalled.m_ended.load(), 1);
    SDK_StopPreview(stalledHandle);
}

TEST_F(SdkOperations, ASlowDeviceStillAnswersAndATooSlowOneTimesOut) {
    devsim::SimSdkFaults slow;
    slow.slowMs = 300;
    m_device->SetFaults(slow);
    char version[64];
    int length = 0;
    EXPECT_EQ(SDK_QueryDeviceInfo(m_handle, kInfoVersionItem, version, 64, &length, 2000), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SDK_QueryDeviceInfo(m_handle, kInfoVersionItem, version, 64, &length, 100), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(280));
}
