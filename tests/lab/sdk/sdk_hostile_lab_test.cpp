// The client against devices that misbehave on purpose, and the device
// against a client that replays what it recorded: a device of the first
// protocol version, replies of the wrong type, short configuration blocks,
// pictures that are not pictures, over-long user names, and a recorded
// login and request sent again on a new connection.
#include "lang/tool_language.h"
#include "sdk/wire_frame.h"
#include "sdk/wire_messages.h"
#include "sim_fixture.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <thread>

using namespace simlab;
using sdkwire::Bytes;

namespace {

class CountingSink : public SdkFrameSink {
public:
    void OnFrame(const uint8_t* jpeg, std::size_t size, int, int) override {
        if (size < 2 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) {
            ++m_notPictures;
        }
        ++m_frames;
    }
    std::atomic<int> m_frames{0};
    std::atomic<int> m_notPictures{0};
};

// Reads what arrives within the time, for the replay below.
Bytes ReadFor(sdknet::TcpLink& link, int ms) {
    Bytes all;
    uint8_t buffer[4096];
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        const int count = link.Receive(buffer, 50);
        if (count < 0) {
            break;
        }
        all.insert(all.end(), buffer, buffer + count);
    }
    return all;
}

// A device that reads the HELLO, answers with the given CHALLENGE payload in
// a header of headerVersion, and waits for what the client sends next. The
// client's SDK_Login error is returned; sentMore tells whether anything
// (a LOGIN) followed the CHALLENGE.
int AnswerHelloWith(const Bytes& payload, uint8_t headerVersion, bool& sentMore) {
    const auto settings = NewSettings();
    auto listener = sdknet::TcpListener::Listen(settings.ip, settings.tcpPort);
    EXPECT_TRUE(listener);
    if (!listener) {
        return -1;
    }
    std::thread device([&] {
        auto link = listener->Accept(5000);
        ASSERT_TRUE(link);
        ReadFor(*link, 200); // the HELLO
        Bytes frame = {'C', 'V', 'D', 'P', headerVersion, 0, 0x02, 0x00, 0, 0, 0, 0};
        const auto length = static_cast<uint32_t>(payload.size());
        for (int shift = 0; shift < 32; shift += 8) {
            frame.push_back(static_cast<uint8_t>(length >> shift));
        }
        frame.insert(frame.end(), payload.begin(), payload.end());
        link->SendAll(frame);
        sentMore = !ReadFor(*link, 300).empty();
    });
    int error = 0;
    EXPECT_LE(Login(settings, "admin", "admin123", &error), 0);
    device.join();
    return error;
}

std::string TextOf(int error) {
    std::string text;
    Tool::LoginErrorText(error + 1, text);
    return text;
}

} // namespace

TEST(SdkHostile, ADeviceOfTheFirstVersionIsRefusedWithItsOwnText) {
    // CHALLENGE as the first version wrote it: version 1, nonce only.
    Bytes challenge = {1};
    challenge.resize(17, 0x22);
    bool sentMore = true;
    const int error = AnswerHelloWith(challenge, 1, sentMore);
    EXPECT_FALSE(sentMore); // no LOGIN (and so no proof) for this device
    EXPECT_EQ(error, 13);
    EXPECT_EQ(TextOf(error), "info.login_old_protocol");
    EXPECT_NE(std::string(SdkLastLoginError()).find("only protocol version 1"), std::string::npos)
        << SdkLastLoginError();
}

TEST(SdkHostile, AChallengeOfAVersionTheClientDidNotOfferIsRefusedBeforeLogin) {
    sdkwire::Challenge offer;
    offer.version = 6;
    const Bytes payload = sdkwire::EncodeChallenge(offer);
    // Version 6 in the payload, in a header of version 2 or 6: the client
    // offered 2 to 5, so it sends no proof (none that would count towards
    // the user's lock) and says why.
    for (const uint8_t header : {2, 6}) {
        bool sentMore = true;
        const int error = AnswerHelloWith(payload, header, sentMore);
        EXPECT_FALSE(sentMore) << "header " << int(header);
        EXPECT_EQ(error, 16) << "header " << int(header);
        EXPECT_EQ(TextOf(error), "info.login_protocol_mismatch");
    }
    // Version 2 in the payload, in a header of version 3.
    offer.version = 2;
    bool sentMore = true;
    EXPECT_EQ(AnswerHelloWith(sdkwire::EncodeChallenge(offer), 3, sentMore), 16);
    EXPECT_FALSE(sentMore);
}

TEST(SdkHostile, AKeyCostOutOfRangeIsRefusedWithItsOwnText) {
    sdkwire::Challenge offer;
    for (const uint32_t iterations : {199999u, 2000001u}) {
        offer.iterations = iterations;
        bool sentMore = true;
        const int error = AnswerHelloWith(sdkwire::EncodeChallenge(offer), 2, sentMore);
        EXPECT_FALSE(sentMore);
        EXPECT_EQ(error, 15) << iterations;
        EXPECT_EQ(TextOf(error), "info.login_key_cost");
    }
}

TEST(SdkHostile, LongUserNamesAreRefusedNotCut) {
    const auto settings = NewSettings();
    auto device = StartDevice(settings);
    ASSERT_TRUE(device);
    int error = 0;
    EXPECT_LE(Login(settings, std::string(96, 'a'), "admin123", &error), 0);
    EXPECT_EQ(error, 14);
    EXPECT_EQ(TextOf(error), "info.login_user_too_long");
    EXPECT_NE(std::string(SdkLastLoginError()).find("longer than 95 bytes"), std::string::npos);
    EXPECT_EQ(device->SessionCount(), 0);
}

