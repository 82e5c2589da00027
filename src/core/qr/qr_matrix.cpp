#include "qr/qr_matrix.h"

#include "qr/qr_tables.h"

#include <algorithm>
#include <cstdlib>

namespace qr {

namespace {

bool Bit(uint32_t word, int index) {
    return ((word >> index) & 1U) != 0;
}

// Remainder of value * x^(degree of generator) divided by the generator, in GF(2).
uint32_t BchRemainder(uint32_t value, uint32_t generator, int generatorDegree) {
    uint32_t remainder = value << generatorDegree;
    for (int bit = 31; bit >= generatorDegree; --bit) {
        if (Bit(remainder, bit)) {
            remainder ^= generator << (bit - generatorDegree);
        }
    }
    return remainder;
}

} // namespace

QrMatrix::QrMatrix(int version)
    : m_version(version), m_size(SymbolSize(version)),
      m_modules(static_cast<std::size_t>(m_size * m_size), 0) {
    DrawTimingPatterns();
    DrawFinder(3, 3);
    DrawFinder(m_size - 4, 3);
    DrawFinder(3, m_size - 4);
    DrawAlignmentPatterns();
    DrawFormatInformation();
    DrawVersionInformation();
}

bool QrMatrix::IsDark(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_size || y >= m_size) {
        return false;
    }
    return (m_modules[static_cast<std::size_t>(y * m_size + x)] & kDark) != 0;
}

bool QrMatrix::IsFunction(int x, int y) const {
    return (m_modules[static_cast<std::size_t>(y * m_size + x)] & kFunction) != 0;
}

void QrMatrix::SetFunction(int x, int y, bool dark) {
    Module(x, y) = static_cast<uint8_t>(kFunction | (dark ? kDark : 0));
}

void QrMatrix::DrawTimingPatterns() {
    for (int i = 0; i < m_size; ++i) {
        SetFunction(6, i, i % 2 == 0);
        SetFunction(i, 6, i % 2 == 0);
    }
}

void QrMatrix::DrawFinder(int centreX, int centreY) {
    // 7 x 7 rings plus the light separator around them, clipped at the edges.
    for (int dy = -4; dy <= 4; ++dy) {
        for (int dx = -4; dx <= 4; ++dx) {
            const int x = centreX + dx;
            const int y = centreY + dy;
            if (x < 0 || y < 0 || x >= m_size || y >= m_size) {
                continue;
            }
            const int ring = std::max(std::abs(dx), std::abs(dy));
            SetFunction(x, y, ring != 2 && ring != 4);
        }
    }
}

void QrMatrix::DrawAlignment(int centreX, int centreY) {
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            SetFunction(centreX + dx, centreY + dy, std::max(std::abs(dx), std::abs(dy)) != 1);
        }
    }
}

void QrMatrix::DrawAlignmentPatterns() {
    const AlignmentPositions positions = AlignmentPatternPositions(m_version);
    const int last = positions.count - 1;
    for (int i = 0; i < positions.count; ++i) {
        for (int j = 0; j < positions.count; ++j) {
            // The three corners taken by the finder patterns get none.
            if ((i == 0 && j == 0) || (i == 0 && j == last) || (i == last && j == 0)) {
                continue;
            }
            DrawAlignment(positions.position[static_cast<std::size_t>(i)],
                          positions.position[static_cast<std::size_t>(j)]);
        }
    }
}

uint32_t QrMatrix::FormatBits() {
    // Level Q is 0b11, mask 0 is 0b000.
    constexpr uint32_t kData = (0b11U << 3) | 0U;
    return ((kData << 10) | BchRemainder(kData, 0x537, 10)) ^ 0x5412U;
}

uint32_t QrMatrix::VersionBits(int version) {
    const auto data = static_cast<uint32_t>(version);
    return (data << 12) | BchRemainder(data, 0x1F25, 12);
}

void QrMatrix::DrawFormatInformation() {
    const uint32_t bits = FormatBits();
    // First copy, around the top-left finder.
    for (int i = 0; i <= 5; ++i) {
        SetFunction(8, i, Bit(bits, i));
    }
    SetFunction(8, 7, Bit(bits, 6));
    SetFunction(8, 8, Bit(bits, 7));
    SetFunction(7, 8, Bit(bits, 8));
    for (int i = 9; i < 15; ++i) {
        SetFunction(14 - i, 8, Bit(bits, i));
    }
    // Second copy, split between the other two finders.
    for (int i = 0; i < 8; ++i) {
        SetFunction(m_size - 1 - i, 8, Bit(bits, i));
    }
    for (int i = 8; i < 15; ++i) {
        SetFunction(8, m_size - 15 + i, Bit(bits, i));
    }
    // The dark module.
    SetFunction(8, m_size - 8, true);
}

void QrMatrix::DrawVersionInformation() {
    if (m_version < 7) {
        return;
    }
    const uint32_t bits = VersionBits(m_version);
    for (int i = 0; i < 18; ++i) {
        const int a = m_size - 11 + i % 3;
        const int b = i / 3;
        SetFunction(a, b, Bit(bits, i));
        SetFunction(b, a, Bit(bits, i));
    }
}

void QrMatrix::PlaceCodewords(std::span<const uint8_t> codewords) {
    const std::size_t totalBits = codewords.size() * 8;
    std::size_t bitIndex = 0;
    uint8_t* modules = m_modules.data();
    // A local copy: stores through the byte pointer could alias the member.
    const int size = m_size;
    // Column pairs from the right edge, moving up and down alternately; the
    // vertical timing column is skipped.
    for (int right = size - 1; right >= 1 && bitIndex < totalBits; right -= 2) {
        if (right == 6) {
            right = 5;
        }
        const bool upward = ((right + 1) & 2) == 0;
        for (int step = 0; step < size && bitIndex < totalBits; ++step) {
            const int y = upward ? size - 1 - step : step;
            uint8_t* row = modules + static_cast<std::ptrdiff_t>(y) * size;
            for (int x = right; x >= right - 1 && bitIndex < totalBits; --x) {
                if ((row[x] & kFunction) != 0) {
                    continue;
                }
                if ((codewords[bitIndex >> 3] >> (7 - (bitIndex & 7))) & 1U) {
                    row[x] |= kDark;
                }
                ++bitIndex;
            }
        }
    }
}

void QrMatrix::ApplyMask0() {
    uint8_t* modules = m_modules.data();
    const int size = m_size;
    for (int y = 0; y < size; ++y) {
        uint8_t* row = modules + static_cast<std::ptrdiff_t>(y) * size;
        // Columns with (row + column) even: every other one, starting at y % 2.
        for (int x = y % 2; x < size; x += 2) {
            if ((row[x] & kFunction) == 0) {
                row[x] ^= kDark;
            }
        }
    }
}

} // namespace qr
