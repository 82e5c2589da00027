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
      m_keyWiped(other.m_keyWiped), m_failed(other.m_failed), m_cipher(std::move(other.m_cipher)),
      m_sendSeq(other.m_sendSeq), m_receiveSeq(other.m_receiveSeq), m_buffer(std::move(other.m_buffer)),
      m_begin(other.m_begin), m_end(other.m_end) {
    other.WipeKey();
}

void FrameCodec::SetVersion(uint8_t version) {
    m_version = version;
}

void FrameCodec::StartEncryption(const Digest& sessionKey) {
    m_encrypted = true;
    if (!m_cipher.SetKey(sessionKey)) {
        m_keyWiped = true; // nothing can be sealed: nothing is sent
        m_failed = true;
    }
}

void FrameCodec::WipeKey() {
    m_cipher.Clear();
    WipeAll(m_buffer);
    m_buffer.clear();
    m_begin = m_end = 0;
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
    Bytes frame;
    const std::span<const uint8_t> parts[] = {payload};
    const auto encoded = EncodeInto(type, parts, frame);
    if (!encoded) {
        return std::nullopt;
    }
    frame.resize(encoded->size());
    return frame;
}

std::optional<std::span<const uint8_t>>
FrameCodec::EncodeInto(uint16_t type, std::span<const std::span<const uint8_t>> parts, Bytes& storage) {
    const std::size_t overhead = m_encrypted ? kTagSize : 0;
    std::size_t size = 0;
    for (const auto part : parts) {
        size += part.size();
    }
    if (m_keyWiped || size > kMaxPayload - overhead || m_sendSeq > kLastSeq) {
        return std::nullopt;
    }
    FrameHeader header;
    header.version = m_version != 0 ? m_version : kProtocolVersion;
    header.type = type;
    header.seq = static_cast<uint32_t>(m_sendSeq);
    header.flags = m_encrypted ? kFlagEncrypted : 0;
    header.length = static_cast<uint32_t>(size + overhead);
    const std::size_t frameSize = kHeaderSize + header.length;
    if (storage.size() < frameSize) {
        storage.resize(frameSize); // grows once per transfer, not per frame
    }
    const auto headerBytes = EncodeHeader(header);
    std::copy(headerBytes.begin(), headerBytes.end(), storage.begin());
    uint8_t* body = storage.data() + kHeaderSize;
    if (m_encrypted) {
        if (!m_cipher.Seal(SendDirection(), header.seq, headerBytes, parts, body)) {
            return std::nullopt;
        }
    } else {
        for (const auto part : parts) {
            std::copy(part.begin(), part.end(), body);
            body += part.size();
        }
    }
    ++m_sendSeq;
    return std::span<const uint8_t>(storage.data(), frameSize);
}

std::span<uint8_t> FrameCodec::ReceiveSpace(std::size_t wanted) {
    if (m_begin == m_end) {
        m_begin = m_end = 0;
    } else if (m_buffer.size() - m_end < wanted && m_begin > 0) {
        // Only the start of one frame is left: moved to the front.
        std::copy(m_buffer.begin() + static_cast<std::ptrdiff_t>(m_begin),
                  m_buffer.begin() + static_cast<std::ptrdiff_t>(m_end), m_buffer.begin());
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_buffer.size() - m_end < wanted) {
        m_buffer.resize(m_end + wanted);
    }
    return {m_buffer.data() + m_end, wanted};
}

void FrameCodec::Received(std::size_t count) {
    m_end = std::min(m_end + count, m_buffer.size());
}

void FrameCodec::Feed(std::span<const uint8_t> bytes) {
    if (m_failed || bytes.empty()) {
        return;
    }
    const auto space = ReceiveSpace(bytes.size());
    std::copy(bytes.begin(), bytes.end(), space.begin());
    Received(bytes.size());
}

FrameCodec::Status FrameCodec::Next(Frame& frame) {
    if (m_failed) {
        return Status::Failed;
    }
    const std::span<const uint8_t> buffered(m_buffer.data() + m_begin, m_end - m_begin);
    if (buffered.size() < kHeaderSize) {
        // Even a partial header must start with the magic.
        const std::size_t checked = std::min<std::size_t>(buffered.size(), 4);
        if (!std::equal(buffered.begin(), buffered.begin() + static_cast<std::ptrdiff_t>(checked), kMagic)) {
            m_failed = true;
            return Status::Failed;
        }
        return Status::NeedMore;
    }
    const auto headerBytes = buffered.first(kHeaderSize);
    const auto header = DecodeHeader(headerBytes);
    const bool encryptedFrame = header && (header->flags & kFlagEncrypted) != 0;
    if (!header || (m_version != 0 && header->version != m_version) || header->seq != m_receiveSeq ||
        encryptedFrame != m_encrypted || (m_encrypted && header->length < kTagSize)) {
        m_failed = true;
        return Status::Failed;
    }
    if (buffered.size() - kHeaderSize < header->length) {
        return Status::NeedMore;
    }
    const auto body = buffered.subspan(kHeaderSize, header->length);
    if (m_encrypted) {
        frame.payload.resize(body.size() - kTagSize);
        if (!m_cipher.Open(ReceiveDirection(), header->seq, headerBytes, body, frame.payload.data())) {
            m_failed = true;
            return Status::Failed;
        }
    } else {
        frame.payload.assign(body.begin(), body.end());
    }
    frame.version = header->version;
    frame.type = header->type;
    ++m_receiveSeq;
    m_begin += kHeaderSize + header->length;
    return Status::HaveFrame;
}

} // namespace sdkwire
