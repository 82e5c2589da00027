// Runs in the device lab (scripts/lab, maintenance.lab, restarts of 300 ms):
// the core's firmware upgrade, backup export and restore against the
// simulator's ONVIF devices over real HTTP.
#include "onvif/config_backup.h"
#include "onvif/firmware_upgrade.h"
#include "onvif/wsd_listener.h"
#include "sdk/config_file.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace onvif;

namespace {

class MaintenanceLab : public ::testing::Test {
protected:
    DeviceChannel Channel(const std::string& address) {
        return {*m_soap, *m_files,      m_auth,        {"http://" + address + "/onvif/device_service"},
                m_login, UtcSecondsNow, SteadyClock(), {}};
    }

    static sdkwire::Bytes Image(const std::string& model, const std::string& version) {
        sdkwire::FirmwareInfo firmware{model, version, sdkwire::Bytes(2 * 1024 * 1024)};
        for (std::size_t i = 0; i < firmware.payload.size(); ++i) {
            firmware.payload[i] = static_cast<uint8_t>(i * 31 + i / 4096);
        }
        return sdkwire::EncodeFirmware(firmware);
    }

    std::string Version(const std::string& address) {
        const CallResult call = Channel(address).Call("GetDeviceInformation", kGetDeviceInformation);
        const auto info = ParseDeviceInformation(call.body);
        return info ? info->firmwareVersion : std::string("?");
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::string Folder() {
        const auto folder =
            std::filesystem::temp_directory_path() / ("onvif-lab-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        m_folder = folder;
        return folder.string() + "/";
    }

    void TearDown() override {
        if (!m_folder.empty()) {
            std::filesystem::remove_all(m_folder);
        }
    }

    std::shared_ptr<SoapTransport> m_soap = CreateCurlTransport();
    std::shared_ptr<FileTransport> m_files = CreateCurlFileTransport();
    AuthMemory m_auth;
    OnvifCredentials m_login{"admin", "admin-pass"};
    UpgradeTiming m_timing{1000, 300, {5000, 4000, 100, 1000}};
    std::filesystem::path m_folder;
};

TEST_F(MaintenanceLab, UpgradeTakesOnlyItsModelAndVerifiesTheNewVersion) {
    const sdkwire::Bytes other = Image("OC-999", "9.9.9");
    const UpgradeResult refused = UpgradeOnvifFirmware(Channel("10.77.16.121"), other, {}, m_timing);
    EXPECT_EQ(refused.outcome, UpgradeOutcome::Refused);
    EXPECT_EQ(Version("10.77.16.121"), "1.0.0");

    // The restart ends with a Hello.
    std::mutex heardMutex;
    std::vector<std::string> heard;
    WsDiscoveryListener listener({[&](DeviceEntry entry) {
                                      const std::lock_guard lock(heardMutex);
                                      heard.push_back(entry.ip);
                                  },
                                  {}});
    ASSERT_TRUE(listener.Start());
    const auto helloFrom = [&](const std::string& address) {
        const std::lock_guard lock(heardMutex);
        return std::find(heard.begin(), heard.end(), address) != heard.end();
    };

    const sdkwire::Bytes image = Image("OC-100", "2.0.0");
    std::vector<int> percents;
    const UpgradeResult done = UpgradeOnvifFirmware(
        Channel("10.77.16.121"), image, [&](int p) { percents.push_back(p); }, m_timing);
    EXPECT_EQ(done.outcome, UpgradeOutcome::Ok) << done.errorKey;
    EXPECT_FALSE(done.usedFallback);
    EXPECT_EQ(done.oldVersion, "1.0.0");
    EXPECT_EQ(done.newVersion, "2.0.0");
    ASSERT_EQ(percents.size(), 101u);
    EXPECT_EQ(percents.back(), 100);
    for (int i = 0; i < 100 && !helloFrom("10.77.16.121"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(helloFrom("10.77.16.121"));

    // A device that never comes back; and the fallback of one without
    // StartFirmwareUpgrade.
    EXPECT_EQ(UpgradeOnvifFirmware(Channel("10.77.16.122"), image, {}, m_timing).outcome,
              UpgradeOutcome::NotBack);
    const UpgradeResult older = UpgradeOnvifFirmware(Channel("10.77.16.123"), image, {}, m_timing);
    EXPECT_EQ(older.outcome, UpgradeOutcome::Ok) << older.errorKey;
    EXPECT_TRUE(older.usedFallback);
    EXPECT_EQ(Version("10.77.16.123"), "2.0.0");
}

TEST_F(MaintenanceLab, BackupLeavesByteForByteAndRestoresOnlyWhole) {
    const std::string folder = Folder();
    const std::string first = folder + "first.bin";
    const BackupResult exported = ExportOnvifBackup(Channel("10.77.16.121"), first);
    ASSERT_EQ(exported.outcome, BackupOutcome::Ok) << exported.errorKey;
    EXPECT_FALSE(exported.usedFallback);
    // What the device serves, fetched on our own: the export keeps it as it is.
    FileTransfer get = Channel("10.77.16.121").Transfer("http://10.77.16.121/onvif/backup/config.bin");
    get.maxReplyBytes = 1 << 20;
    const FileReply served = m_files->Transfer(get);
    EXPECT_EQ(served.httpStatus, 200);
    EXPECT_EQ(Read(first), served.body);

    // Restored elsewhere: that device's backup is now the first one's.
    const ComeBackTiming timing{5000, 2000, 100, 1000};
    EXPECT_EQ(RestoreOnvifBackup(Channel("10.77.16.124"), first, timing).outcome, BackupOutcome::Ok);
    const std::string second = folder + "second.bin";
    ASSERT_EQ(ExportOnvifBackup(Channel("10.77.16.124"), second).outcome, BackupOutcome::Ok);
    EXPECT_EQ(Read(second), Read(first));

    // A damaged file is refused, both ways.
    std::string damaged = Read(first);
    damaged[damaged.find("location=") + 9] ^= 1;
    std::ofstream(folder + "damaged.bin", std::ios::binary) << damaged;
    EXPECT_EQ(RestoreOnvifBackup(Channel("10.77.16.124"), folder + "damaged.bin", timing).outcome,
              BackupOutcome::Refused);
    EXPECT_EQ(RestoreOnvifBackup(Channel("10.77.16.123"), folder + "damaged.bin", timing).outcome,
              BackupOutcome::Refused);

    // The older ways: GetSystemBackup, then RestoreSystem of the first file.
    const std::string older = folder + "older.bin";
    const BackupResult olderExport = ExportOnvifBackup(Channel("10.77.16.123"), older);
    ASSERT_EQ(olderExport.outcome, BackupOutcome::Ok) << olderExport.errorKey;
    EXPECT_TRUE(olderExport.usedFallback);
    EXPECT_NE(Read(older).find("location=yard"), std::string::npos);
    const BackupResult restored = RestoreOnvifBackup(Channel("10.77.16.123"), first, timing);
    EXPECT_EQ(restored.outcome, BackupOutcome::Ok) << restored.errorKey;
    EXPECT_TRUE(restored.usedFallback);
    ASSERT_EQ(ExportOnvifBackup(Channel("10.77.16.123"), older).outcome, BackupOutcome::Ok);
    EXPECT_EQ(Read(older), Read(first));
}

} // namespace
