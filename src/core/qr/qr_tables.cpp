#include "qr/qr_tables.h"

namespace qr {

namespace {

// Level Q error-correction codewords per block and number of blocks, per
// version (index 0 unused).
constexpr std::array<uint8_t, 41> kEccPerBlockQ = {0,  13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24,
                                                   20, 30, 24, 28, 28, 26, 30, 28, 30, 30, 30, 30, 28, 30,
                                                   30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30};
constexpr std::array<uint8_t, 41> kBlocksQ = {0,  1,  1,  2,  2,  4,  4,  6,  6,  8,  8,  8,  10, 12,
                                              16, 12, 17, 16, 18, 21, 20, 23, 23, 25, 27, 29, 34, 34,
                                              35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68};

// Modules left for codewords once the function patterns are drawn.
constexpr int RawDataModules(int version) {
    int modules = (16 * version + 128) * version + 64;
    if (version >= 2) {
        const int alignments = version / 7 + 2;
        modules -= (25 * alignments - 10) * alignments - 55;
        if (version >= 7) {
            modules -= 36; // two version information blocks of 18 modules
        }
    }
    return modules;
}

} // namespace

int VersionGroup(int version) {
    if (version <= 9) {
        return 1;
    }
    return version <= 26 ? 2 : 3;
}

int FirstVersionOfGroup(int group) {
    constexpr std::array<int, 4> kFirst = {0, 1, 10, 27};
    return kFirst.at(static_cast<std::size_t>(group));
}

int LastVersionOfGroup(int group) {
    constexpr std::array<int, 4> kLast = {0, 9, 26, 40};
    return kLast.at(static_cast<std::size_t>(group));
}

BlockLayout LevelQLayout(int version) {
    BlockLayout layout;
    const auto index = static_cast<std::size_t>(version);
    layout.totalCodewords = RawDataModules(version) / 8;
    layout.eccPerBlock = kEccPerBlockQ.at(index);
    layout.blocks = kBlocksQ.at(index);
    layout.dataCodewords = layout.totalCodewords - layout.eccPerBlock * layout.blocks;
    layout.shortBlocks = layout.blocks - layout.totalCodewords % layout.blocks;
    layout.shortBlockData = layout.totalCodewords / layout.blocks - layout.eccPerBlock;
    return layout;
}

AlignmentPositions AlignmentPatternPositions(int version) {
    AlignmentPositions result;
    if (version < 2) {
        return result;
    }
    // The published positions are evenly spaced from the last one (size - 7)
    // back towards 6, with an even step; version 32 is the one exception.
    result.count = version / 7 + 2;
    const int step = version == 32 ? 26 : (version * 4 + result.count * 2 + 1) / (result.count * 2 - 2) * 2;
    result.position[0] = 6;
    int position = SymbolSize(version) - 7;
    for (int i = result.count - 1; i >= 1; --i, position -= step) {
        result.position[static_cast<std::size_t>(i)] = static_cast<uint8_t>(position);
    }
    return result;
}

} // namespace qr
