// Round trips of the device protocol across both roles: what the client
// encodes the device decodes and back, in clear and sealed, and the ways a
// frame stream is refused.
#include "allocation_probe.h"
#include "sdk/wire_frame.h"
#include "sdk/wire_messages.h"

#include <gtest/gtest.h>

using namespace sdkwire;

namespace {

// The codec does not judge the cost; a small one keeps these tests fast.
constexpr uint32_t kFastIterations = 1000;

std::span<const uint8_t> AsSpan(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

Bytes Wire(FrameCodec& from, uint16_t type, const Bytes& payload) {
    const auto wire = from.Encode(type, payload);
    EXPECT_TRUE(wire);
    return wire.value_or(Bytes{});
}

Frame Pass(FrameCodec& from, FrameCodec& to, uint16_t type, const Bytes& payload) {
    const Bytes wire = Wire(from, type, payload);
    to.Feed(wire);
    Frame frame;
    EXPECT_EQ(to.Next(frame), FrameCodec::Status::HaveFrame);
    return frame;
}

struct Pair {
    FrameCodec client{Role::Client};
    FrameCodec device{Role::Device};
};

// Runs the handshake messages through both codecs and starts encryption
// with the key each side derives on its own.
void Handshake(Pair& pair, const std::string& clientPassword, const std::string& devicePassword) {
    Hello hello;
    hello.clientNonce.fill(0x11);
    hello.customer = "ACME";
    auto frame = Pass(pair.client, pair.device, kHello, EncodeHello(hello));
    const auto gotHello = DecodeHello(frame.payload);
    ASSERT_TRUE(gotHello);
    EXPECT_EQ(gotHello->customer, "ACME");
    pair.device.SetVersion(kProtocolVersion);

    Challenge challenge;
    challenge.deviceNonce.fill(0x22);
    challenge.salt.fill(0x33);
    challenge.iterations = kFastIterations;
    frame = Pass(pair.device, pair.client, kChallenge, EncodeChallenge(challenge));
    const auto gotChallenge = DecodeChallenge(frame.payload);
    ASSERT_TRUE(gotChallenge);
    pair.client.SetVersion(kProtocolVersion);

    Transcript transcript{hello.minVersion,
                          hello.maxVersion,
                          2,
                          hello.clientNonce,
                          gotChallenge->deviceNonce,
                          gotChallenge->salt,
                          gotChallenge->iterations,
                          hello.customer,
                          "admin"};
    const Digest clientHash = TranscriptHash(transcript);
    const Digest clientKey = UserKey("admin", clientPassword, gotChallenge->salt, gotChallenge->iterations);
    LoginRequest login{"admin", ClientProof(clientKey, clientHash)};
    frame = Pass(pair.client, pair.device, kLogin, EncodeLogin(login));
    const auto gotLogin = DecodeLogin(frame.payload);
    ASSERT_TRUE(gotLogin);
    const Digest deviceKey = UserKey(gotLogin->user, devicePassword, challenge.salt, challenge.iterations);
    const Digest deviceHash = TranscriptHash({gotHello->minVersion, gotHello->maxVersion, 2,
                                              gotHello->clientNonce, challenge.deviceNonce, challenge.salt,
                                              challenge.iterations, gotHello->customer, gotLogin->user});
    const bool accepted = SameDigest(gotLogin->proof, ClientProof(deviceKey, deviceHash));
    EXPECT_EQ(accepted, clientPassword == devicePassword);
    pair.client.StartEncryption(SessionKey(clientKey, transcript, clientHash));
    pair.device.StartEncryption(SessionKey(deviceKey, transcript, deviceHash));
}

} // namespace

TEST(WireCodec, HandshakeThenSealedRequestsAndRepliesRoundTrip) {
    Pair pair;
    Handshake(pair, "secret", "secret");
    for (uint32_t id = 1; id <= 3; ++id) {
        ByteWriter body;
        body.U32(81);
        auto frame = Pass(pair.client, pair.device, kGetConfig, EncodeRequest(id, body.Data()));
        EXPECT_EQ(frame.type, kGetConfig);
        const auto request = DecodeRequest(frame.payload);
        ASSERT_TRUE(request);
        EXPECT_EQ(request->requestId, id);

        ByteWriter answer;
        answer.Blob(Bytes(772, static_cast<uint8_t>(id)));
        frame = Pass(pair.device, pair.client, kGetConfig | kReplyBit,
                     EncodeReply(id, kResultDone, answer.Data()));
        const auto reply = DecodeReply(frame.payload);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->requestId, id);
        EXPECT_EQ(reply->result, kResultDone);
        ByteReader in(reply->body);
        EXPECT_EQ(in.Blob(1000), Bytes(772, static_cast<uint8_t>(id)));
    }
}

