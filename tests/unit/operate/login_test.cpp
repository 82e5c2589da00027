// The two login procedures without a device: when they ask, what they ask,
// and what they leave in the record. Logins go to a closed local port.
#include "operate/login.h"
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

} // namespace

TEST(LoginDevice, NoRecordAlreadyLoggedInCancelAndFailure) {
    CountingPrompt prompt;
    int error = 0;
    EXPECT_EQ(LoginDevice(nullptr, prompt, error), -1);

    DeviceEntry entry = Unreachable();
    entry.loggedIn = 1;
    EXPECT_EQ(LoginDevice(&entry, prompt, error), 1);
    EXPECT_EQ(error, -10);
    EXPECT_EQ(prompt.asked, 0);

    entry.loggedIn = 0;
    prompt.answer = false;
    EXPECT_EQ(LoginDevice(&entry, prompt, error), -2);
    EXPECT_EQ(prompt.last.captionKey, "msg.Login");
    EXPECT_TRUE(prompt.last.showAddress);
    EXPECT_EQ(prompt.last.address, "127.0.0.1");
    EXPECT_EQ(prompt.last.user, "admin");

    prompt.answer = true;
    EXPECT_EQ(LoginDevice(&entry, prompt, error), -1);
    EXPECT_EQ(error, 9); // cannot connect
    EXPECT_EQ(entry.loggedIn, 0);
    EXPECT_EQ(entry.loginHandle, 0);
    EXPECT_TRUE(entry.loginUser.empty());
}

TEST(BatchLogin, AsksOncePerBatchAndLeavesFailedRecordsAlone) {
    CountingPrompt prompt;
    BatchCredentials credentials;
    int error = 0;
    int loggedInCalls = 0;
    const auto onLoggedIn = [&](const std::string&) { ++loggedInCalls; };

    DeviceEntry already = Unreachable();
    already.loggedIn = 1;
    EXPECT_EQ(BatchLogin(already, credentials, prompt, onLoggedIn, error), 1);
    EXPECT_EQ(prompt.asked, 0);
    EXPECT_TRUE(credentials.ask); // still to be asked at the next device

    DeviceEntry first = Unreachable();
    DeviceEntry second = Unreachable();
    EXPECT_EQ(BatchLogin(first, credentials, prompt, onLoggedIn, error), -1);
    EXPECT_EQ(BatchLogin(second, credentials, prompt, onLoggedIn, error), -1);
    EXPECT_EQ(prompt.asked, 1);
    EXPECT_EQ(prompt.last.captionKey, "msg.Login_first");
    EXPECT_FALSE(prompt.last.showAddress);
    EXPECT_EQ(credentials.user, "someone");
    EXPECT_EQ(credentials.password, ""); // an empty password is kept as it is
    EXPECT_EQ(first.loginUser, "");
    EXPECT_EQ(loggedInCalls, 0);

    BatchCredentials fresh;
    prompt.answer = false;
    EXPECT_EQ(BatchLogin(first, fresh, prompt, onLoggedIn, error), -2);
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
