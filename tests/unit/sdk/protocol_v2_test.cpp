// Version 2 of the device protocol against bytes written out by hand from
// docs/device-protocol.md (not from the codec's own constants), what a
// recorded handshake gives an eavesdropper, and the ends of a session.
#include "sdk/wire_frame.h"
#include "sdk/wire_messages.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>

using namespace sdkwire;

namespace {

Bytes Repeat(uint8_t value, std::size_t count) {
    return Bytes(count, value);
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

Bytes Ascii(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// AES-256-GCM straight from OpenSSL, with the nonce laid out as the
// document says: direction "C2D\0", then seq as a little-endian u64.
Bytes SealByHand(const Bytes& key, const Bytes& header, const Bytes& plain, uint32_t seq) {
    const Bytes nonce = Join({Ascii("C2D"), {0}, {static_cast<uint8_t>(seq), 0, 0, 0, 0, 0, 0, 0}});
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    Bytes out(plain.size() + 16);
    int length = 0;
    EVP_EncryptInit_ex(ctx, EVP_aes_256_gcm(), nullptr, key.data(), nonce.data());
    EVP_EncryptUpdate(ctx, nullptr, &length, header.data(), static_cast<int>(header.size()));
    EVP_EncryptUpdate(ctx, out.data(), &length, plain.data(), static_cast<int>(plain.size()));
    EVP_EncryptFinal_ex(ctx, out.data() + length, &length);
    EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_GET_TAG, 16, out.data() + plain.size());
    EVP_CIPHER_CTX_free(ctx);
    return out;
}

Bytes Received(FrameCodec& codec, const Bytes& wire) {
    codec.Feed(wire);
    Frame frame;
    EXPECT_EQ(codec.Next(frame), FrameCodec::Status::HaveFrame);
    return frame.payload;
}

} // namespace

TEST(ProtocolV2, HelloChallengeAndASealedRequestAreExactlyTheDocumentedBytes) {
    // HELLO: header (magic, version 2, flags 0, type 1, seq 0, length 24),
    // min 2, max 5, the client nonce, text "ACME".
    const Bytes hello = Join({Ascii("CVDP"),
                              {2, 0, 0x01, 0x00, 0, 0, 0, 0, 24, 0, 0, 0},
                              {2, 5},
                              Repeat(0x11, 16),
                              {4, 0},
                              Ascii("ACME")});
    FrameCodec client(Role::Client);
    Hello message;
    message.clientNonce.fill(0x11);
    message.customer = "ACME";
    EXPECT_EQ(client.Encode(kHello, EncodeHello(message)), hello);
    FrameCodec device(Role::Device);
    const auto gotHello = DecodeHello(Received(device, hello));
    ASSERT_TRUE(gotHello);
    EXPECT_EQ(gotHello->customer, "ACME");

    // CHALLENGE: type 2, length 37: version 2, device nonce, salt, u32
    // iterations 200000 = 0x00030D40.
    const Bytes challenge = Join({Ascii("CVDP"),
                                  {2, 0, 0x02, 0x00, 0, 0, 0, 0, 37, 0, 0, 0},
                                  {2},
                                  Repeat(0x22, 16),
                                  Repeat(0x33, 16),
                                  {0x40, 0x0D, 0x03, 0x00}});
    device.SetVersion(2);
    Challenge offer;
    offer.deviceNonce.fill(0x22);
    offer.salt.fill(0x33);
    offer.iterations = 200000;
    EXPECT_EQ(device.Encode(kChallenge, EncodeChallenge(offer)), challenge);
    const auto gotChallenge = DecodeChallenge(Received(client, challenge));
    ASSERT_TRUE(gotChallenge);
    EXPECT_EQ(gotChallenge->iterations, 200000u);
    EXPECT_EQ(gotChallenge->salt[15], 0x33);

    // The client's third frame (seq 2), KEEPALIVE with request id 5, sealed
    // under the key 00 01 .. 1F: flags 1, length 4 + 16.
    Bytes key(32);
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<uint8_t>(i);
    }
    const Bytes header = Join({Ascii("CVDP"), {2, 1, 0x11, 0x00, 2, 0, 0, 0, 20, 0, 0, 0}});
    const Bytes sealed = Join({header, SealByHand(key, header, {5, 0, 0, 0}, 2)});
    Digest sessionKey{};
    std::copy(key.begin(), key.end(), sessionKey.begin());
    FrameCodec sender(Role::Client);
    sender.SetVersion(2);
    sender.StartEncryption(sessionKey);
    sender.StartSequencesAtForTest(2, 0);
    EXPECT_EQ(sender.Encode(kKeepAlive, EncodeRequest(5, {})), sealed);
    FrameCodec receiver(Role::Device);
    receiver.SetVersion(2);
    receiver.StartEncryption(sessionKey);
    receiver.StartSequencesAtForTest(0, 2);
    EXPECT_EQ(Received(receiver, sealed), (Bytes{5, 0, 0, 0}));
}

