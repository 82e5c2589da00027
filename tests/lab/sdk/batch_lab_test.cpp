// The batch engine against simulated devices: the login once per batch,
// cancelling, wrong credentials, every operation's lines and login state,
// and the upgrade counters with the watchdog.
#include "devsim/sdk/transfer_count.h"
#include "operate/batch_engine.h"
#include "sdk/config_file.h"
#include "sim_fixture.h"

#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <thread>

using namespace simlab;

namespace {

class ScriptedPrompt : public ILoginPrompt {
public:
    bool AskCredentials(const LoginPromptRequest& request, std::string& user,
                        std::string& password) override {
        std::lock_guard lock(m_mutex);
        ++m_asked;
        m_caption = request.captionKey;
        m_linesWhenAsked = m_linesSoFar ? m_linesSoFar() : 0;
        if (m_cancel) {
            return false;
        }
        user = m_user;
        password = m_password;
        return true;
    }
    std::mutex m_mutex;
    int m_asked = 0;
    std::string m_caption;
    std::size_t m_linesWhenAsked = 0;
    std::function<std::size_t()> m_linesSoFar;
    bool m_cancel = false;
    std::string m_user = "admin";
    std::string m_password = "pw";
};

class RecordingObserver : public IBatchObserver {
public:
    void OnDeviceReport(const DeviceEntry& entry, const DeviceReport& report) override {
        std::lock_guard lock(m_mutex);
        const std::string text = ReportLine(entry, report, [](const std::string& key) { return key; });
        const int percent = report.percent;
        if (report.outcome == BatchOutcome::Cancelled) {
            return;
        }
        if (report.outcome != BatchOutcome::Progress) {
            m_lines.push_back(text);
            m_lineOf[entry.mac] = text;
        } else {
            m_percents[entry.mac].push_back(percent);
        }
    }
    void OnRecordsChanged() override {
        std::lock_guard lock(m_mutex);
        ++m_portsChanged;
    }
    void OnBatchEnded(BatchOperation, bool completed) override {
        std::lock_guard lock(m_mutex);
        m_ended.push_back(completed);
    }
    std::size_t LineCount() {
        std::lock_guard lock(m_mutex);
        return m_lines.size();
    }
    std::string LineOf(const std::string& mac) {
        std::lock_guard lock(m_mutex);
        return m_lineOf[mac];
    }
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
    std::map<std::string, std::string> m_lineOf;
    std::map<std::string, std::vector<int>> m_percents;
    std::vector<bool> m_ended;
    int m_portsChanged = 0;
};

class BatchLab : public ::testing::Test {
protected:
    void SetUp() override {
        m_prompt.m_linesSoFar = [this] { return m_observer.LineCount(); };
    }

    DeviceEntry& AddDevice(const devsim::SimSdkSettings& settings) {
        m_devices.push_back(StartDevice(settings));
        EXPECT_TRUE(m_devices.back());
        m_settings.push_back(settings);
        auto entry = std::make_unique<DeviceEntry>();
        entry->mac = "00-11-22-33-44-" + std::to_string(10 + m_entries.size());
        entry->ip = settings.ip;
        entry->tcpPort = settings.tcpPort;
        entry->webPort = settings.httpPort;
        entry->onvifPort = settings.httpPort;
        entry->operations = NativeOperations(0);
        m_entries.push_back(std::move(entry));
        return *m_entries.back();
    }

    std::vector<DeviceEntry*> All() {
        std::vector<DeviceEntry*> all;
        for (auto& entry : m_entries) {
            all.push_back(entry.get());
        }
        return all;
    }

    std::string Expect(const DeviceEntry& entry, const std::string& key) { return entry.ip + "  " + key; }

    // Logs the record in as the device list would have.
    void LogIn(DeviceEntry& entry, const devsim::SimSdkSettings& settings, const std::string& user) {
        int error = 0;
        const int handle = Login(settings, "admin", "pw", &error);
        ASSERT_GT(handle, 0);
        m_context.logins.Begin(entry.mac, DeviceLogin{&m_context.links.Native(), handle, user, "pw"});
    }
    bool LoggedIn(const DeviceEntry& entry) const { return m_context.logins.IsLoggedIn(entry.mac); }

