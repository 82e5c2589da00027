#include "sdk/wire_frame.h"

#include <algorithm>

namespace sdkwire {

namespace {
constexpr uint8_t kMagic[4] = {'C', 'V', 'D', 'P'};
}

std::array<uint8_t, kHeaderSize> EncodeHeader(const FrameHeader& header) {
    std::array<uint8_t, kHeaderSize> bytes{};
    std::copy(std::begin(kMagic), std::end(kMagic), bytes.begin());
    bytes[4] = header.version;
    bytes[5] = header.flags;
    StoreU16(bytes.data() + 6, header.type);
    StoreU32(bytes.data() + 8, header.seq);
    StoreU32(bytes.data() + 12, header.length);
    return bytes;
}

std::optional<FrameHeader> DecodeHeader(std::span<const uint8_t> bytes) {
    if (bytes.size() < kHeaderSize || !std::equal(std::begin(kMagic), std::end(kMagic), bytes.begin())) {
        return std::nullopt;
    }
    FrameHeader header;
    header.version = bytes[4];
    header.flags = bytes[5];
    header.type = LoadU16(bytes.data() + 6);
    header.seq = LoadU32(bytes.data() + 8);
    header.length = LoadU32(bytes.data() + 12);
    if (header.version == 0 || (header.flags & ~kFlagEncrypted) != 0 || header.length > kMaxPayload) {
        return std::nullopt;
    }
    return header;
}

FrameCodec::~FrameCodec() {
    WipeKey();
    WipeAll(m_buffer);
}

FrameCodec::FrameCodec(FrameCodec&& other) noexcept
    : m_role(other.m_role), m_version(other.m_version), m_encrypted(other.m_encrypted),
      m_keyWiped(other.m_keyWiped), m_failed(other.m_failed), m_key(other.m_key), m_sendSeq(other.m_sendSeq),
      m_receiveSeq(other.m_receiveSeq), m_buffer(std::move(other.m_buffer)) {
    other.WipeKey();
}

void FrameCodec::SetVersion(uint8_t version) {
    m_version = version;
}

void FrameCodec::StartEncryption(const Digest& sessionKey) {
    m_key = sessionKey;
    m_encrypted = true;
}

void FrameCodec::WipeKey() {
    Wipe(m_key.data(), m_key.size());
    WipeAll(m_buffer);
    m_buffer.clear();
    m_keyWiped = true;
    m_failed = true; // nothing more is read either
}

Direction FrameCodec::SendDirection() const {
    return m_role == Role::Client ? Direction::ClientToDevice : Direction::DeviceToClient;
}

Direction FrameCodec::ReceiveDirection() const {
    return m_role == Role::Client ? Direction::DeviceToClient : Direction::ClientToDevice;
}

std::optional<Bytes> FrameCodec::Encode(uint16_t type, std::span<const uint8_t> payload) {
    const std::size_t overhead = m_encrypted ? kTagSize : 0;
    if (m_keyWiped || payload.size() > kMaxPayload - overhead || m_sendSeq > kLastSeq) {
        return std::nullopt;
    }
    FrameHeader header;
    header.version = m_version != 0 ? m_version : kProtocolVersion;
    header.type = type;
    header.seq = static_cast<uint32_t>(m_sendSeq);
    header.flags = m_encrypted ? kFlagEncrypted : 0;
    header.length = static_cast<uint32_t>(payload.size() + overhead);
    const auto headerBytes = EncodeHeader(header);
    // Reserved up front: GCC 12 at -O3 otherwise reports a false
    // -Warray-bounds on the insert that grows the vector past the header.
    Bytes frame;
    frame.reserve(kHeaderSize + header.length);
    frame.insert(frame.end(), headerBytes.begin(), headerBytes.end());
    if (m_encrypted) {
        const auto sealed = SealPayload(m_key, SendDirection(), header.seq, headerBytes, payload);
        if (!sealed) {
            return std::nullopt;
        }
        frame.insert(frame.end(), sealed->begin(), sealed->end());
    } else {
        frame.insert(frame.end(), payload.begin(), payload.end());
    }
    ++m_sendSeq;
    return frame;
}

void FrameCodec::Feed(std::span<const uint8_t> bytes) {
    if (m_failed) {
        return;
    }
    // The buffer grows only by what actually arrived, never by a length
    // a peer claims.
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
}

FrameCodec::Status FrameCodec::Next(Frame& frame) {
    if (m_failed) {
        return Status::Failed;
    }
    if (m_buffer.size() < kHeaderSize) {
        // Even a partial header must start with the magic.
        const std::size_t checked = std::min<std::size_t>(m_buffer.size(), 4);
        if (!std::equal(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(checked), kMagic)) {
            m_failed = true;
            return Status::Failed;
        }
        return Status::NeedMore;
    }
    const auto header = DecodeHeader(std::span(m_buffer.data(), kHeaderSize));
    const bool encryptedFrame = header && (header->flags & kFlagEncrypted) != 0;
    if (!header || (m_version != 0 && header->version != m_version) || header->seq != m_receiveSeq ||
        encryptedFrame != m_encrypted || (m_encrypted && header->length < kTagSize)) {
        m_failed = true;
        return Status::Failed;
    }
    if (m_buffer.size() - kHeaderSize < header->length) {
        return Status::NeedMore;
    }
    const std::span<const uint8_t> headerBytes(m_buffer.data(), kHeaderSize);
    const std::span<const uint8_t> body(m_buffer.data() + kHeaderSize, header->length);
    if (m_encrypted) {
        auto plain = OpenPayload(m_key, ReceiveDirection(), header->seq, headerBytes, body);
        if (!plain) {
            m_failed = true;
            return Status::Failed;
        }
        frame.payload = std::move(*plain);
    } else {
        frame.payload.assign(body.begin(), body.end());
    }
    frame.version = header->version;
    frame.type = header->type;
    ++m_receiveSeq;
    m_buffer.erase(m_buffer.begin(),
                   m_buffer.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + header->length));
    return Status::HaveFrame;
}

} // namespace sdkwire