TEST(ProtocolV2, TheUserKeyIsPbkdf2HmacSha256ForPasswordsOfAnyLength) {
    Salt salt{};
    salt.fill(0x3C);
    // Up to the hash's block of 64 bytes the password is the HMAC key, above
    // it its digest; empty passwords and names exist too.
    for (const std::string& password : {std::string(), std::string("pw"), std::string(64, 'x'),
                                        std::string(65, 'x'), std::string(200, 'y')}) {
        for (const uint32_t iterations : {1u, 2u, 1000u}) {
            const Bytes fullSalt = Join({Bytes(salt.begin(), salt.end()), Ascii("admin")});
            Digest expected{};
            PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), fullSalt.data(),
                              static_cast<int>(fullSalt.size()), static_cast<int>(iterations), EVP_sha256(),
                              32, expected.data());
            EXPECT_EQ(UserKey("admin", password, salt, iterations), expected)
                << password.size() << " bytes, " << iterations << " iterations";
        }
    }
}

TEST(ProtocolV2, ARecordedHandshakeCostsOnePbkdf2PerGuessAndBindsItsTranscript) {
    // A login recorded off the wire, made by the codec and the client's
    // key derivation with the default cost.
    Hello hello;
    hello.maxVersion = 2;
    hello.clientNonce.fill(0x5A);
    hello.customer = "C0001";
    Challenge offer;
    offer.deviceNonce.fill(0xA5);
    offer.salt.fill(0x3C);
    offer.iterations = kDefaultKeyIterations;
    const Transcript transcript{
        2,          2, 2, hello.clientNonce, offer.deviceNonce, offer.salt, offer.iterations, hello.customer,
        "installer"};
    const Digest key = UserKey("installer", "Correct-Horse-9", offer.salt, offer.iterations);
    FrameCodec client(Role::Client);
    FrameCodec device(Role::Device);
    const Bytes helloWire = *client.Encode(kHello, EncodeHello(hello));
    const Bytes challengeWire = *device.Encode(kChallenge, EncodeChallenge(offer));
    const Bytes loginWire =
        *client.Encode(kLogin, EncodeLogin({"installer", ClientProof(key, TranscriptHash(transcript))}));

    // The eavesdropper's side, by the document's offsets and formulas only.
    const uint8_t* helloBody = helloWire.data() + 16;
    const uint8_t* challengeBody = challengeWire.data() + 16;
    const std::size_t customerLength = helloBody[18] | (helloBody[19] << 8);
    const std::size_t userLength = loginWire[16] | (loginWire[17] << 8);
    const Bytes user(loginWire.begin() + 18,
                     loginWire.begin() + 18 + static_cast<std::ptrdiff_t>(userLength));
    const Bytes proof(loginWire.begin() + 18 + static_cast<std::ptrdiff_t>(userLength), loginWire.end());
    const uint32_t iterations = challengeBody[33] | (challengeBody[34] << 8) | (challengeBody[35] << 16) |
                                (static_cast<uint32_t>(challengeBody[36]) << 24);
    ASSERT_EQ(iterations, kDefaultKeyIterations);
    const auto guess = [&](const std::string& password) {
        const Bytes salt = Join({Bytes(challengeBody + 17, challengeBody + 33), user});
        uint8_t k[32];
        PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                          static_cast<int>(salt.size()), static_cast<int>(iterations), EVP_sha256(), 32, k);
        const Bytes message = Join({Ascii("CVDP-v2-transcript"),
                                    {helloBody[0], helloBody[1], challengeBody[0]},
                                    Bytes(helloBody + 2, helloBody + 18),
                                    Bytes(challengeBody + 1, challengeBody + 17),
                                    Bytes(challengeBody + 17, challengeBody + 37),
                                    Bytes(helloBody + 18, helloBody + 20 + customerLength),
                                    Bytes(loginWire.begin() + 16,
                                          loginWire.begin() + 18 + static_cast<std::ptrdiff_t>(userLength))});
        uint8_t t[32];
        SHA256(message.data(), message.size(), t);
        const Bytes labelled = Join({Ascii("client"), Bytes(t, t + 32)});
        uint8_t mac[32];
        unsigned int macLength = 0;
        HMAC(EVP_sha256(), k, 32, labelled.data(), labelled.size(), mac, &macLength);
        return Bytes(mac, mac + 32) == proof;
    };
    EXPECT_TRUE(guess("Correct-Horse-9"));
    EXPECT_FALSE(guess("correct-horse-9"));

    // Another customer text or version range gives another proof: the
    // proof does not carry over to a changed handshake.
    Transcript other = transcript;
    other.customer = "C0002";
    EXPECT_NE(ClientProof(key, TranscriptHash(other)), ClientProof(key, TranscriptHash(transcript)));
    other = transcript;
    other.minVersion = 1;
    EXPECT_NE(ClientProof(key, TranscriptHash(other)), ClientProof(key, TranscriptHash(transcript)));
}