    void Run(BatchEngine& engine, BatchRequest request) {
        ASSERT_TRUE(engine.Start(std::move(request)));
        ASSERT_TRUE(engine.WaitIdle(15000));
    }

    ScriptedPrompt m_prompt;
    RecordingObserver m_observer;
    OperateContext m_context;
    std::vector<std::unique_ptr<devsim::SimSdkDevice>> m_devices;
    std::vector<devsim::SimSdkSettings> m_settings;
    std::vector<std::unique_ptr<DeviceEntry>> m_entries;
};

} // namespace

TEST_F(BatchLab, AsksOnceAtTheFirstDeviceNotLoggedInAndRebootLogsOut) {
    for (int i = 0; i < 3; ++i) {
        AddDevice(NewSettings("pw"));
    }
    // The first device is already logged in (through the device list).
    LogIn(*m_entries[0], m_settings[0], "admin");

    BatchEngine engine(m_prompt, m_observer, m_context);
    BatchRequest request;
    request.operation = BatchOperation::Reboot;
    request.devices = All();
    ASSERT_TRUE(engine.Start(request));
    EXPECT_TRUE(m_context.leases.InUse());
    EXPECT_FALSE(engine.Start(request)); // one batch at a time
    ASSERT_TRUE(engine.WaitIdle(15000));
    EXPECT_FALSE(m_context.leases.InUse());

    EXPECT_EQ(m_prompt.m_asked, 1);
    EXPECT_EQ(m_prompt.m_caption, "msg.Login_first");
    EXPECT_EQ(m_prompt.m_linesWhenAsked, 1u); // after the first device's line
    for (auto& entry : m_entries) {
        EXPECT_EQ(m_observer.LineOf(entry->mac), Expect(*entry, "tx.success"));
        EXPECT_FALSE(LoggedIn(*entry));
        EXPECT_EQ(entry->processed, 1);
    }
    EXPECT_EQ(m_observer.m_ended, std::vector<bool>{true});
    for (auto& device : m_devices) {
        EXPECT_TRUE(WaitFor([&] { return device->Online(); }));
    }
}

TEST_F(BatchLab, CancellingEndsTheBatchAndAWrongPasswordFailsEveryDevice) {
    for (int i = 0; i < 3; ++i) {
        AddDevice(NewSettings("pw"));
    }
    BatchEngine engine(m_prompt, m_observer, m_context);
    BatchRequest request;
    request.operation = BatchOperation::Password;
    request.devices = All();
    request.oldPassword = "pw";
    request.newPassword = "pw2";

    m_prompt.m_cancel = true;
    Run(engine, request);
    EXPECT_EQ(m_observer.m_ended, std::vector<bool>{false}); // no completion message
    EXPECT_TRUE(m_observer.m_lines.empty());
    EXPECT_FALSE(engine.Busy());

    m_prompt.m_cancel = false;
    m_prompt.m_password = "wrong";
    Run(engine, request);
    EXPECT_EQ(m_prompt.m_asked, 2);
    for (auto& entry : m_entries) {
        EXPECT_EQ(m_observer.LineOf(entry->mac), Expect(*entry, "info.Login_fail"));
        EXPECT_FALSE(LoggedIn(*entry));
    }
    EXPECT_EQ(m_observer.m_ended.back(), true);
}

TEST_F(BatchLab, PasswordChangeSucceedsAndFailsForAUserMissingFromTheTable) {
    AddDevice(NewSettings("pw"));
    AddDevice(NewSettings("pw"));
    BatchEngine engine(m_prompt, m_observer, m_context);
    // The second record is logged in under a name the device does not list.
    DeviceEntry& ghost = *m_entries[1];
    LogIn(ghost, m_settings[1], "ghost");
    BatchRequest request;
    request.operation = BatchOperation::Password;
    request.devices = All();
    request.oldPassword = "pw";
    request.newPassword = "brand-new";
    Run(engine, request);
    EXPECT_EQ(m_observer.LineOf(m_entries[0]->mac), Expect(*m_entries[0], "tx.success"));
    EXPECT_EQ(m_observer.LineOf(ghost.mac), Expect(ghost, "info.Fail_refused"));
    EXPECT_TRUE(LoggedIn(*m_entries[0])); // unchanged by a password change
    EXPECT_TRUE(m_devices[0]->PasswordIs("admin", "brand-new"));
    EXPECT_TRUE(m_devices[1]->PasswordIs("admin", "pw"));
    SDK_Logout(m_context.logins.Handle(m_entries[0]->mac));
    SDK_Logout(m_context.logins.Handle(ghost.mac));
}