TEST(SdkHostile, RepliesOfAnotherTypeShortBlocksAndNonPicturesFailTheCall) {
    const auto settings = NewSettings("pw");
    auto device = StartDevice(settings);
    ASSERT_TRUE(device);
    int error = 0;

    // A REBOOT answered with a user table reply under the same id.
    devsim::SimSdkFaults faults;
    faults.wrongReplyType = sdkwire::kGetUsers;
    device->SetFaults(faults);
    int handle = Login(settings, "admin", "pw", &error);
    ASSERT_GT(handle, 0);
    EXPECT_NE(SDK_Reboot(handle), 1);
    SDK_Logout(handle);
    ASSERT_TRUE(WaitFor([&] { return device->Online() && device->SessionCount() == 0; }));

    // Blocks 81 and 155 served with 8 bytes: refused, nothing to write back.
    faults = {};
    faults.shortBlocks = 8;
    device->SetFaults(faults);
    handle = Login(settings, "admin", "pw", &error);
    ASSERT_GT(handle, 0);
    Bytes block(772, 0xEE);
    int length = -1;
    EXPECT_EQ(SDK_GetConfig(handle, 81, -1, block.data(), 772, &length, -1, 0, 0), 0);
    EXPECT_EQ(SDK_GetConfig(handle, 155, -1, block.data(), 260, &length, -1, 0, 0), 0);
    EXPECT_EQ(block, Bytes(772, 0xEE));

    // Preview pictures that do not start like a JPEG picture never reach the sink.
    faults = {};
    faults.badPictures = true;
    device->SetFaults(faults);
    CountingSink sink;
    const uint64_t sentBefore = device->PreviewPicturesSent();
    const int preview = SDK_StartPreview(handle, 0, &sink, 3, 0);
    ASSERT_GT(preview, 0);
    ASSERT_TRUE(WaitFor([&] { return device->PreviewPicturesSent() >= sentBefore + 5; }));
    // Then good pictures on the same ordered stream: once one arrives, every
    // bad one before it has been handled (and must have been dropped).
    device->SetFaults({});
    ASSERT_TRUE(WaitFor([&] { return sink.m_frames > 0; }));
    SDK_StopPreview(preview);
    EXPECT_EQ(sink.m_notPictures, 0);
    SDK_Logout(handle);
}

TEST(SdkHostile, RecordedFramesReplayedIntoANewSessionAreRefused) {
    const auto settings = NewSettings("pw");
    auto device = StartDevice(settings);
    ASSERT_TRUE(device);
    // A man in the middle records a whole session of the client: HELLO,
    // LOGIN and a sealed REBOOT request (the relay forwards both ways).
    auto relayListener =
        sdknet::TcpListener::Listen(settings.ip, static_cast<uint16_t>(settings.tcpPort + 1));
    ASSERT_TRUE(relayListener);
    Bytes recorded;
    std::mutex recordedMutex;
    std::atomic<bool> relayDone{false};
    std::thread relay([&] {
        auto fromClient = relayListener->Accept(5000);
        auto toDevice = sdknet::TcpLink::Connect(settings.ip, settings.tcpPort, 1000);
        if (!fromClient || !toDevice) {
            return;
        }
        uint8_t buffer[65536];
        while (!relayDone) {
            const int up = fromClient->Receive(buffer, 20);
            if (up > 0) {
                std::lock_guard lock(recordedMutex);
                recorded.insert(recorded.end(), buffer, buffer + up);
                toDevice->SendAll(std::span(buffer, static_cast<std::size_t>(up)));
            }
            const int down = toDevice->Receive(buffer, 20);
            if (down > 0) {
                fromClient->SendAll(std::span(buffer, static_cast<std::size_t>(down)));
            }
            if (up < 0 || down < 0) {
                break;
            }
        }
    });
    int error = 0;
    const int handle = Login(settings, "admin", "pw", &error, static_cast<uint16_t>(settings.tcpPort + 1));
    ASSERT_GT(handle, 0);
    char version[64] = {};
    int length = 0;
    EXPECT_EQ(SDK_QueryDeviceInfo(handle, 50, version, sizeof version, &length, 0), 1);
    SDK_Logout(handle);
    relayDone = true;
    relay.join();
    ASSERT_TRUE(WaitFor([&] { return device->SessionCount() == 0; }));

    // Every recorded byte sent again on a new connection: the device's
    // new nonce makes the recorded proof wrong; no request is answered.
    auto replay = sdknet::TcpLink::Connect(settings.ip, settings.tcpPort, 1000);
    ASSERT_TRUE(replay);
    {
        std::lock_guard lock(recordedMutex);
        ASSERT_GT(recorded.size(), 100u);
        replay->SendAll(recorded);
    }
    const Bytes answer = ReadFor(*replay, 1500);
    sdkwire::FrameCodec codec(sdkwire::Role::Client);
    codec.Feed(answer);
    sdkwire::Frame frame;
    ASSERT_EQ(codec.Next(frame), sdkwire::FrameCodec::Status::HaveFrame);
    EXPECT_EQ(frame.type, sdkwire::kChallenge);
    ASSERT_EQ(codec.Next(frame), sdkwire::FrameCodec::Status::HaveFrame);
    ASSERT_EQ(frame.type, sdkwire::kLoginResult);
    const auto result = sdkwire::DecodeLoginResult(frame.payload);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->code, sdkwire::kLoginWrongPassword);
    EXPECT_NE(codec.Next(frame), sdkwire::FrameCodec::Status::HaveFrame); // and nothing after it
    EXPECT_EQ(device->SessionCount(), 0);
}
