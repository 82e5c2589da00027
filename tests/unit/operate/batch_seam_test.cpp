// The batch engine's per-device loop, upgrade percent, watchdog and
// completion rules, run against a device put in through the SDK table.
#include "batch_fakes.h"
#include "fake_family_link.h"
#include "sdk/transfer_slots.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace {

// Devices that log in and take every step; upgrades report only what the
// test sends through the callback they were opened with.
class FakeSdk {
public:
    FakeSdk() {
        calls.login = [this](const char*, int port, const char*, const char*, unsigned char*, int* error, int,
                             int) {
            ++logins;
            *error = 0;
            return port; // the record's port doubles as its handle
        };
        calls.logout = [this](int) { return ++logouts, 1; };
        calls.reboot = [this](int) { return ++reboots, 1; };
        calls.openUpgrade = [this](int login, const char*, SdkUpgradeCallback callback, void* context, int) {
            std::lock_guard lock(mutex);
            upgrades[login + 100] = {callback, context};
            return login + 100;
        };
        calls.startUpgrade = [](int) { return 1; };
        calls.closeUpgrade = [this](int) { return ++closes, 1; };
    }
    // Progress of the upgrade opened for the login handle, as the SDK calls it.
    void Progress(int login, int total, int value) {
        std::pair<SdkUpgradeCallback, void*> upgrade;
        {
            std::lock_guard lock(mutex);
            upgrade = upgrades.at(login + 100);
        }
        upgrade.first(0, 0, total, value, upgrade.second);
    }

