#pragma once
// Framing of the device protocol (docs/device-protocol.md, sections 2 and 4):
// the 16-byte header, the incremental frame assembler that checks every
// length before it reserves memory, and FrameCodec, which numbers, seals and
// opens the frames of one connection for either role. No sockets here.
#include "sdk/byte_codec.h"
#include "sdk/session_crypto.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace sdkwire {

constexpr uint8_t kProtocolVersion = 1;
constexpr std::size_t kHeaderSize = 16;
constexpr uint32_t kMaxPayload = 1024 * 1024;
constexpr uint8_t kFlagEncrypted = 0x01;

struct FrameHeader {
    uint8_t version = kProtocolVersion;
    uint8_t flags = 0;
    uint16_t type = 0;
    uint32_t seq = 0;
    uint32_t length = 0;
};

std::array<uint8_t, kHeaderSize> EncodeHeader(const FrameHeader& header);
// Checks magic, flags and the length limit; nothing about sequence numbers.
std::optional<FrameHeader> DecodeHeader(std::span<const uint8_t> bytes);

enum class Role { Client, Device };

struct Frame {
    uint16_t type = 0;
    Bytes payload; // plaintext
};

// One connection's framing state. Feed() takes received bytes; Next() gives
// the complete frames one by one. Any violation puts the codec into the
// failed state for good (the connection must be closed).
class FrameCodec {
public:
    explicit FrameCodec(Role role) : m_role(role) {}

    // From now on every frame in both directions is sealed with this key.
    void StartEncryption(const Digest& sessionKey);
    bool Encrypted() const { return m_encrypted; }

    Bytes Encode(uint16_t type, std::span<const uint8_t> payload);

    void Feed(std::span<const uint8_t> bytes);
    enum class Status { NeedMore, HaveFrame, Failed };
    Status Next(Frame& frame);
    bool Failed() const { return m_failed; }
    // Bytes still wanted to finish the current frame (a hint for readers).
    std::size_t BufferedBytes() const { return m_buffer.size(); }

private:
    Direction SendDirection() const;
    Direction ReceiveDirection() const;

    Role m_role;
    bool m_encrypted = false;
    bool m_failed = false;
    Digest m_key{};
    uint32_t m_sendSeq = 0;
    uint32_t m_receiveSeq = 0;
    Bytes m_buffer;
};

} // namespace sdkwire
