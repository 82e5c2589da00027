// The simulator's answers to what docs/device-protocol.md settles beyond the
// handshake: malformed requests, MODIFY_USER's operation, the order of
// SET_CONFIG's refusals, an import image over the limit, stream ids, the
// login codes that count towards the lock, and connections still in their
// handshake.
#include "sdk/byte_codec.h"
#include "sdk/client_session.h"
#include "sdk/sdk_layout.h"
#include "sdk/wire_messages.h"
#include "sim_fixture.h"

#include <gtest/gtest.h>

using namespace simlab;
using sdkwire::Bytes;
using sdkwire::ByteWriter;

namespace {

std::shared_ptr<sdkclient::ClientSession> Open(const devsim::SimSdkSettings& settings) {
    sdkclient::LoginParameters parameters;
    parameters.ip = settings.ip;
    parameters.port = settings.tcpPort;
    parameters.user = "admin";
    parameters.password = "pw";
    sdkclient::LoginOutcome outcome;
    return sdkclient::ClientSession::Login(parameters, sdkclient::Timeouts{}, outcome);
}

int ResultOf(sdkclient::ClientSession& session, uint16_t type, const Bytes& body) {
    const auto reply = session.Call(type, body);
    return reply ? reply->result : 99;
}

Bytes U32s(std::initializer_list<uint32_t> values) {
    ByteWriter out;
    for (const uint32_t value : values) {
        out.U32(value);
    }
    return out.Take();
}

} // namespace

TEST(SdkSettled, MalformedRequestsAndTheOrderOfRefusals) {
    auto settings = NewSettings("pw");
    auto device = StartDevice(settings);
    ASSERT_TRUE(device);
    auto session = Open(settings);
    ASSERT_TRUE(session);
    using namespace sdkwire;
    // Trailing bytes after the fields (or after no fields): -4.
    EXPECT_EQ(ResultOf(*session, kKeepAlive, U32s({7})), kResultBadArgument);
    EXPECT_EQ(ResultOf(*session, kReboot, U32s({7})), kResultBadArgument);
    EXPECT_EQ(ResultOf(*session, kRestoreDefault, U32s({0x80000000u, 7})), kResultBadArgument);
    EXPECT_EQ(ResultOf(*session, kExportConfig, U32s({7})), kResultBadArgument);
    EXPECT_EQ(ResultOf(*session, kGetConfig, U32s({81, 0})), kResultBadArgument);
    EXPECT_EQ(ResultOf(*session, kQueryInfo, {}), kResultBadArgument); // too short
    // MODIFY_USER with another operation than 6: -4, whatever the records.
    ByteWriter modify;
    modify.U32(5);
    modify.Blob(Bytes(sdklayout::kUserRecordSize, 0));
    modify.Blob(Bytes(sdklayout::kUserRecordSize, 0));
    EXPECT_EQ(ResultOf(*session, kModifyUser, modify.Data()), kResultBadArgument);
    // SET_CONFIG: an unknown command -3, a known one of the wrong size -4.
    ByteWriter unknown;
    unknown.U32(99);
    unknown.Blob(Bytes(8, 0));
    EXPECT_EQ(ResultOf(*session, kSetConfig, unknown.Data()), kResultUnknown);
    ByteWriter shortBlock;
    shortBlock.U32(81);
    shortBlock.Blob(Bytes(8, 0));
    EXPECT_EQ(ResultOf(*session, kSetConfig, shortBlock.Data()), kResultBadArgument);
    // An import image over 65,536 bytes: -4, nothing applied.
    ByteWriter big;
    big.Blob(Bytes(65537, 0));
    EXPECT_EQ(ResultOf(*session, kImportConfig, big.Data()), kResultBadArgument);
    // Stream ids count from 1 in each session and are never reused.
    for (const uint32_t expected : {1u, 2u}) {
        const auto reply = session->Call(kPreviewStart, U32s({3}));
        ASSERT_TRUE(reply);
        sdkwire::ByteReader in(reply->body);
        EXPECT_EQ(in.U32(), expected);
        EXPECT_EQ(ResultOf(*session, kPreviewStop, U32s({expected})), kResultDone);
    }
    EXPECT_EQ(ResultOf(*session, kPreviewStop, U32s({1})), kResultBadArgument);
    // Writes refused: 0 comes before the command's own checks.
    devsim::SimSdkFaults refuse;
    refuse.refuseConfigWrites = true;
    device->SetFaults(refuse);
    EXPECT_EQ(ResultOf(*session, kSetConfig, unknown.Data()), kResultRefused);
    session->Close(true);
}

TEST(SdkSettled, OnlyWrongProofsCountAndAFullDeviceResetsTheCount) {
    auto settings = NewSettings("pw");
    settings.maxSessions = 1;
    auto device = StartDevice(settings);
    ASSERT_TRUE(device);
    // A connection still in its handshake is no session: the one login
    // the device allows still succeeds.
    auto silent = sdknet::TcpLink::Connect(settings.ip, settings.tcpPort, 3000);
    ASSERT_TRUE(silent);
    int error = 0;
    const int first = Login(settings, "admin", "pw", &error);
    ASSERT_GT(first, 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_LE(Login(settings, "admin", "wrong", &error), 0);
        EXPECT_EQ(error, 1);
    }
    // The right password while the device is full: code 12, and the count
    // of failures starts again.
    EXPECT_LE(Login(settings, "admin", "pw", &error), 0);
    EXPECT_EQ(error, 12);
    for (int i = 0; i < 4; ++i) {
        EXPECT_LE(Login(settings, "admin", "wrong", &error), 0);
        EXPECT_EQ(error, 1);
    }
    SDK_Logout(first);
    ASSERT_TRUE(WaitFor([&] { return device->SessionCount() == 0; }));
    const int again = Login(settings, "admin", "pw", &error);
    EXPECT_GT(again, 0) << error; // not locked: four failures in a row at most
    SDK_Logout(again);
}
