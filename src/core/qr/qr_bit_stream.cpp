#include "qr/qr_bit_stream.h"

namespace qr {

bool QrBitStream::Append(uint32_t value, int count) {
    if (m_failed || m_bitCount + static_cast<std::size_t>(count) > kMaxBits) {
        m_failed = true;
        return false;
    }
    for (int bit = count - 1; bit >= 0; --bit) {
        if (m_bitCount % 8 == 0) {
            m_bytes.push_back(0);
        }
        if ((value >> bit) & 1U) {
            m_bytes.back() |= static_cast<uint8_t>(0x80U >> (m_bitCount % 8));
        }
        ++m_bitCount;
    }
    return true;
}

void QrBitStream::Clear() {
    m_bytes.clear();
    m_bitCount = 0;
    m_failed = false;
}

} // namespace qr