TEST(WireCodec, SealedPayloadDoesNotContainThePlaintext) {
    Pair pair;
    Handshake(pair, "pw", "pw");
    const std::string secret = "very-secret-configuration-bytes";
    const Bytes wire = Wire(pair.client, kSetConfig, Bytes(secret.begin(), secret.end()));
    const std::string onWire(wire.begin(), wire.end());
    EXPECT_EQ(onWire.find(secret), std::string::npos);
    EXPECT_EQ(wire.size(), kHeaderSize + secret.size() + kTagSize);
}

TEST(WireCodec, DifferentPasswordsGiveKeysThatCannotOpenFrames) {
    Pair pair;
    Handshake(pair, "right", "wrong");
    pair.device.Feed(Wire(pair.client, kKeepAlive, EncodeRequest(1, {})));
    Frame frame;
    EXPECT_EQ(pair.device.Next(frame), FrameCodec::Status::Failed);
}

TEST(WireCodec, TamperedReplayedOrClearFramesAfterLoginAreRefused) {
    {
        Pair pair;
        Handshake(pair, "pw", "pw");
        Bytes wire = Wire(pair.client, kReboot, EncodeRequest(7, {}));
        wire.back() ^= 0x01; // one flipped tag bit
        pair.device.Feed(wire);
        Frame frame;
        EXPECT_EQ(pair.device.Next(frame), FrameCodec::Status::Failed);
    }
    {
        Pair pair;
        Handshake(pair, "pw", "pw");
        const Bytes wire = Wire(pair.client, kReboot, EncodeRequest(7, {}));
        pair.device.Feed(wire);
        pair.device.Feed(wire); // the same frame again: its number is stale
        Frame frame;
        EXPECT_EQ(pair.device.Next(frame), FrameCodec::Status::HaveFrame);
        EXPECT_EQ(pair.device.Next(frame), FrameCodec::Status::Failed);
    }
    {
        Pair pair;
        Handshake(pair, "pw", "pw");
        FrameCodec plain(Role::Client);
        // Forge a clear frame with the right number (4 frames came before).
        for (int i = 0; i < 2; ++i) {
            Wire(plain, kHello, {});
        }
        pair.device.Feed(Wire(plain, kReboot, EncodeRequest(1, {})));
        Frame frame;
        EXPECT_EQ(pair.device.Next(frame), FrameCodec::Status::Failed);
    }
}

TEST(WireCodec, FramesSplitAtEveryByteStillAssemble) {
    FrameCodec client(Role::Client);
    FrameCodec device(Role::Device);
    Hello hello;
    hello.customer = "X";
    const Bytes wire = Wire(client, kHello, EncodeHello(hello));
    Frame frame;
    for (std::size_t i = 0; i + 1 < wire.size(); ++i) {
        device.Feed(std::span(&wire[i], 1));
        ASSERT_EQ(device.Next(frame), FrameCodec::Status::NeedMore) << i;
    }
    device.Feed(std::span(&wire.back(), 1));
    EXPECT_EQ(device.Next(frame), FrameCodec::Status::HaveFrame);
    EXPECT_TRUE(DecodeHello(frame.payload));
}

TEST(WireCodec, ModifyUserOfVersionThreeCarriesAProofAndAKeyNeverAPassword) {
    const Salt salt{};
    const Digest transcriptHash = Sha256(AsSpan("handshake"));
    ModifyUserKey change;
    change.user = "admin";
    const Digest oldKey = UserKey("admin", "Old-Pass-1", salt, kFastIterations);
    change.newKey = UserKey("admin", "New-Pass-2", salt, kFastIterations);
    change.oldProof = ModifyProof(oldKey, transcriptHash, "admin", change.newKey);
    const Bytes body = EncodeModifyUserKey(change);
    EXPECT_EQ(body.size(), 4u + 2 + 5 + 32 + 32);
    const std::string text(body.begin(), body.end());
    EXPECT_EQ(text.find("Pass"), std::string::npos);
    const auto back = DecodeModifyUserKey(body);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->operation, 6u);
    EXPECT_EQ(back->user, "admin");
    EXPECT_EQ(back->newKey, change.newKey);
    // The proof binds the session, the user and the new key.
    EXPECT_TRUE(SameDigest(back->oldProof, ModifyProof(oldKey, transcriptHash, "admin", back->newKey)));
    EXPECT_FALSE(
        SameDigest(back->oldProof, ModifyProof(oldKey, Sha256(AsSpan("other")), "admin", back->newKey)));
    EXPECT_FALSE(SameDigest(back->oldProof, ModifyProof(oldKey, transcriptHash, "admin", oldKey)));
    // Short, trailing bytes, a name over 95 bytes: refused.
    EXPECT_FALSE(DecodeModifyUserKey(std::span(body).first(body.size() - 1)));
    Bytes longer = body;
    longer.push_back(0);
    EXPECT_FALSE(DecodeModifyUserKey(longer));
    change.user = std::string(96, 'u');
    EXPECT_FALSE(DecodeModifyUserKey(EncodeModifyUserKey(change)));
}

