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

struct Sha256Stream::State {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx{EVP_MD_CTX_new(), &EVP_MD_CTX_free};
    bool ok = false;
};

Sha256Stream::Sha256Stream() : m_state(new State) {
    m_state->ok = m_state->ctx && EVP_DigestInit_ex(m_state->ctx.get(), EVP_sha256(), nullptr) == 1;
}

Sha256Stream::~Sha256Stream() {
    delete m_state;
}

void Sha256Stream::Add(std::span<const uint8_t> bytes) {
    m_state->ok = m_state->ok && EVP_DigestUpdate(m_state->ctx.get(), bytes.data(), bytes.size()) == 1;
}

Digest Sha256Stream::Finish() {
    // A failed digest is all zero bytes, which no image's checksum matches
    // by chance.
    Digest digest{};
    unsigned int length = 0;
    if (!m_state->ok || EVP_DigestFinal_ex(m_state->ctx.get(), digest.data(), &length) != 1) {
        digest.fill(0);
    }
    m_state->ok = m_state->ctx && EVP_DigestInit_ex(m_state->ctx.get(), EVP_sha256(), nullptr) == 1;
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

namespace {

// PBKDF2-HMAC-SHA256 (RFC 8018) for one 32-byte block. The HMAC's inner and
// outer hash states after the padded key are computed once and copied for
// every iteration: OpenSSL's generic PBKDF2 sets up an HMAC context per
// iteration (an allocation and a wipe each), which made a login's key cost
// two to three times its hashing. The result is the same function's; the
// low-level SHA-256 calls it needs are deprecated in OpenSSL 3 but kept.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
Digest Pbkdf2Sha256(std::span<const uint8_t> password, std::span<const uint8_t> salt, uint32_t iterations) {
    constexpr std::size_t kBlock = 64;
    std::array<uint8_t, kBlock> key{};
    if (password.size() > kBlock) {
        SHA256(password.data(), password.size(), key.data());
    } else {
        std::copy(password.begin(), password.end(), key.begin());
    }
    std::array<uint8_t, kBlock> pad{};
    SHA256_CTX inner;
    SHA256_CTX outer;
    for (std::size_t i = 0; i < kBlock; ++i) {
        pad[i] = key[i] ^ 0x36;
    }
    SHA256_Init(&inner);
    SHA256_Update(&inner, pad.data(), pad.size());
    for (std::size_t i = 0; i < kBlock; ++i) {
        pad[i] = key[i] ^ 0x5C;
    }
    SHA256_Init(&outer);
    SHA256_Update(&outer, pad.data(), pad.size());

    const uint8_t blockIndex[4] = {0, 0, 0, 1};
    Digest u{};
    SHA256_CTX ctx = inner;
    SHA256_Update(&ctx, salt.data(), salt.size());
    SHA256_Update(&ctx, blockIndex, sizeof blockIndex);
    SHA256_Final(u.data(), &ctx);
    ctx = outer;
    SHA256_Update(&ctx, u.data(), u.size());
    SHA256_Final(u.data(), &ctx);
    Digest result = u;
    for (uint32_t round = 1; round < iterations; ++round) {
        ctx = inner;
        SHA256_Update(&ctx, u.data(), u.size());
        SHA256_Final(u.data(), &ctx);
        ctx = outer;
        SHA256_Update(&ctx, u.data(), u.size());
        SHA256_Final(u.data(), &ctx);
        for (std::size_t i = 0; i < result.size(); ++i) {
            result[i] ^= u[i];
        }
    }
    Wipe(key.data(), key.size());
    Wipe(pad.data(), pad.size());
    Wipe(&inner, sizeof inner);
    Wipe(&outer, sizeof outer);
    Wipe(&ctx, sizeof ctx);
    Wipe(u.data(), u.size());
    return result;
}
#pragma GCC diagnostic pop

} // namespace

Digest UserKey(const std::string& user, const std::string& password, const Salt& salt, uint32_t iterations) {
    ByteWriter fullSalt;
    fullSalt.Raw(salt);
    fullSalt.Raw(AsBytes(user));
    return Pbkdf2Sha256(AsBytes(password), fullSalt.Data(), iterations);
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

// EVP_CIPHER_CTX behind an opaque type, so the header needs no OpenSSL.
struct FrameCipher::Context {
    CipherCtx ctx;
};

FrameCipher::~FrameCipher() {
    Clear();
}

FrameCipher::FrameCipher(FrameCipher&& other) noexcept : m_seal(other.m_seal), m_open(other.m_open) {
    other.m_seal = nullptr;
    other.m_open = nullptr;
}

FrameCipher& FrameCipher::operator=(FrameCipher&& other) noexcept {
    if (this != &other) {
        Clear();
        std::swap(m_seal, other.m_seal);
        std::swap(m_open, other.m_open);
    }
    return *this;
}

void FrameCipher::Clear() {
    delete m_seal; // EVP_CIPHER_CTX_free wipes the key schedule
    delete m_open;
    m_seal = nullptr;
    m_open = nullptr;
}

bool FrameCipher::SetKey(const Digest& key) {
    Clear();
    auto seal = std::make_unique<Context>(Context{CipherCtx(EVP_CIPHER_CTX_new())});
    auto open = std::make_unique<Context>(Context{CipherCtx(EVP_CIPHER_CTX_new())});
    if (!seal->ctx || !open->ctx ||
        EVP_EncryptInit_ex(seal->ctx.get(), EVP_aes_256_gcm(), nullptr, key.data(), nullptr) != 1 ||
        EVP_DecryptInit_ex(open->ctx.get(), EVP_aes_256_gcm(), nullptr, key.data(), nullptr) != 1) {
        return false;
    }
    m_seal = seal.release();
    m_open = open.release();
    return true;
}

bool FrameCipher::Seal(Direction direction, uint32_t seq, std::span<const uint8_t> header,
                       std::span<const std::span<const uint8_t>> parts, uint8_t* out) {
    if (m_seal == nullptr) {
        return false;
    }
    EVP_CIPHER_CTX* ctx = m_seal->ctx.get();
    const auto nonce = GcmNonce(direction, seq);
    int length = 0;
    if (EVP_EncryptInit_ex(ctx, nullptr, nullptr, nullptr, nonce.data()) != 1 ||
        EVP_EncryptUpdate(ctx, nullptr, &length, header.data(), static_cast<int>(header.size())) != 1) {
        return false;
    }
    uint8_t* at = out;
    for (const auto part : parts) {
        if (part.empty()) {
            continue;
        }
        if (EVP_EncryptUpdate(ctx, at, &length, part.data(), static_cast<int>(part.size())) != 1) {
            return false;
        }
        at += length;
    }
    return EVP_EncryptFinal_ex(ctx, at, &length) == 1 &&
           EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_GET_TAG, static_cast<int>(kTagSize), at + length) == 1;
}

bool FrameCipher::Open(Direction direction, uint32_t seq, std::span<const uint8_t> header,
                       std::span<const uint8_t> sealed, uint8_t* out) {
    if (m_open == nullptr || sealed.size() < kTagSize) {
        return false;
    }
    EVP_CIPHER_CTX* ctx = m_open->ctx.get();
    const std::size_t textSize = sealed.size() - kTagSize;
    const auto nonce = GcmNonce(direction, seq);
    std::array<uint8_t, kTagSize> tag{};
    std::copy(sealed.begin() + static_cast<std::ptrdiff_t>(textSize), sealed.end(), tag.begin());
    int length = 0;
    if (EVP_DecryptInit_ex(ctx, nullptr, nullptr, nullptr, nonce.data()) != 1 ||
        EVP_DecryptUpdate(ctx, nullptr, &length, header.data(), static_cast<int>(header.size())) != 1 ||
        (textSize > 0 &&
         EVP_DecryptUpdate(ctx, out, &length, sealed.data(), static_cast<int>(textSize)) != 1) ||
        EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_SET_TAG, static_cast<int>(kTagSize), tag.data()) != 1 ||
        EVP_DecryptFinal_ex(ctx, out + (textSize > 0 ? length : 0), &length) != 1) {
        Wipe(out, textSize);
        return false;
    }
    return true;
}

} // namespace sdkwire