TEST_F(BatchLab, PortChangeLogsOutAndTheListShowsThePortsTheDeviceHas) {
    DeviceEntry& whole = AddDevice(NewSettings("pw"));
    DeviceEntry& half = AddDevice(NewSettings("pw"));
    BatchEngine engine(m_prompt, m_observer, m_context);
    BatchRequest request;
    request.operation = BatchOperation::Port;
    request.devices = {&whole};
    request.ports = {8081, static_cast<int32_t>(m_settings[0].tcpPort + 1), 1554};
    Run(engine, request);
    EXPECT_EQ(m_observer.LineOf(whole.mac), Expect(whole, "tx.success"));
    EXPECT_FALSE(LoggedIn(whole));
    EXPECT_EQ(whole.webPort, 8081);
    EXPECT_EQ(whole.onvifPort, 8081);
    EXPECT_EQ(whole.tcpPort, m_settings[0].tcpPort + 1);
    EXPECT_EQ(m_observer.m_portsChanged, 1);
    // Back after its restart, listening on the new port.
    ASSERT_TRUE(WaitFor([&] {
        const auto now = m_devices[0]->Snapshot();
        return now.online && now.tcpPort == whole.tcpPort;
    }));
    const auto snapshot = m_devices[0]->Snapshot();
    EXPECT_EQ(snapshot.tcpPort, whole.tcpPort);
    EXPECT_EQ(snapshot.httpPort, whole.webPort);
    EXPECT_EQ(snapshot.rtspPort, 1554);

    // RTSP port 0 is refused by the device: only the port block is written.
    // The device restarts with it, the line says the change failed, and the
    // record carries the ports the device now really has.
    request.devices = {&half};
    request.ports = {8082, static_cast<int32_t>(m_settings[1].tcpPort + 1), 0};
    Run(engine, request);
    EXPECT_EQ(m_observer.LineOf(half.mac), Expect(half, "info.Fail_refused"));
    EXPECT_FALSE(LoggedIn(half));
    ASSERT_TRUE(WaitFor([&] {
        const auto now = m_devices[1]->Snapshot();
        return now.online && now.tcpPort == half.tcpPort;
    }));
    EXPECT_EQ(m_devices[1]->Snapshot().httpPort, half.webPort);
    EXPECT_EQ(half.webPort, 8082);
    EXPECT_EQ(m_devices[1]->Snapshot().rtspPort, 554);
}

TEST_F(BatchLab, APortChangeOnADeviceServingShortBlocksFailsAndWritesNothing) {
    auto settings = NewSettings("pw");
    settings.faults.shortBlocks = 8;
    DeviceEntry& entry = AddDevice(settings);
    BatchEngine engine(m_prompt, m_observer, m_context);
    BatchRequest request;
    request.operation = BatchOperation::Port;
    request.devices = {&entry};
    request.ports = {8081, static_cast<int32_t>(settings.tcpPort + 1), 1554};
    Run(engine, request);
    EXPECT_EQ(m_observer.LineOf(entry.mac), Expect(entry, "info.Fail_refused"));
    // The device's blocks are as they were, and it did not restart.
    m_devices[0]->SetFaults({});
    const auto snapshot = m_devices[0]->Snapshot();
    EXPECT_TRUE(snapshot.online);
    EXPECT_EQ(snapshot.httpPort, settings.httpPort);
    EXPECT_EQ(snapshot.storedTcpPort, settings.tcpPort);
    EXPECT_EQ(snapshot.rtspPort, settings.rtspPort);
    EXPECT_EQ(entry.webPort, settings.httpPort);
}