    bool WaitForUpgrades(std::size_t count) {
        for (int i = 0; i < 10000; ++i) {
            {
                std::lock_guard lock(mutex);
                if (upgrades.size() >= count) {
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    SdkCalls calls;
    std::atomic<int> logins{0}, logouts{0}, reboots{0}, closes{0};
    std::mutex mutex;
    std::map<int, std::pair<SdkUpgradeCallback, void*>> upgrades;
};

std::vector<DeviceEntry> Devices(int count) {
    std::vector<DeviceEntry> entries(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        entries[static_cast<std::size_t>(i)].mac = "02-00-00-00-00-0" + std::to_string(i);
        entries[static_cast<std::size_t>(i)].ip = "10.0.0." + std::to_string(i + 1);
        entries[static_cast<std::size_t>(i)].tcpPort = static_cast<uint16_t>(i + 1);
        entries[static_cast<std::size_t>(i)].operations = NativeOperations(0);
    }
    return entries;
}

BatchRequest Request(BatchOperation operation, std::vector<DeviceEntry>& entries) {
    BatchRequest request;
    request.operation = operation;
    request.path = "image.bin";
    for (auto& entry : entries) {
        request.devices.push_back(&entry);
    }
    return request;
}

class BatchSeam : public testing::Test {
protected:
    static constexpr int kWatchdogMs = 30000;
    Prompt prompt;
    Observer observer;
    FakeSdk sdk;
    OperateContext context{sdk.calls};
    ManualClock clock;
    BatchEngine engine{prompt, observer, context, kWatchdogMs, clock};
};

TEST_F(BatchSeam, RebootWritesALinePerDeviceAndCompletesOnce) {
    auto entries = Devices(3);
    ASSERT_TRUE(engine.Start(Request(BatchOperation::Reboot, entries)));
    ASSERT_TRUE(engine.WaitIdle(10000));
    EXPECT_EQ(prompt.asked, 1);
    EXPECT_EQ(sdk.reboots, 3);
    EXPECT_EQ(sdk.logouts, 3); // a restarted device's login is ended
    std::lock_guard lock(observer.mutex);
    EXPECT_EQ(observer.lines, (std::vector<std::string>{"10.0.0.1  <tx.success>", "10.0.0.2  <tx.success>",
                                                        "10.0.0.3  <tx.success>"}));
    EXPECT_EQ(observer.ended, (std::vector<std::pair<BatchOperation, bool>>{{BatchOperation::Reboot, true}}));
    EXPECT_EQ(context.logins.Count(), 0u);
}

TEST_F(BatchSeam, CancelledLoginEndsTheBatchWithoutCompletionOrDeviceCalls) {
    prompt.cancel = true;
    auto entries = Devices(4);
    for (const auto operation : {BatchOperation::Reboot, BatchOperation::Upgrade}) {
        ASSERT_TRUE(engine.Start(Request(operation, entries)));
        ASSERT_TRUE(engine.WaitIdle(10000));
    }
    EXPECT_EQ(sdk.logins, 0);
    EXPECT_EQ(sdk.reboots, 0);
    EXPECT_TRUE(sdk.upgrades.empty());
    std::lock_guard lock(observer.mutex);
    EXPECT_EQ(observer.outcomes,
              (std::vector<BatchOutcome>{BatchOutcome::Cancelled, BatchOutcome::Cancelled}));
    EXPECT_EQ(observer.ended, (std::vector<std::pair<BatchOperation, bool>>{
                                  {BatchOperation::Reboot, false}, {BatchOperation::Upgrade, false}}));
}

TEST_F(BatchSeam, UpgradeLogsInAsManyDevicesAtOnceAsTransfersMayRunAndStartsEachWhenLoggedIn) {
    sdkclient::TransferSlots& slots = sdkclient::UpgradeTransferSlots();
    const int capacity = slots.Capacity();
    slots.SetCapacity(3);
    // Logins hold until three run at once (or a moment has passed), so the
    // most at once shows whatever the engine allows.
    std::mutex mutex;
    std::condition_variable changed;
    int running = 0;
    int most = 0;
    std::vector<std::string> events;
    sdk.calls.login = [&](const char*, int port, const char*, const char*, unsigned char*, int* error, int,
                          int) {
        std::unique_lock lock(mutex);
        events.push_back("login " + std::to_string(port));
        most = std::max(most, ++running);
        changed.notify_all();
        changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return running >= 3; });
        --running;
        *error = 0;
        return port;
    };
    const auto open = sdk.calls.openUpgrade;
    sdk.calls.openUpgrade = [&](int login, const char* path, SdkUpgradeCallback callback,
                                void* upgradeContext, int flags) {
        {
            std::lock_guard lock(mutex);
            events.push_back("upgrade " + std::to_string(login));
        }
        return open(login, path, callback, upgradeContext, flags);
    };
    auto entries = Devices(9);
    ASSERT_TRUE(engine.Start(Request(BatchOperation::Upgrade, entries)));
    ASSERT_TRUE(sdk.WaitForUpgrades(9));
    slots.SetCapacity(capacity);
    for (int login = 1; login <= 9; ++login) {
        sdk.Progress(login, 0, -1);
    }
    ASSERT_TRUE(engine.WaitIdle(10000));
    EXPECT_EQ(prompt.asked, 1);
    EXPECT_EQ(most, 3);
    // Transfers start as devices log in, not once all have: a device
    // logged in in parallel has its upgrade open before the last login.
    const auto firstParallelUpgrade =
        std::find_if(events.begin(), events.end(), [](const std::string& event) {
            return event.rfind("upgrade ", 0) == 0 && event != "upgrade 1";
        });
    EXPECT_LT(firstParallelUpgrade, std::find(events.begin(), events.end(), "login 9"));
    std::lock_guard lock(observer.mutex);
    EXPECT_EQ(observer.lines.size(), 9u);
    EXPECT_EQ(observer.ended,
              (std::vector<std::pair<BatchOperation, bool>>{{BatchOperation::Upgrade, true}}));
}

TEST_F(BatchSeam, UpgradePercentFollowsTheTransferThenTheDevicesOwnPhase) {
    auto entries = Devices(1);
    ASSERT_TRUE(engine.Start(Request(BatchOperation::Upgrade, entries)));
    ASSERT_TRUE(sdk.WaitForUpgrades(1));
    // Transfer: value of total, scaled to the first half. 2 of 3 is 33, which
    // an integer division (2 / 3 * 50) would make 0.
    sdk.Progress(1, 3, 2);
    sdk.Progress(1, 3, 2); // no change, no report
    sdk.Progress(1, 1000, 999);
    // The device's own phase (total -1): value / 2 + 50, at most 100.
    sdk.Progress(1, -1, 61);
    sdk.Progress(1, -1, 250);
    sdk.Progress(1, 0, -1); // final state: success
    ASSERT_TRUE(observer.WaitUntil([&] { return !observer.ended.empty(); }));
    std::lock_guard lock(observer.mutex);
    EXPECT_EQ(observer.lines, (std::vector<std::string>{"10.0.0.1  33%", "10.0.0.1  49%", "10.0.0.1  80%",
                                                        "10.0.0.1  100%", "10.0.0.1  <tx.success>"}));
    EXPECT_EQ(observer.ended,
              (std::vector<std::pair<BatchOperation, bool>>{{BatchOperation::Upgrade, true}}));
    EXPECT_EQ(sdk.closes, 1);
}

TEST_F(BatchSeam, WatchdogFailsASilentUpgradeOnTheSecondTickAndCompletesOnce) {
    auto entries = Devices(2);
    ASSERT_TRUE(engine.Start(Request(BatchOperation::Upgrade, entries)));
    ASSERT_TRUE(sdk.WaitForUpgrades(2));
    sdk.Progress(1, 0, -1); // the first device finishes at once

    clock.Advance(kWatchdogMs); // first silent tick: nothing yet
    {
        std::lock_guard lock(observer.mutex);
        EXPECT_EQ(observer.lines, std::vector<std::string>{"10.0.0.1  <tx.success>"});
        EXPECT_TRUE(observer.ended.empty());
    }
    sdk.Progress(2, 10, 1); // a report resets the count
    ASSERT_TRUE(observer.WaitUntil([&] { return observer.lines.size() == 2; }));
    clock.Advance(kWatchdogMs);
    {
        std::lock_guard lock(observer.mutex);
        EXPECT_TRUE(observer.ended.empty());
    }
    clock.Advance(kWatchdogMs); // second tick without a report
    ASSERT_TRUE(observer.WaitUntil([&] { return !observer.ended.empty(); }));
    clock.Advance(kWatchdogMs);
    ASSERT_TRUE(engine.WaitIdle(10000));
    std::lock_guard lock(observer.mutex);
    EXPECT_EQ(observer.lines, (std::vector<std::string>{"10.0.0.1  <tx.success>", "10.0.0.2  5%",
                                                        "10.0.0.2  <info.operate_timeout>"}));
    EXPECT_EQ(observer.ended,
              (std::vector<std::pair<BatchOperation, bool>>{{BatchOperation::Upgrade, true}}));
}

TEST_F(BatchSeam, UpgradesFinishingTogetherCompleteExactlyOnce) {
    auto entries = Devices(8);
    ASSERT_TRUE(engine.Start(Request(BatchOperation::Upgrade, entries)));
    ASSERT_TRUE(sdk.WaitForUpgrades(8));
    std::vector<std::thread> finishers;
    for (int login = 1; login <= 8; ++login) {
        finishers.emplace_back([&, login] { sdk.Progress(login, 0, login % 2 == 0 ? -1 : -2); });
    }
    for (auto& finisher : finishers) {
        finisher.join();
    }
    ASSERT_TRUE(engine.WaitIdle(10000));
    std::lock_guard lock(observer.mutex);
    EXPECT_EQ(observer.lines.size(), 8u);
    EXPECT_EQ(observer.ended,
              (std::vector<std::pair<BatchOperation, bool>>{{BatchOperation::Upgrade, true}}));
}

TEST_F(BatchSeam, MixedFamiliesRunThroughTheirOwnLinksAndMissingOperationsAreNotSupported) {
    auto link = std::make_shared<FakeFamilyLink>();
    context.links.Add(link, [](const DeviceEntry& entry) { return entry.mac.rfind("other", 0) == 0; });
    auto entries = Devices(4);
    entries[1].mac = "other-1";
    entries[1].operations = OperationSet{DeviceOperation::Login, DeviceOperation::Reboot};
    entries[3].mac = "other-3";
    entries[3].operations = OperationSet{DeviceOperation::Login};

    ASSERT_TRUE(engine.Start(Request(BatchOperation::Reboot, entries)));
    ASSERT_TRUE(engine.WaitIdle(10000));
    EXPECT_EQ(sdk.reboots, 2);
    EXPECT_EQ(link->reboots, 1);
    EXPECT_EQ(link->logins, 1); // the device that cannot reboot is not logged in
    EXPECT_EQ(link->logouts, 1);
    {
        std::lock_guard lock(observer.mutex);
        EXPECT_EQ(observer.lines, (std::vector<std::string>{
                                      "10.0.0.1  <tx.success>", "10.0.0.2  <tx.success>",
                                      "10.0.0.3  <tx.success>", "10.0.0.4  <info.Fail_not_supported>"}));
    }

    // An upgrade batch counts the device that cannot upgrade and completes.
    auto others = Devices(1);
    others[0].mac = "other-9";
    others[0].operations = OperationSet{DeviceOperation::Login};
    ASSERT_TRUE(engine.Start(Request(BatchOperation::Upgrade, others)));
    ASSERT_TRUE(engine.WaitIdle(10000));
    {
        std::lock_guard lock(observer.mutex);
        EXPECT_EQ(observer.lines.back(), "10.0.0.1  <info.Fail_not_supported>");
        EXPECT_EQ(observer.ended.back(), (std::pair<BatchOperation, bool>{BatchOperation::Upgrade, true}));
    }

    // The clock: the family that offers it sets it and the record shows the
    // new time; a native device is not supported.
    auto clocks = Devices(2);
    clocks[1].mac = "other-7";
    clocks[1].operations = OperationSet{DeviceOperation::Login, DeviceOperation::Time};
    BatchRequest request = Request(BatchOperation::SetTime, clocks);
    request.time.ntp = true;
    request.time.ntpServers = {"pool.example"};
    ASSERT_TRUE(engine.Start(std::move(request)));
    ASSERT_TRUE(engine.WaitIdle(10000));
    EXPECT_EQ(clocks[1].deviceTime, "ntp:pool.example");
    std::lock_guard lock(observer.mutex);
    const std::vector<std::string> last(observer.lines.end() - 2, observer.lines.end());
    EXPECT_EQ(last,
              (std::vector<std::string>{"10.0.0.1  <info.Fail_not_supported>", "10.0.0.2  <tx.success>"}));
    EXPECT_EQ(observer.ended.back(), (std::pair<BatchOperation, bool>{BatchOperation::SetTime, true}));
}

TEST_F(BatchSeam, AFamilyThatUpgradesItselfReportsHalfPercentsAndCountsIntoTheBatch) {
    auto link = std::make_shared<FakeFamilyLink>();
    link->selfUpgrade = true;
    context.links.Add(link, [](const DeviceEntry& entry) { return entry.mac.rfind("other", 0) == 0; });
    auto entries = Devices(2);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].mac = "other-" + std::to_string(i);
        entries[i].operations = OperationSet{DeviceOperation::Login, DeviceOperation::Upgrade};
    }
    entries[1].model = "refuses";
    ASSERT_TRUE(engine.Start(Request(BatchOperation::Upgrade, entries)));
    ASSERT_TRUE(engine.WaitIdle(10000));
    std::lock_guard lock(observer.mutex);
    std::vector<std::string> sorted = observer.lines;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted,
              (std::vector<std::string>{"10.0.0.1  20%", "10.0.0.1  50%", "10.0.0.1  <tx.success>",
                                        "10.0.0.2  20%", "10.0.0.2  50%", "10.0.0.2  <info.Fail_refused>"}));
    EXPECT_EQ(observer.ended,
              (std::vector<std::pair<BatchOperation, bool>>{{BatchOperation::Upgrade, true}}));
    EXPECT_FALSE(context.logins.IsLoggedIn("other-0")); // the device restarted
}

