#pragma once
// The module matrix of one symbol at level Q with mask pattern 0: function
// patterns, codeword placement and masking.
#include <cstdint>
#include <span>
#include <vector>

namespace qr {

class QrMatrix {
public:
    // Draws every function pattern of the version (1..40): finders with
    // separators, timing, alignment, the dark module, format information for
    // level Q and mask 0 and, from version 7 on, version information.
    explicit QrMatrix(int version);

    int Version() const { return m_version; }
    int Size() const { return m_size; }
    // x = column, y = row; modules outside the symbol are light.
    bool IsDark(int x, int y) const;
    bool IsFunction(int x, int y) const;

    // Places the interleaved codewords in the zig-zag order, skipping function
    // modules; modules left over stay light.
    void PlaceCodewords(std::span<const uint8_t> codewords);
    // Mask pattern 0: inverts each data module where (row + column) is even.
    void ApplyMask0();

    // The 15-bit format word for level Q and mask 0, and the 18-bit version word.
    static uint32_t FormatBits();
    static uint32_t VersionBits(int version);

private:
    static constexpr uint8_t kDark = 1;
    static constexpr uint8_t kFunction = 2;

    uint8_t& Module(int x, int y) { return m_modules[static_cast<std::size_t>(y * m_size + x)]; }
    void SetFunction(int x, int y, bool dark);
    void DrawFinder(int centreX, int centreY);
    void DrawAlignment(int centreX, int centreY);
    void DrawTimingPatterns();
    void DrawAlignmentPatterns();
    void DrawFormatInformation();
    void DrawVersionInformation();

    int m_version;
    int m_size;
    std::vector<uint8_t> m_modules;
};

} // namespace qr
