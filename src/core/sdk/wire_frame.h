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

// The lowest version this program speaks (and the header version of its
// HELLO); kMaxProtocolVersion the highest (docs/device-protocol.md, section
// 3). Version 3 changes only MODIFY_USER (section 5.4), version 4 only how
// many firmware chunks may be in flight (section 5.5), version 5 only how
// large they may be (section 5.6).
constexpr uint8_t kProtocolVersion = 2;
constexpr uint8_t kMaxProtocolVersion = 5;
// The highest sequence number a sender may use; after it the connection
// ends (a GCM nonce must never repeat under one key).
constexpr uint32_t kLastSeq = 0xFFFFFFFF;
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
// Checks magic, a non-zero version, flags and the length limit; nothing
// about sequence numbers or which version was negotiated.
std::optional<FrameHeader> DecodeHeader(std::span<const uint8_t> bytes);

enum class Role { Client, Device };

struct Frame {
    uint8_t version = 0; // of the header
    uint16_t type = 0;
    Bytes payload; // plaintext
};

// One connection's framing state. Feed() takes received bytes; Next() gives
// the complete frames one by one. Any violation puts the codec into the
// failed state for good (the connection must be closed).
class FrameCodec {
public:
    explicit FrameCodec(Role role) : m_role(role) {}
    ~FrameCodec();
    FrameCodec(FrameCodec&& other) noexcept;
    FrameCodec& operator=(FrameCodec&&) = delete;
    FrameCodec(const FrameCodec&) = delete;

    // Until a version is set, frames in clear with any non-zero version are
    // taken (the handshake reads the peer's version first) and frames are
    // sent with kProtocolVersion. Afterwards every frame in both directions
    // must carry this version.
    void SetVersion(uint8_t version);
    uint8_t Version() const { return m_version; }
    // From now on every frame in both directions is sealed with this key.
    void StartEncryption(const Digest& sessionKey);
    bool Encrypted() const { return m_encrypted; }
    // Forgets the session key and what was buffered: the codec is failed,
    // nothing can be sent or read any more. Call it once reading has ended,
    // under the lock that orders sending.
    void WipeKey();

    // Nothing (and no byte may be sent) when the payload is over the limit,
    // the sequence numbers are used up or sealing failed.
    std::optional<Bytes> Encode(uint16_t type, std::span<const uint8_t> payload);
    // The same frame for the payload that is the concatenation of parts,
    // written into storage (which only grows, so a buffer kept for a
    // transfer is reused for every frame): the frame's bytes in storage.
    // The parts are read once, by the cipher (or one copy in clear).
    std::optional<std::span<const uint8_t>>
    EncodeInto(uint16_t type, std::span<const std::span<const uint8_t>> parts, Bytes& storage);

    // Received bytes go straight into the codec's buffer: ReceiveSpace()
    // gives room for at least `wanted` bytes, Received() takes the count
    // actually written there. Feed() copies them in instead.
    std::span<uint8_t> ReceiveSpace(std::size_t wanted);
    void Received(std::size_t count);
    void Feed(std::span<const uint8_t> bytes);
    enum class Status { NeedMore, HaveFrame, Failed };
    // The payload goes into frame.payload, whose memory is reused when the
    // caller keeps the frame from one call to the next.
    Status Next(Frame& frame);
    bool Failed() const { return m_failed; }
    // Bytes received and not yet taken as frames.
    std::size_t BufferedBytes() const { return m_end - m_begin; }
    // Tests start the counters near the end of the sequence space.
    void StartSequencesAtForTest(uint64_t send, uint64_t receive) {
        m_sendSeq = send;
        m_receiveSeq = receive;
    }

private:
    Direction SendDirection() const;
    Direction ReceiveDirection() const;

    Role m_role;
    uint8_t m_version = 0; // 0: not negotiated yet
    bool m_encrypted = false;
    bool m_keyWiped = false; // read by the sending side
    bool m_failed = false;
    FrameCipher m_cipher;
    // 64 bits wide, so "used up" (above kLastSeq) is representable.
    uint64_t m_sendSeq = 0;
    uint64_t m_receiveSeq = 0;
    // Received bytes are m_buffer[m_begin, m_end). The buffer only grows, by
    // the room a reader asks for, never by a length a peer claims.
    Bytes m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
};

} // namespace sdkwire