TEST_F(BatchSeam, AnUpgradesTransferSlotIsFreeWhileTheDeviceRestarts) {
    // One slot: a device that held it through its restart would keep the
    // second device's transfer from ever starting.
    sdkclient::TransferSlots& slots = sdkclient::UpgradeTransferSlots();
    const int capacity = slots.Capacity();
    slots.SetCapacity(1);
    auto link = std::make_shared<FakeFamilyLink>();
    link->selfUpgrade = true;
    std::atomic<int> transferred{0};
    std::atomic<int> overlapped{0};
    link->afterTransfer = [&] {
        ++transferred;
        for (int i = 0; i < 5000 && transferred < 2; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        overlapped += transferred == 2 ? 1 : 0;
    };
    context.links.Add(link, [](const DeviceEntry&) { return true; });
    auto entries = Devices(2);
    for (DeviceEntry& entry : entries) {
        entry.operations = OperationSet{DeviceOperation::Login, DeviceOperation::Upgrade};
    }
    ASSERT_TRUE(engine.Start(Request(BatchOperation::Upgrade, entries)));
    ASSERT_TRUE(engine.WaitIdle(20000));
    slots.SetCapacity(capacity);
    EXPECT_EQ(overlapped, 2);
}

TEST_F(BatchSeam, AResetKeepingTheNetworkLeavesDevicesThatCannotAlone) {
    auto link = std::make_shared<FakeFamilyLink>();
    context.links.Add(link, [](const DeviceEntry& entry) { return entry.mac.rfind("other", 0) == 0; });
    auto entries = Devices(2);
    entries[1].mac = "other-1";
    entries[1].operations = OperationSet{DeviceOperation::Login, DeviceOperation::SoftReset};
    BatchRequest request = Request(BatchOperation::FactoryDefault, entries);
    request.keepNetwork = true;
    ASSERT_TRUE(engine.Start(std::move(request)));
    ASSERT_TRUE(engine.WaitIdle(10000));
    EXPECT_EQ(sdk.logins, 0); // the native device is not even logged in to
    EXPECT_EQ(link->softResets, 1);
    std::lock_guard lock(observer.mutex);
    EXPECT_EQ(observer.lines,
              (std::vector<std::string>{"10.0.0.1  <info.Fail_not_supported>", "10.0.0.2  <tx.success>"}));
}

TEST(TimeSetting, NtpServersAreNamesOrAddressesOneToFour) {
    EXPECT_EQ(ParseNtpServers(" pool.ntp.org, 10.0.0.1  time-a.example"),
              (std::vector<std::string>{"pool.ntp.org", "10.0.0.1", "time-a.example"}));
    for (const char* bad : {"", " , ", "a b c d e", "bad_name.org", "-x.org", "a..b", "x.org;reboot"}) {
        EXPECT_FALSE(ParseNtpServers(bad)) << bad;
    }
}

} // namespace
