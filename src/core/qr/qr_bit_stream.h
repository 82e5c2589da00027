#pragma once
// The data bit stream of a symbol, most significant bit first, with a fixed
// upper limit: a write beyond it fails and leaves the stream unusable.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qr {

class QrBitStream {
public:
    // 23648 bits: the data capacity of the largest symbol (version 40-L).
    static constexpr std::size_t kMaxBits = 23648;

    // Appends the low `count` bits of `value` (count 0..16); false (and the
    // stream marked failed) when that would pass the limit.
    bool Append(uint32_t value, int count);
    void Clear();

    std::size_t BitCount() const { return m_bitCount; }
    bool Failed() const { return m_failed; }
    // Whole bytes written so far; the last one is zero-filled on the right.
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    std::size_t m_bitCount = 0;
    bool m_failed = false;
};

} // namespace qr