TEST(ProtocolV2, EncodeRefusesOversizePayloadsAndASessionEndsBeforeItsNumbersRepeat) {
    Digest key{};
    key.fill(7);
    FrameCodec client(Role::Client);
    client.SetVersion(2);
    client.StartEncryption(key);
    EXPECT_FALSE(client.Encode(kSetConfig, Bytes(kMaxPayload - kTagSize + 1, 0)));
    EXPECT_TRUE(client.Encode(kSetConfig, Bytes(kMaxPayload - kTagSize, 0)));

    client.StartSequencesAtForTest(kLastSeq, 0);
    const auto last = client.Encode(kKeepAlive, EncodeRequest(1, {}));
    ASSERT_TRUE(last);
    EXPECT_EQ(LoadU32(last->data() + 8), kLastSeq);
    EXPECT_FALSE(client.Encode(kKeepAlive, EncodeRequest(2, {}))); // seq 0 again would reuse a nonce

    FrameCodec device(Role::Device);
    device.SetVersion(2);
    device.StartEncryption(key);
    device.StartSequencesAtForTest(0, kLastSeq);
    EXPECT_EQ(Received(device, *last), EncodeRequest(1, {}));

    FrameCodec wiped(Role::Client);
    wiped.StartEncryption(key);
    wiped.WipeKey();
    EXPECT_FALSE(wiped.Encode(kKeepAlive, EncodeRequest(1, {}))); // nothing is sent after the end
}

TEST(ProtocolV2, AfterNegotiationOnlyThatVersionIsTaken) {
    FrameCodec first(Role::Client);
    const Bytes v1Challenge =
        Join({Ascii("CVDP"), {1, 0, 0x02, 0x00, 0, 0, 0, 0, 17, 0, 0, 0}, {1}, Repeat(0, 16)});
    first.Feed(v1Challenge);
    Frame frame;
    ASSERT_EQ(first.Next(frame), FrameCodec::Status::HaveFrame); // read, so the client can say why it refuses
    EXPECT_EQ(frame.version, 1);
    EXPECT_FALSE(DecodeChallenge(frame.payload));

    FrameCodec negotiated(Role::Client);
    negotiated.SetVersion(2);
    negotiated.Feed(v1Challenge);
    EXPECT_EQ(negotiated.Next(frame), FrameCodec::Status::Failed);
}