TEST_F(BatchLab, FactoryDefaultReportsTheDevicesRealAnswer) {
    DeviceEntry& refusing = AddDevice(NewSettings("pw"));
    DeviceEntry& accepting = AddDevice(NewSettings("pw"));
    devsim::SimSdkFaults refuse;
    refuse.refuseConfigWrites = true;
    m_devices[0]->SetFaults(refuse);
    BatchEngine engine(m_prompt, m_observer, m_context);
    BatchRequest request;
    request.operation = BatchOperation::FactoryDefault;
    request.devices = All();
    Run(engine, request);
    EXPECT_EQ(m_observer.LineOf(refusing.mac), Expect(refusing, "info.Fail_refused"));
    EXPECT_TRUE(LoggedIn(refusing)); // still logged in: nothing happened
    EXPECT_EQ(m_observer.LineOf(accepting.mac), Expect(accepting, "tx.success"));
    EXPECT_FALSE(LoggedIn(accepting));
    SDK_Logout(m_context.logins.Handle(refusing.mac));
}

TEST_F(BatchLab, ConfigurationImportLogsOutOnSuccessAndFailsOnARefusal) {
    DeviceEntry& good = AddDevice(NewSettings("pw"));
    DeviceEntry& refusing = AddDevice(NewSettings("pw"));
    int error = 0;
    const int handle = Login(m_settings[0], "admin", "pw", &error);
    const std::string path = ::testing::TempDir() + "batch-import.coi";
    ASSERT_EQ(SDK_ExportConfig(handle, 0, path.c_str(), 0, 0), 1);
    SDK_Logout(handle);
    devsim::SimSdkFaults refuse;
    refuse.refuseConfigWrites = true;
    m_devices[1]->SetFaults(refuse);
    BatchEngine engine(m_prompt, m_observer, m_context);
    BatchRequest request;
    request.operation = BatchOperation::ConfigImport;
    request.devices = All();
    request.path = path;
    Run(engine, request);
    EXPECT_EQ(m_observer.LineOf(good.mac), Expect(good, "tx.success"));
    EXPECT_FALSE(LoggedIn(good));
    EXPECT_EQ(m_observer.LineOf(refusing.mac), Expect(refusing, "info.Fail_refused"));
    SDK_Logout(m_context.logins.Handle(refusing.mac));
}

TEST_F(BatchLab, UpgradeOneGoodOneStalledEndsAfterTheWatchdog) {
    DeviceEntry& good = AddDevice(NewSettings("pw"));
    DeviceEntry& stalled = AddDevice(NewSettings("pw"));
    devsim::SimSdkFaults stall;
    stall.stallUpgradeAtPercent = 70;
    m_devices[1]->SetFaults(stall);
    const std::string path = ::testing::TempDir() + "batch-good.upf";
    ASSERT_TRUE(sdkwire::WriteWholeFile(
        path, sdkwire::EncodeFirmware({"IPC-SIM", "V7.00 Build: 2026-12-07", sdkwire::Bytes(300000, 9)})));
    BatchEngine engine(m_prompt, m_observer, m_context, 400);
    BatchRequest request;
    request.operation = BatchOperation::Upgrade;
    request.devices = All();
    request.path = path;
    const auto start = std::chrono::steady_clock::now();
    Run(engine, request);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(m_observer.LineOf(good.mac), Expect(good, "tx.success"));
    EXPECT_EQ(m_observer.LineOf(stalled.mac), Expect(stalled, "info.operate_timeout"));
    EXPECT_EQ(m_observer.m_ended, std::vector<bool>{true});
    EXPECT_GE(took, std::chrono::milliseconds(400)); // the watchdog, not the device, ended it
    for (auto* entry : {&good, &stalled}) {
        EXPECT_FALSE(LoggedIn(*entry));
    }
    {
        std::lock_guard lock(m_observer.m_mutex);
        const auto& percents = m_observer.m_percents[good.mac];
        ASSERT_FALSE(percents.empty());
        EXPECT_EQ(percents.back(), 100);
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
        const auto& stuck = m_observer.m_percents[stalled.mac];
        ASSERT_FALSE(stuck.empty());
        EXPECT_LT(stuck.back(), 70);
    }
    EXPECT_TRUE(WaitFor([&] {
        const auto now = m_devices[0]->Snapshot();
        return now.online && now.firmwareVersion == "V7.00 Build: 2026-12-07";
    }));
}

