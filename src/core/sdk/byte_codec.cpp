#include "sdk/byte_codec.h"

namespace sdkwire {

void ByteWriter::U16(uint16_t value) {
    m_bytes.push_back(static_cast<uint8_t>(value));
    m_bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void ByteWriter::U32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        m_bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void ByteWriter::U64(uint64_t value) {
    for (int shift = 0; shift < 64; shift += 8) {
        m_bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void ByteWriter::Raw(std::span<const uint8_t> bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

void ByteWriter::Text(const std::string& text) {
    const std::size_t length = text.size() > 0xFFFF ? 0xFFFF : text.size();
    U16(static_cast<uint16_t>(length));
    m_bytes.insert(m_bytes.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
}

void ByteWriter::Blob(std::span<const uint8_t> bytes) {
    U32(static_cast<uint32_t>(bytes.size()));
    Raw(bytes);
}

bool ByteReader::Need(std::size_t count) {
    if (!m_ok || m_bytes.size() - m_pos < count) {
        m_ok = false;
        return false;
    }
    return true;
}

uint8_t ByteReader::U8() {
    if (!Need(1)) {
        return 0;
    }
    return m_bytes[m_pos++];
}

uint16_t ByteReader::U16() {
    if (!Need(2)) {
        return 0;
    }
    const uint16_t value = LoadU16(m_bytes.data() + m_pos);
    m_pos += 2;
    return value;
}

uint32_t ByteReader::U32() {
    if (!Need(4)) {
        return 0;
    }
    const uint32_t value = LoadU32(m_bytes.data() + m_pos);
    m_pos += 4;
    return value;
}

void ByteReader::Raw(uint8_t* out, std::size_t count) {
    if (!Need(count)) {
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = m_bytes[m_pos + i];
    }
    m_pos += count;
}

std::string ByteReader::Text(std::size_t maxLength) {
    const std::size_t length = U16();
    if (length > maxLength) {
        m_ok = false;
    }
    if (!Need(length)) {
        return {};
    }
    std::string text(reinterpret_cast<const char*>(m_bytes.data() + m_pos), length);
    m_pos += length;
    return text;
}

Bytes ByteReader::Blob(std::size_t maxLength) {
    const auto view = BlobView(maxLength);
    return Bytes(view.begin(), view.end());
}

std::span<const uint8_t> ByteReader::BlobView(std::size_t maxLength) {
    const std::size_t length = U32();
    // The length is checked against both limits before anything is taken.
    if (length > maxLength) {
        m_ok = false;
    }
    if (!Need(length)) {
        return {};
    }
    const auto view = m_bytes.subspan(m_pos, length);
    m_pos += length;
    return view;
}

uint32_t LoadU32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

uint16_t LoadU16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

void StoreU32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void StoreU16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

} // namespace sdkwire
