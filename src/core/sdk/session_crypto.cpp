#include "sdk/session_crypto.h"

#include <memory>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

namespace sdkwire {

namespace {

std::span<const uint8_t> AsBytes(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::array<uint8_t, 12> GcmNonce(Direction direction, uint32_t seq) {
    std::array<uint8_t, 12> nonce{};
    const char* label = direction == Direction::ClientToDevice ? "C2D" : "D2C";
    for (int i = 0; i < 3; ++i) {
        nonce[static_cast<std::size_t>(i)] = static_cast<uint8_t>(label[i]);
    }
    StoreU32(nonce.data() + 4, seq); // the upper half of the u64 stays 0
    return nonce;
}

struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;

} // namespace

bool RandomFill(std::span<uint8_t> out) {
    return RAND_bytes(out.data(), static_cast<int>(out.size())) == 1;
}

Digest Sha256(std::span<const uint8_t> bytes) {
    Digest digest{};
    SHA256(bytes.data(), bytes.size(), digest.data());
    return digest;
}

Digest HmacSha256(std::span<const uint8_t> key, std::span<const uint8_t> message) {
    Digest digest{};
    unsigned int length = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()), message.data(), message.size(),
         digest.data(), &length);
    return digest;
}

void Wipe(void* data, std::size_t size) {
    if (data != nullptr && size > 0) {
        OPENSSL_cleanse(data, size);
    }
}

Digest UserKey(const std::string& user, const std::string& password, const Salt& salt, uint32_t iterations) {
    ByteWriter fullSalt;
    fullSalt.Raw(salt);
    fullSalt.Raw(AsBytes(user));
    Digest key{};
    PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), fullSalt.Data().data(),
                      static_cast<int>(fullSalt.Data().size()), static_cast<int>(iterations), EVP_sha256(),
                      static_cast<int>(key.size()), key.data());
    return key;
}

Digest TranscriptHash(const Transcript& transcript) {
    ByteWriter message;
    message.Raw(AsBytes("CVDP-v2-transcript"));
    message.U8(transcript.minVersion);
    message.U8(transcript.maxVersion);
    message.U8(transcript.version);
    message.Raw(transcript.clientNonce);
    message.Raw(transcript.deviceNonce);
    message.Raw(transcript.salt);
    message.U32(transcript.iterations);
    message.Text(transcript.customer);
    message.Text(transcript.user);
    return Sha256(message.Data());
}

namespace {

Digest LabelledHmac(const Digest& key, std::string_view label, const Digest& transcriptHash) {
    ByteWriter message;
    message.Raw(AsBytes(label));
    message.Raw(transcriptHash);
    return HmacSha256(key, message.Data());
}

} // namespace

Digest ClientProof(const Digest& userKey, const Digest& transcriptHash) {
    return LabelledHmac(userKey, "client", transcriptHash);
}

Digest DeviceProof(const Digest& userKey, const Digest& transcriptHash) {
    return LabelledHmac(userKey, "device", transcriptHash);
}

Digest ModifyProof(const Digest& oldKey, const Digest& transcriptHash, const std::string& user,
                   const Digest& newKey) {
    ByteWriter message;
    message.Raw(AsBytes("modify"));
    message.Raw(transcriptHash);
    message.Text(user);
    message.Raw(newKey);
    return HmacSha256(oldKey, message.Data());
}

Digest SessionKey(const Digest& userKey, const Transcript& transcript, const Digest& transcriptHash) {
    // HKDF (RFC 5869) with one output block: extract, then expand.
    ByteWriter salt;
    salt.Raw(transcript.clientNonce);
    salt.Raw(transcript.deviceNonce);
    Digest prk = HmacSha256(salt.Data(), userKey);
    ByteWriter info;
    info.Raw(AsBytes("CVDP session key v2"));
    info.Raw(transcriptHash);
    info.U8(1);
    const Digest key = HmacSha256(prk, info.Data());
    Wipe(prk.data(), prk.size());
    return key;
}

bool SameDigest(const Digest& a, const Digest& b) {
    return CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::optional<Bytes> SealPayload(const Digest& key, Direction direction, uint32_t seq,
                                 std::span<const uint8_t> header, std::span<const uint8_t> plaintext) {
    const auto nonce = GcmNonce(direction, seq);
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    Bytes sealed(plaintext.size() + kTagSize);
    int length = 0;
    if (!ctx || EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, key.data(), nonce.data()) != 1 ||
        EVP_EncryptUpdate(ctx.get(), nullptr, &length, header.data(), static_cast<int>(header.size())) != 1 ||
        EVP_EncryptUpdate(ctx.get(), sealed.data(), &length, plaintext.data(),
                          static_cast<int>(plaintext.size())) != 1 ||
        EVP_EncryptFinal_ex(ctx.get(), sealed.data() + length, &length) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, static_cast<int>(kTagSize),
                            sealed.data() + plaintext.size()) != 1) {
        return std::nullopt;
    }
    return sealed;
}

std::optional<Bytes> OpenPayload(const Digest& key, Direction direction, uint32_t seq,
                                 std::span<const uint8_t> header, std::span<const uint8_t> sealed) {
    if (sealed.size() < kTagSize) {
        return std::nullopt;
    }
    const std::size_t textSize = sealed.size() - kTagSize;
    const auto nonce = GcmNonce(direction, seq);
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    Bytes plain(textSize);
    std::array<uint8_t, kTagSize> tag{};
    std::copy(sealed.begin() + static_cast<std::ptrdiff_t>(textSize), sealed.end(), tag.begin());
    int length = 0;
    if (!ctx || EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, key.data(), nonce.data()) != 1 ||
        EVP_DecryptUpdate(ctx.get(), nullptr, &length, header.data(), static_cast<int>(header.size())) != 1 ||
        EVP_DecryptUpdate(ctx.get(), plain.data(), &length, sealed.data(), static_cast<int>(textSize)) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(kTagSize), tag.data()) != 1 ||
        EVP_DecryptFinal_ex(ctx.get(), plain.data() + length, &length) != 1) {
        Wipe(plain.data(), plain.size());
        return std::nullopt;
    }
    return plain;
}

} // namespace sdkwire
