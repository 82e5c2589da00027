#include "qr/qr_bit_stream.h"

#include <algorithm>

namespace qr {

bool QrBitStream::Append(uint32_t value, int count) {
    if (m_failed || m_bitCount + static_cast<std::size_t>(count) > kMaxBits) {
        m_failed = true;
        return false;
    }
    // Fill the free bits of the last byte, then whole bytes, left to right.
    int left = count;
    while (left > 0) {
        const int used = static_cast<int>(m_bitCount % 8);
        if (used == 0) {
            m_bytes.push_back(0);
        }
        const int take = std::min(8 - used, left);
        const auto chunk = static_cast<uint8_t>((value >> (left - take)) & ((1U << take) - 1U));
        m_bytes.back() |= static_cast<uint8_t>(chunk << (8 - used - take));
        left -= take;
        m_bitCount += static_cast<std::size_t>(take);
    }
    return true;
}

void QrBitStream::Clear() {
    m_bytes.clear();
    m_bitCount = 0;
    m_failed = false;
}

} // namespace qr
