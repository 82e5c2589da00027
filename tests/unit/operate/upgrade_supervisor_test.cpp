// The upgrade supervisor on its own: refused upgrades, the end of an upgrade
// and of its login, counting, progress that arrives after the end, and the
// upgrades still running when it goes away.
#include "batch_fakes.h"
#include "operate/native_link.h"
#include "operate/upgrade_supervisor.h"

#include <gtest/gtest.h>
#include <map>

namespace {

// Upgrades open with handle login + 100; logins listed in refuseOpen or
// refuseStart are refused at that step.
class UpgradeSdk {
public:
    UpgradeSdk() {
        calls.openUpgrade = [this](int login, const char*, SdkUpgradeCallback callback, void* context, int) {
            std::lock_guard lock(mutex);
            if (login == refuseOpen) {
                return 0;
            }
            upgrades[login] = {callback, context};
            return login + 100;
        };
        calls.startUpgrade = [this](int handle) { return handle - 100 == refuseStart ? 0 : 1; };
        calls.closeUpgrade = [this](int handle) {
            std::lock_guard lock(mutex);
            closed.push_back(handle);
            upgrades.erase(handle - 100); // as the SDK: no callback after the close
            return 1;
        };
        calls.logout = [this](int login) {
            std::lock_guard lock(mutex);
            loggedOut.push_back(login);
            return 1;
        };
    }
    // What the SDK's thread calls for the upgrade last opened on login,
    // while it is not closed.
    void Progress(int login, int total, int value) {
        std::pair<SdkUpgradeCallback, void*> upgrade;
        {
            std::lock_guard lock(mutex);
            const auto found = upgrades.find(login);
            if (found == upgrades.end()) {
                return;
            }
            upgrade = found->second;
        }
        upgrade.first(0, 0, total, value, upgrade.second);
    }

    SdkCalls calls;
    int refuseOpen = -1;
    int refuseStart = -1;
    std::mutex mutex;
    std::map<int, std::pair<SdkUpgradeCallback, void*>> upgrades;
    std::vector<int> closed;
    std::vector<int> loggedOut;
};

// The logins of the records, ended through the native link on the fake SDK;
// every change is noted.
struct Logins {
    explicit Logins(const SdkCalls& sdk) : link(sdk) {
        table.SetChanged([this](const std::string& mac, bool loggedIn) {
            std::lock_guard lock(mutex);
            changes.emplace_back(mac, loggedIn);
        });
    }
    DeviceEntry LoggedIn(int login) {
        DeviceEntry entry;
        entry.mac = "02-00-00-00-00-0" + std::to_string(login);
        entry.ip = "10.0.0." + std::to_string(login);
        table.Begin(entry.mac, DeviceLogin{&link, login, "admin", "secret"});
        return entry;
    }
    NativeLink link;
    LoginTable table;
    std::mutex mutex;
    std::vector<std::pair<std::string, bool>> changes;
};

class Supervisor : public testing::Test {
protected:
    UpgradeSdk sdk;
    Logins logins{sdk.calls};
    Observer observer;
    ManualClock clock;
    int events = 0; // under observer.mutex
    UpgradeSupervisor supervisor{observer, logins.table, 30000, sdk.calls, clock, [this] {
                                     std::lock_guard lock(observer.mutex);
                                     ++events;
                                     observer.changed.notify_all();
                                 }};
};

TEST_F(Supervisor, RefusalsCountAtOnceAndAFinishedUpgradeEndsItsLogin) {
    auto refusesOpen = logins.LoggedIn(1);
    auto refusesStart = logins.LoggedIn(2);
    auto upgrades = logins.LoggedIn(3);
    logins.changes.clear();
    sdk.refuseOpen = 1;
    sdk.refuseStart = 2;
    supervisor.BeginBatch(4);
    supervisor.Count(false); // a fourth device whose login failed
    supervisor.Start(refusesOpen, 1, "image.bin");
    supervisor.Start(refusesStart, 2, "image.bin");
    supervisor.Start(upgrades, 3, "image.bin");
    EXPECT_TRUE(supervisor.Running());
    EXPECT_FALSE(supervisor.BatchComplete());
    EXPECT_EQ(supervisor.ContextsHeld(), 1u); // the refused ones' are gone
    {
        std::lock_guard lock(sdk.mutex);
        EXPECT_EQ(sdk.closed, std::vector<int>{102}); // the refused start only
    }

    sdk.Progress(3, 0, -1);
    ASSERT_TRUE(observer.WaitUntil([&] { return events == 1; }));
    EXPECT_TRUE(supervisor.BatchComplete());
    EXPECT_FALSE(supervisor.Running());
    EXPECT_EQ(supervisor.ContextsHeld(), 0u); // nothing kept after the batch
    // The device restarts: its login is gone.
    EXPECT_FALSE(logins.table.IsLoggedIn(upgrades.mac));
    EXPECT_EQ(logins.table.Handle(refusesStart.mac), 2); // a refused start keeps the login
    {
        std::lock_guard lock(sdk.mutex);
        EXPECT_EQ(sdk.closed, (std::vector<int>{102, 103}));
        EXPECT_EQ(sdk.loggedOut, std::vector<int>{3});
    }
    std::lock_guard lock(observer.mutex);
    EXPECT_EQ(observer.lines,
              (std::vector<std::string>{"10.0.0.1  <info.Fail_not_firmware>", "10.0.0.2  <info.Fail_refused>",
                                        "10.0.0.3  <tx.success>"}));
    std::lock_guard changes(logins.mutex);
    EXPECT_EQ(logins.changes, (std::vector<std::pair<std::string, bool>>{{upgrades.mac, false}}));
}

TEST_F(Supervisor, ProgressAfterTheEndIsDroppedAndARestartShowsItsPercentAgain) {
    auto entry = logins.LoggedIn(4);
    supervisor.BeginBatch(1);
    supervisor.Start(entry, 4, "image.bin");
    sdk.Progress(4, 10, 5);
    sdk.Progress(4, 0, -2);
    ASSERT_TRUE(observer.WaitUntil([&] { return events == 2; }));
    sdk.Progress(4, 10, 6); // late: the handle is closed, so the SDK calls nothing
    EXPECT_FALSE(supervisor.Running());

    // The same record again: its percent starts afresh, so 25% shows again.
    supervisor.Start(entry, 4, "image.bin");
    sdk.Progress(4, 10, 5);
    ASSERT_TRUE(observer.WaitUntil([&] { return events == 3; }));
    std::lock_guard lock(observer.mutex);
    EXPECT_EQ(observer.lines, (std::vector<std::string>{"10.0.0.4  25%", "10.0.0.4  <info.Fail_not_firmware>",
                                                        "10.0.0.4  25%"}));
}

TEST(UpgradeSupervisorLife, ClosesTheUpgradesStillRunningWhenItGoesAway) {
    UpgradeSdk sdk;
    Logins logins(sdk.calls);
    Observer observer;
    ManualClock clock;
    auto first = logins.LoggedIn(5);
    auto second = logins.LoggedIn(6);
    {
        UpgradeSupervisor supervisor(observer, logins.table, 30000, sdk.calls, clock, [] {});
        supervisor.Start(first, 5, "image.bin");
        supervisor.Start(second, 6, "image.bin");
    }
    EXPECT_EQ(sdk.closed, (std::vector<int>{105, 106}));
    EXPECT_TRUE(observer.lines.empty());
    EXPECT_EQ(logins.table.Handle(first.mac), 5); // no report, no login ended
}

} // namespace
