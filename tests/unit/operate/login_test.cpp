// The two login procedures and the login table without a device: when they
// ask, what they ask, what the table keeps, and how logins end.
#include "operate/login.h"
#include "operate/native_link.h"
#include "operate/record_lease.h"

#include <gtest/gtest.h>

namespace {

class CountingPrompt : public ILoginPrompt {
public:
    bool AskCredentials(const LoginPromptRequest& request, std::string& user,
                        std::string& password) override {
        ++asked;
        last = request;
        user = "someone";
        password = "";
        return answer;
    }
    int asked = 0;
    bool answer = true;
    LoginPromptRequest last;
};

DeviceEntry Unreachable() {
    DeviceEntry entry;
    entry.mac = "02-00-00-00-00-01";
    entry.ip = "127.0.0.1";
    entry.tcpPort = 1; // nothing listens there
    return entry;
}

// Logs in with handles 100, 101, ... and notes every logout.
class CountingLink : public NativeLink {
public:
    bool Login(const DeviceEntry&, const std::string& user, const std::string& password, DeviceLogin& login,
               int&) override {
        login.link = this;
        login.handle = next++;
        login.user = user;
        login.password = password;
        return true;
    }
    void Logout(const DeviceLogin& login) override { loggedOut.push_back(login.handle); }
    int next = 100;
    std::vector<int32_t> loggedOut;
};

} // namespace

TEST(LoginDevice, NoRecordAlreadyLoggedInCancelAndFailure) {
    CountingPrompt prompt;
    NativeLink link;
    LoginTable logins;
    int error = 0;
    EXPECT_EQ(LoginDevice(nullptr, link, logins, prompt, error), -1);

    DeviceEntry entry = Unreachable();
    logins.Begin(entry.mac, DeviceLogin{&link, 5, "admin", "pw"});
    EXPECT_EQ(LoginDevice(&entry, link, logins, prompt, error), 1);
    EXPECT_EQ(error, -10);
    EXPECT_EQ(prompt.asked, 0);

    logins.End(entry.mac, false);
    prompt.answer = false;
    EXPECT_EQ(LoginDevice(&entry, link, logins, prompt, error), -2);
    EXPECT_EQ(prompt.last.captionKey, "msg.Login");
    EXPECT_TRUE(prompt.last.showAddress);
    EXPECT_EQ(prompt.last.address, "127.0.0.1");
    EXPECT_EQ(prompt.last.user, "admin");

    prompt.answer = true;
    EXPECT_EQ(LoginDevice(&entry, link, logins, prompt, error), -1);
    EXPECT_EQ(error, 9); // cannot connect
    EXPECT_FALSE(logins.IsLoggedIn(entry.mac));
}

TEST(BatchLogin, AsksOncePerBatchAndLeavesFailedRecordsAlone) {
    CountingPrompt prompt;
    NativeLink link;
    LoginTable logins;
    int changes = 0;
    logins.SetChanged([&](const std::string&, bool) { ++changes; });
    BatchCredentials credentials;
    int error = 0;

    DeviceEntry already = Unreachable();
    already.mac = "02-00-00-00-00-09";
    logins.Begin(already.mac, DeviceLogin{&link, 5, "admin", "pw"});
    EXPECT_EQ(BatchLogin(already, link, logins, credentials, prompt, error), 1);
    EXPECT_EQ(prompt.asked, 0);
    EXPECT_TRUE(credentials.ask); // still to be asked at the next device

    DeviceEntry first = Unreachable();
    DeviceEntry second = Unreachable();
    second.mac = "02-00-00-00-00-02";
    EXPECT_EQ(BatchLogin(first, link, logins, credentials, prompt, error), -1);
    EXPECT_EQ(BatchLogin(second, link, logins, credentials, prompt, error), -1);
    EXPECT_EQ(prompt.asked, 1);
    EXPECT_EQ(prompt.last.captionKey, "msg.Login_first");
    EXPECT_FALSE(prompt.last.showAddress);
    EXPECT_EQ(credentials.user, "someone");
    EXPECT_EQ(credentials.password, ""); // an empty password is kept as it is
    EXPECT_EQ(logins.Count(), 1u);
    EXPECT_EQ(changes, 1); // only the login set up by hand

    BatchCredentials fresh;
    prompt.answer = false;
    EXPECT_EQ(BatchLogin(first, link, logins, fresh, prompt, error), -2);
}

TEST(LoginTable, EndsLoginsThroughTheirLinkInKeyOrderThenTheParkedOnes) {
    CountingLink link;
    LoginTable logins;
    std::vector<std::pair<std::string, bool>> changes;
    logins.SetChanged([&](const std::string& key, bool in) { changes.emplace_back(key, in); });
    CountingPrompt prompt;
    BatchCredentials credentials;
    int error = 0;
    for (const char* mac : {"C", "A", "B", "D"}) {
        DeviceEntry entry = Unreachable();
        entry.mac = mac;
        ASSERT_EQ(BatchLogin(entry, link, logins, credentials, prompt, error), 1);
    }
    EXPECT_EQ(logins.Handle("A"), 101);
    EXPECT_EQ(logins.Find("B")->user, "someone");

    logins.Rekey("C", "E"); // the record learnt its MAC
    EXPECT_EQ(logins.Handle("E"), 100);
    EXPECT_FALSE(logins.IsLoggedIn("C"));
    logins.Rekey("E", "C");
    logins.Park("B");       // the device moved: logged out at the next search
    logins.End("D", false); // the device dropped the session itself
    EXPECT_FALSE(logins.IsLoggedIn("B"));
    EXPECT_EQ(logins.ParkedHandles(), std::vector<int32_t>{102});
    EXPECT_TRUE(link.loggedOut.empty());

    changes.clear();
    logins.EndAll();
    EXPECT_EQ(link.loggedOut, (std::vector<int32_t>{101, 100, 102}));
    EXPECT_EQ(changes, (std::vector<std::pair<std::string, bool>>{{"A", false}, {"C", false}}));
    EXPECT_EQ(logins.Count(), 0u);
    EXPECT_TRUE(logins.ParkedHandles().empty());
}

TEST(RecordLeases, HeldUntilEveryLeaseIsGone) {
    RecordLeases leases;
    EXPECT_FALSE(leases.InUse());
    auto first = leases.Acquire();
    auto second = leases.Acquire();
    EXPECT_TRUE(leases.InUse());
    first.reset();
    EXPECT_TRUE(leases.InUse());
    EXPECT_FALSE(leases.WaitUntilFree(10));
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        second.reset();
    });
    EXPECT_TRUE(leases.WaitUntilFree(5000));
    releaser.join();
    EXPECT_FALSE(leases.InUse());
}
