#pragma once
// The cryptography of the device protocol, version 2: the user key
// (PBKDF2-HMAC-SHA256 of the password under the device's salt), the
// handshake transcript, login proofs and the session key bound to it, and
// AES-256-GCM sealing of frame payloads. Pure functions over OpenSSL
// libcrypto.
#include "sdk/byte_codec.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace sdkwire {

using Nonce = std::array<uint8_t, 16>;
using Digest = std::array<uint8_t, 32>;
using Salt = std::array<uint8_t, 16>;
constexpr std::size_t kTagSize = 16;

// PBKDF2 iterations: a device chooses at least kMinKeyIterations (one
// offline guess then costs about 30 ms on an ordinary PC); the client
// refuses fewer, and more than kMaxKeyIterations, which would only stall
// its logins.
constexpr uint32_t kDefaultKeyIterations = 200000;
constexpr uint32_t kMinKeyIterations = 200000;
constexpr uint32_t kMaxKeyIterations = 2000000;

enum class Direction { ClientToDevice, DeviceToClient };

// Cryptographically random bytes; false when the generator failed.
bool RandomFill(std::span<uint8_t> out);
Digest Sha256(std::span<const uint8_t> bytes);
// SHA-256 over bytes that arrive in pieces.
class Sha256Stream {
public:
    Sha256Stream();
    ~Sha256Stream();
    Sha256Stream(const Sha256Stream&) = delete;
    Sha256Stream& operator=(const Sha256Stream&) = delete;
    void Add(std::span<const uint8_t> bytes);
    // The digest of everything added; the stream then starts again.
    Digest Finish();

private:
    struct State;
    State* m_state;
};
Digest HmacSha256(std::span<const uint8_t> key, std::span<const uint8_t> message);

// Overwrites secrets so they do not outlive their use (OPENSSL_cleanse).
void Wipe(void* data, std::size_t size);
template <typename Container> void WipeAll(Container& container) {
    Wipe(container.data(), container.size() * sizeof(*container.data()));
}

// K = PBKDF2-HMAC-SHA256(password, salt || user, iterations, 32): what the
// device stores instead of the password.
Digest UserKey(const std::string& user, const std::string& password, const Salt& salt, uint32_t iterations);

// Everything both sides agreed on in the handshake; its hash binds the
// proofs and the session key to this one connection.
struct Transcript {
    uint8_t minVersion = 0;
    uint8_t maxVersion = 0;
    uint8_t version = 0;
    Nonce clientNonce{};
    Nonce deviceNonce{};
    Salt salt{};
    uint32_t iterations = 0;
    std::string customer;
    std::string user;
};
Digest TranscriptHash(const Transcript& transcript);
Digest ClientProof(const Digest& userKey, const Digest& transcriptHash);
Digest DeviceProof(const Digest& userKey, const Digest& transcriptHash);
Digest SessionKey(const Digest& userKey, const Transcript& transcript, const Digest& transcriptHash);
// MODIFY_USER from version 3: HMAC-SHA256(K_old, "modify" || T || text
// user || newKey), bound to the session's handshake and the new key.
Digest ModifyProof(const Digest& oldKey, const Digest& transcriptHash, const std::string& user,
                   const Digest& newKey);
bool SameDigest(const Digest& a, const Digest& b); // constant time

// AES-256-GCM of a connection's frames under one key, with the frame header
// as associated data; the nonce is the direction's 4 bytes and seq as a
// little-endian u64. The key schedule is set up once and both calls write
// into memory the caller keeps, so a frame costs no allocation. Sealing and
// opening have contexts of their own: one thread may seal while another
// opens.
class FrameCipher {
public:
    FrameCipher() = default;
    ~FrameCipher();
    FrameCipher(FrameCipher&& other) noexcept;
    FrameCipher& operator=(FrameCipher&& other) noexcept;
    FrameCipher(const FrameCipher&) = delete;
    FrameCipher& operator=(const FrameCipher&) = delete;

    bool SetKey(const Digest& key);
    // Forgets the key (OpenSSL wipes its schedule); Seal and Open fail after it.
    void Clear();
    // Encrypts the concatenation of parts into out (exactly their total
    // size) and writes the tag after it: out must hold that size + kTagSize.
    bool Seal(Direction direction, uint32_t seq, std::span<const uint8_t> header,
              std::span<const std::span<const uint8_t>> parts, uint8_t* out);
    // Decrypts sealed (ciphertext || tag) into out (sealed.size() - kTagSize
    // bytes); false when the tag does not verify.
    bool Open(Direction direction, uint32_t seq, std::span<const uint8_t> header,
              std::span<const uint8_t> sealed, uint8_t* out);

private:
    struct Context;
    Context* m_seal = nullptr;
    Context* m_open = nullptr;
};

} // namespace sdkwire
