#pragma once
// The symbol tables of QR Code Model 2 that the encoder needs, for error
// correction level Q only (the only level the program writes).
#include <array>
#include <cstdint>

namespace qr {

inline constexpr int kMinVersion = 1;
inline constexpr int kMaxVersion = 40;

// Modules per side: 4 x version + 17.
constexpr int SymbolSize(int version) {
    return 4 * version + 17;
}

// Character count indicator lengths depend on the version group:
// 1 = versions 1-9, 2 = versions 10-26, 3 = versions 27-40.
int VersionGroup(int version);
int FirstVersionOfGroup(int group);
int LastVersionOfGroup(int group);

// The error-correction block structure of one version at level Q. Blocks
// come in two lengths: the first shortBlocks blocks carry shortBlockData data
// codewords, the others one more; every block has eccPerBlock ECC codewords.
struct BlockLayout {
    int totalCodewords = 0;
    int dataCodewords = 0;
    int eccPerBlock = 0;
    int blocks = 0;
    int shortBlocks = 0;
    int shortBlockData = 0;
};
BlockLayout LevelQLayout(int version);

// Centre coordinates of the alignment patterns along one axis (empty for
// version 1). At most 7 positions.
struct AlignmentPositions {
    std::array<uint8_t, 7> position{};
    int count = 0;
};
AlignmentPositions AlignmentPatternPositions(int version);

} // namespace qr
