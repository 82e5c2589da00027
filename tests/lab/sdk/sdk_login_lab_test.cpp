// Login against simulated devices: every login error the device can give,
// the client's own errors, and the texts they turn into.
#include "lang/tool_language.h"
#include "sim_fixture.h"

#include <gtest/gtest.h>

using namespace simlab;

namespace {

std::string ErrorText(int error) {
    std::string text = "unchanged";
    Tool::LoginErrorText(error + 1, text);
    return text;
}

std::atomic<int> g_connectionFullCalls{0};
void CountConnectionFull(void* context) {
    EXPECT_EQ(context, &g_connectionFullCalls);
    ++g_connectionFullCalls;
}

} // namespace

TEST(SdkLogin, RightPasswordLogsInAndLogsOut) {
    const auto settings = NewSettings("s3cret");
    auto device = StartDevice(settings);
    ASSERT_TRUE(device);
    int error = -99;
    const int handle = Login(settings, "admin", "s3cret", &error);
    EXPECT_GT(handle, 0);
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(WaitFor([&] { return device->SessionCount() == 1; }));
    EXPECT_EQ(SDK_Logout(handle), 1);
    EXPECT_TRUE(WaitFor([&] { return device->SessionCount() == 0; }));
    EXPECT_EQ(SDK_Logout(handle), 0); // a handle ends once
}

TEST(SdkLogin, EachDeviceErrorArrivesWithItsText) {
    auto settings = NewSettings("right");
    settings.maxSessions = 1;
    auto device = StartDevice(settings);
    ASSERT_TRUE(device);
    int error = 0;

    EXPECT_LE(Login(settings, "admin", "wrong", &error), 0);
    EXPECT_EQ(error, 1);
    EXPECT_EQ(ErrorText(error), "info.login_password_err"); // no pack loaded: the key itself

    EXPECT_LE(Login(settings, "nobody", "x", &error), 0);
    EXPECT_EQ(error, 2);
    EXPECT_EQ(ErrorText(error), "info.login_user_no_exist");

    // Connection full: one session allowed, the second is refused and the
    // connection-full callback runs.
    g_connectionFullCalls = 0;
    SDK_ConnectionFullCallBack(CountConnectionFull, &g_connectionFullCalls);
    const int first = Login(settings, "admin", "right", &error);
    ASSERT_GT(first, 0);
    EXPECT_LE(Login(settings, "admin", "right", &error), 0);
    EXPECT_EQ(error, 12);
    EXPECT_EQ(ErrorText(error), "info.Connect_full");
    EXPECT_EQ(g_connectionFullCalls, 1);
    SDK_ConnectionFullCallBack(nullptr, nullptr);
    SDK_Logout(first);

    devsim::SimSdkFaults busy;
    busy.refuseLoginCode = 7;
    device->SetFaults(busy);
    EXPECT_LE(Login(settings, "admin", "right", &error), 0);
    EXPECT_EQ(error, 7);
    EXPECT_EQ(ErrorText(error), "info.login_sys_busy");
}

TEST(SdkLogin, FiveFailuresInARowLockTheUserUntilRestart) {
    const auto settings = NewSettings("right");
    auto device = StartDevice(settings);
    ASSERT_TRUE(device);
    int error = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        EXPECT_LE(Login(settings, "admin", "bad", &error), 0);
        EXPECT_EQ(error, 1);
    }
    // A success in between resets the count.
    const int handle = Login(settings, "admin", "right", &error);
    ASSERT_GT(handle, 0);
    for (int attempt = 0; attempt < 5; ++attempt) {
        EXPECT_LE(Login(settings, "admin", "bad", &error), 0);
        EXPECT_EQ(error, 1);
    }
    EXPECT_LE(Login(settings, "admin", "right", &error), 0);
    EXPECT_EQ(error, 5);
    EXPECT_EQ(ErrorText(error), "info.login_user_lock");
    // Another user is not affected.
    const int other = Login(settings, "operator", "op-pass", &error);
    EXPECT_GT(other, 0);
    // A restart lifts the lock.
    EXPECT_EQ(SDK_Reboot(handle), 1);
    SDK_Logout(handle);
    SDK_Logout(other);
    ASSERT_TRUE(WaitFor([&] { return !device->Online(); }));
    ASSERT_TRUE(WaitFor([&] { return device->Online(); }));
    const int again = Login(settings, "admin", "right", &error);
    EXPECT_GT(again, 0);
    SDK_Logout(again);
}

TEST(SdkLogin, ClientSideErrorsNoDeviceAndSilentDevice) {
    const auto settings = NewSettings();
    int error = 0;
    // Nothing listens there.
    EXPECT_LE(Login(settings, "admin", "x", &error), 0);
    EXPECT_EQ(error, 9);
    EXPECT_EQ(ErrorText(error), "info.login_con_host");

    // Something accepts but never answers: the handshake times out.
    auto silent = sdknet::TcpListener::Listen(settings.ip, settings.tcpPort);
    ASSERT_TRUE(silent);
    SdkSetTimeouts(0, 300, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_LE(Login(settings, "admin", "x", &error), 0);
    EXPECT_EQ(error, 3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    SdkSetTimeouts(0, 5000, 0);
    EXPECT_EQ(ErrorText(error), "info.login_timeout");

    EXPECT_LE(SDK_Login(nullptr, 1, "a", "b", nullptr, &error, 0, 0), 0);
}
