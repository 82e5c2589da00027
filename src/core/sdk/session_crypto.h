#pragma once
// The cryptography of the device protocol: login proofs (HMAC-SHA256 over
// the nonces), the session key (HKDF-SHA256) and AES-256-GCM sealing of
// frame payloads. Pure functions over OpenSSL libcrypto.
#include "sdk/byte_codec.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace sdkwire {

using Nonce = std::array<uint8_t, 16>;
using Digest = std::array<uint8_t, 32>;
constexpr std::size_t kTagSize = 16;

enum class Direction { ClientToDevice, DeviceToClient };

// Cryptographically random bytes; false when the generator failed.
bool RandomFill(std::span<uint8_t> out);
Digest Sha256(std::span<const uint8_t> bytes);
Digest HmacSha256(std::span<const uint8_t> key, std::span<const uint8_t> message);

Digest UserKey(const std::string& user, const std::string& password);
Digest ClientProof(const Digest& userKey, const Nonce& deviceNonce, const Nonce& clientNonce,
                   const std::string& user);
Digest DeviceProof(const Digest& userKey, const Nonce& clientNonce, const Nonce& deviceNonce);
Digest SessionKey(const Digest& userKey, const Nonce& clientNonce, const Nonce& deviceNonce);
bool SameDigest(const Digest& a, const Digest& b); // constant time

// AES-256-GCM with the frame header as associated data. Seal appends the
// tag; Open gives nothing when the tag does not verify.
Bytes SealPayload(const Digest& key, Direction direction, uint32_t seq, std::span<const uint8_t> header,
                  std::span<const uint8_t> plaintext);
std::optional<Bytes> OpenPayload(const Digest& key, Direction direction, uint32_t seq,
                                 std::span<const uint8_t> header, std::span<const uint8_t> sealed);

} // namespace sdkwire