TEST_F(BatchLab, UpgradesShareTheImageAndTakeTurnsAtTheTransferLimit) {
    for (int i = 0; i < 5; ++i) {
        AddDevice(NewSettings("pw"));
    }
    const std::string path = ::testing::TempDir() + "batch-turns.upf";
    ASSERT_TRUE(sdkwire::WriteWholeFile(
        path, sdkwire::EncodeFirmware({"IPC-SIM", "V7.10 Build: 2026-12-08", sdkwire::Bytes(2000000, 7)})));
    SdkSetUpgradeTransfers(2);
    devsim::ResetPeakTransfers();
    BatchEngine engine(m_prompt, m_observer, m_context);
    BatchRequest request;
    request.operation = BatchOperation::Upgrade;
    request.devices = All();
    request.path = path;
    Run(engine, request);
    SdkSetUpgradeTransfers(8);
    for (const auto& entry : m_entries) {
        EXPECT_EQ(m_observer.LineOf(entry->mac), Expect(*entry, "tx.success"));
    }
    EXPECT_EQ(m_observer.m_ended, std::vector<bool>{true});
    EXPECT_GE(devsim::PeakTransfers(), 1);
    EXPECT_LE(devsim::PeakTransfers(), 2);
}

// Time stands still; waits return after a short real pause.
class FrozenClock : public Clock {
public:
    int64_t NowMs() override { return 1000; }
    void SleepMs(int64_t) override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
    void WaitFor(std::condition_variable& signal, std::unique_lock<std::mutex>& lock, int64_t) override {
        signal.wait_for(lock, std::chrono::milliseconds(2));
    }
};

TEST_F(BatchLab, UpgradeWithABadFileOrNoLoginFails) {
    DeviceEntry& device = AddDevice(NewSettings("pw"));
    const std::string path = ::testing::TempDir() + "batch-bad.upf";
    sdkwire::Bytes image = sdkwire::EncodeFirmware({"IPC-SIM", "V8 Build: z", sdkwire::Bytes(5000, 1)});
    image[1000] ^= 0xFF;
    ASSERT_TRUE(sdkwire::WriteWholeFile(path, image));
    devsim::ResetPeakTransfers();
    BatchEngine engine(m_prompt, m_observer, m_context, 400);
    BatchRequest request;
    request.operation = BatchOperation::Upgrade;
    request.devices = All();
    request.path = path;
    Run(engine, request);
    // Refused before UPGRADE_BEGIN: the device received nothing.
    EXPECT_EQ(m_observer.LineOf(device.mac), Expect(device, "info.Fail_not_firmware"));
    EXPECT_EQ(m_observer.m_ended, std::vector<bool>{true});
    EXPECT_EQ(m_devices[0]->Snapshot().firmwareVersion, m_settings[0].firmwareVersion);

    // A sound image of another model: the same, with its own line.
    const std::string other = ::testing::TempDir() + "batch-other.upf";
    ASSERT_TRUE(sdkwire::WriteWholeFile(
        other, sdkwire::EncodeFirmware({"IPC-OTHER", "V8 Build: z", sdkwire::Bytes(5000, 1)})));
    request.path = other;
    BatchEngine second(m_prompt, m_observer, m_context, 400);
    Run(second, request);
    EXPECT_EQ(m_observer.LineOf(device.mac), Expect(device, "info.Fail_wrong_model"));
    EXPECT_EQ(devsim::PeakTransfers(), 0);
    request.path = path;

    // Every device failing to log in ends the batch at once: on a clock
    // that stands still, so that waiting for the watchdog would never end.
    m_prompt.m_password = "wrong";
    FrozenClock frozen;
    BatchEngine quick(m_prompt, m_observer, m_context, 400, frozen);
    Run(quick, request);
    EXPECT_EQ(m_observer.LineOf(device.mac), Expect(device, "info.Login_fail"));
    EXPECT_EQ(m_observer.m_ended, (std::vector<bool>{true, true, true}));
}