TEST(WireCodec, AWipedCodecNeitherSendsNorReads) {
    FrameCodec client(Role::Client);
    FrameCodec device(Role::Device);
    const Bytes wire = Wire(client, kHello, EncodeHello(Hello{}));
    device.Feed(std::span(wire.data(), 5)); // part of a frame is buffered
    device.WipeKey();
    device.Feed(std::span(wire.data() + 5, wire.size() - 5));
    Frame frame;
    EXPECT_EQ(device.Next(frame), FrameCodec::Status::Failed);
    EXPECT_TRUE(device.Failed());
    EXPECT_EQ(device.BufferedBytes(), 0u);
    EXPECT_FALSE(device.Encode(kChallenge, EncodeChallenge(Challenge{})));
}

TEST(WireCodec, OversizeTruncatedAndGarbageFramesAreRefusedWithoutReservingTheirSize) {
    FrameHeader huge;
    huge.type = kHello;
    huge.length = 0xFFFFFFF0u;
    allocprobe::Reset();
    FrameCodec device(Role::Device);
    const auto header = EncodeHeader(huge);
    device.Feed(header);
    Frame frame;
    EXPECT_EQ(device.Next(frame), FrameCodec::Status::Failed);
    EXPECT_LT(allocprobe::Largest(), 4096u);

    // The largest allowed length, but only a few bytes of it arrive.
    FrameHeader big;
    big.type = kHello;
    big.length = kMaxPayload;
    FrameCodec truncated(Role::Device);
    allocprobe::Reset();
    truncated.Feed(EncodeHeader(big));
    truncated.Feed(Bytes(100, 0));
    EXPECT_EQ(truncated.Next(frame), FrameCodec::Status::NeedMore);
    EXPECT_LT(allocprobe::Largest(), 4096u);

    FrameCodec garbage(Role::Client);
    const std::string text = "GET / HTTP/1.1\r\n\r\n";
    garbage.Feed(Bytes(text.begin(), text.end()));
    EXPECT_EQ(garbage.Next(frame), FrameCodec::Status::Failed);

    FrameCodec partialGarbage(Role::Client);
    partialGarbage.Feed(Bytes{'C', 'V', 'X'});
    EXPECT_EQ(partialGarbage.Next(frame), FrameCodec::Status::Failed);
}

TEST(WireCodec, PayloadDecodersRefuseShortLongAndOversizeFields) {
    Hello hello;
    hello.customer = "customer";
    Bytes payload = EncodeHello(hello);
    EXPECT_TRUE(DecodeHello(payload));
    payload.push_back(0);
    EXPECT_FALSE(DecodeHello(payload)); // trailing byte
    payload.resize(10);
    EXPECT_FALSE(DecodeHello(payload)); // cut short

    // A preview frame whose blob claims 4 GiB.
    ByteWriter forged;
    forged.U32(1);
    forged.U16(640);
    forged.U16(480);
    forged.U32(0);
    forged.U32(0xFFFFFFFFu);
    allocprobe::Reset();
    EXPECT_FALSE(DecodePreviewFrame(forged.Data()));
    EXPECT_LT(allocprobe::Largest(), 4096u);

    PreviewFrame frame;
    frame.streamId = 9;
    frame.width = 352;
    frame.height = 288;
    frame.jpeg = Bytes{0xFF, 0xD8, 0xFF, 0xD9};
    const auto back = DecodePreviewFrame(EncodePreviewFrame(frame));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->jpeg, frame.jpeg);
    EXPECT_EQ(back->width, 352);

    const auto progress = DecodeUpgradeProgress(EncodeUpgradeProgress({-1, 40}));
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->total, -1);
    EXPECT_EQ(progress->value, 40);
    EXPECT_FALSE(DecodeReply(Bytes{1, 2, 3}));
    EXPECT_FALSE(DecodeLoginResult(Bytes(10, 0)));
}
