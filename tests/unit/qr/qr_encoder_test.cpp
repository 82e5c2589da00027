// Encoder details a decoder does not show: version choice, codewords, the
// standard's tables and the fixed format information.
#include "qr/qr_encoder.h"
#include "qr/qr_tables.h"
#include "qr/reed_solomon.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(QrTables, LevelQBlockStructure) {
    const qr::BlockLayout v1 = qr::LevelQLayout(1);
    EXPECT_EQ(v1.totalCodewords, 26);
    EXPECT_EQ(v1.dataCodewords, 13);
    EXPECT_EQ(qr::LevelQLayout(4).dataCodewords, 48);
    // Version 5-Q: 2 blocks of 15 and 2 blocks of 16 data codewords, 18 ECC each.
    const qr::BlockLayout v5 = qr::LevelQLayout(5);
    EXPECT_EQ(v5.totalCodewords, 134);
    EXPECT_EQ(v5.blocks, 4);
    EXPECT_EQ(v5.shortBlocks, 2);
    EXPECT_EQ(v5.shortBlockData, 15);
    EXPECT_EQ(v5.eccPerBlock, 18);
    EXPECT_EQ(qr::LevelQLayout(8).dataCodewords, 110);
    EXPECT_EQ(qr::LevelQLayout(9).dataCodewords, 132);
    EXPECT_EQ(qr::LevelQLayout(10).dataCodewords, 154);
    EXPECT_EQ(qr::LevelQLayout(26).dataCodewords, 754);
    const qr::BlockLayout v40 = qr::LevelQLayout(40);
    EXPECT_EQ(v40.totalCodewords, 3706);
    EXPECT_EQ(v40.dataCodewords, 1666);
    EXPECT_EQ(v40.blocks, 68);
    EXPECT_EQ(v40.shortBlocks, 34);
    EXPECT_EQ(v40.shortBlockData, 24);
}

TEST(QrTables, AlignmentPatternPositions) {
    auto positions = [](int version) {
        const qr::AlignmentPositions p = qr::AlignmentPatternPositions(version);
        return std::vector<int>(p.position.begin(), p.position.begin() + p.count);
    };
    EXPECT_TRUE(positions(1).empty());
    EXPECT_EQ(positions(2), (std::vector<int>{6, 18}));
    EXPECT_EQ(positions(7), (std::vector<int>{6, 22, 38}));
    EXPECT_EQ(positions(14), (std::vector<int>{6, 26, 46, 66}));
    EXPECT_EQ(positions(32), (std::vector<int>{6, 34, 60, 86, 112, 138}));
    EXPECT_EQ(positions(36), (std::vector<int>{6, 24, 50, 76, 102, 128, 154}));
    EXPECT_EQ(positions(40), (std::vector<int>{6, 30, 58, 86, 114, 142, 170}));
}

TEST(QrTables, VersionGroups) {
    EXPECT_EQ(qr::VersionGroup(1), 1);
    EXPECT_EQ(qr::VersionGroup(9), 1);
    EXPECT_EQ(qr::VersionGroup(10), 2);
    EXPECT_EQ(qr::VersionGroup(26), 2);
    EXPECT_EQ(qr::VersionGroup(27), 3);
    EXPECT_EQ(qr::VersionGroup(40), 3);
}

TEST(QrReedSolomon, PublishedExampleBlock) {
    // "01234567" at version 1-M: 16 data codewords, 10 ECC codewords.
    const std::array<uint8_t, 16> data = {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11,
                                          0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11};
    std::array<uint8_t, 10> ecc{};
    qr::ReedSolomonEncode(data, ecc);
    EXPECT_EQ(ecc, (std::array<uint8_t, 10>{0xA5, 0x24, 0xD4, 0xC1, 0xED, 0x36, 0xC7, 0x87, 0x2C, 0x55}));
}

// Every block of data + ECC codewords must evaluate to zero at the
// generator's roots.
bool SyndromesAreZero(const std::vector<uint8_t>& block, int eccLength) {
    for (int root = 0; root < eccLength; ++root) {
        uint8_t value = 0;
        for (const uint8_t codeword : block) {
            value = static_cast<uint8_t>(qr::GfMultiply(value, qr::GfPower(root)) ^ codeword);
        }
        if (value != 0) {
            return false;
        }
    }
    return true;
}

TEST(QrEncoder, InterleavedBlocksAreValidCodewords) {
    for (const int version : {5, 13, 27, 40}) {
        qr::QrEncoder encoder;
        ASSERT_TRUE(encoder.Encode(std::string(40, 'x'), version));
        ASSERT_EQ(encoder.Version(), version);
        const qr::BlockLayout layout = qr::LevelQLayout(version);
        const std::vector<uint8_t>& all = encoder.Codewords();
        ASSERT_EQ(static_cast<int>(all.size()), layout.totalCodewords);
        // De-interleave: data codewords round-robin (short blocks drop out
        // of the last round), then ECC codewords round-robin.
        std::vector<std::vector<uint8_t>> blocks(static_cast<std::size_t>(layout.blocks));
        std::size_t at = 0;
        for (int i = 0; i <= layout.shortBlockData; ++i) {
            for (int b = 0; b < layout.blocks; ++b) {
                if (i < layout.shortBlockData || b >= layout.shortBlocks) {
                    blocks[static_cast<std::size_t>(b)].push_back(all[at++]);
                }
            }
        }
        for (int i = 0; i < layout.eccPerBlock; ++i) {
            for (auto& block : blocks) {
                block.push_back(all[at++]);
            }
        }
        // The first data codeword starts with the byte mode indicator.
        EXPECT_EQ(blocks[0][0] >> 4, 0x4);
        for (const auto& block : blocks) {
            EXPECT_TRUE(SyndromesAreZero(block, layout.eccPerBlock)) << "version " << version;
        }
    }
}

TEST(QrEncoder, DataCodewordsWithTerminatorAndPadding) {
    qr::QrEncoder encoder;
    // 0001 0000001000 0000001100 0101011001 1000011, terminator, pad bits,
    // then 0xEC 0x11 alternately up to the 13 data codewords of 1-Q.
    ASSERT_TRUE(encoder.Encode("01234567", 1));
    ASSERT_EQ(encoder.Version(), 1);
    const std::vector<uint8_t> data(encoder.Codewords().begin(), encoder.Codewords().begin() + 13);
    EXPECT_EQ(data, (std::vector<uint8_t>{0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11, 0xEC, 0x11, 0xEC,
                                          0x11, 0xEC}));
    // 24 bits of data exactly: the terminator takes a codeword of its own.
    ASSERT_TRUE(encoder.Encode("123", 1));
    EXPECT_EQ(std::vector<uint8_t>(encoder.Codewords().begin(), encoder.Codewords().begin() + 6),
              (std::vector<uint8_t>{0x10, 0x0C, 0x7B, 0x00, 0xEC, 0x11}));
    // 27 digits fill the 104 data bits of 1-Q exactly: no terminator, no pad.
    ASSERT_TRUE(encoder.Encode(std::string(27, '9'), 1));
    EXPECT_EQ(encoder.Version(), 1);
    EXPECT_EQ(encoder.Codewords()[12], 0xE7); // last 8 bits of 999 = 1111100111
    ASSERT_TRUE(encoder.Encode(std::string(28, '9'), 1));
    EXPECT_EQ(encoder.Version(), 2);
}

TEST(QrEncoder, VersionSearchAndFloor) {
    qr::QrEncoder encoder;
    // ABC123 fits version 1 but is drawn at the requested version 4.
    ASSERT_TRUE(encoder.Encode("ABC123", 4));
    EXPECT_EQ(encoder.Version(), 4);
    EXPECT_EQ(encoder.Matrix().Size(), 33);
    ASSERT_TRUE(encoder.Encode("ABC123", 1));
    EXPECT_EQ(encoder.Version(), 1);
    // 100 lower-case letters: 812 bits, 102 codewords, version 8 (110).
    ASSERT_TRUE(encoder.Encode(std::string(100, 'z'), 4));
    EXPECT_EQ(encoder.Version(), 8);
    EXPECT_EQ(encoder.Matrix().Size(), 49);
    // 127 bytes still fit group 1 (version 9, 132 codewords).
    ASSERT_TRUE(encoder.Encode(std::string(127, 'z'), 4));
    EXPECT_EQ(encoder.Version(), 9);
    // 140 bytes do not: group 2 with a 16-bit count, version 10.
    ASSERT_TRUE(encoder.Encode(std::string(140, 'z'), 4));
    EXPECT_EQ(encoder.Version(), 10);
    EXPECT_EQ(encoder.Codewords()[0], 0x40); // 0100 then the high bits of the 16-bit count
    // A search that starts in group 2 never goes back to group 1.
    ASSERT_TRUE(encoder.Encode("1", 12));
    EXPECT_EQ(encoder.Version(), 12);
    // 1666 data codewords of version 40-Q: 1663 bytes fit, 1664 do not.
    ASSERT_TRUE(encoder.Encode(std::string(1663, 'z'), 4));
    EXPECT_EQ(encoder.Version(), 40);
    EXPECT_FALSE(encoder.Encode(std::string(1664, 'z'), 4));
    // 3993 digits are the most version 40-Q holds.
    ASSERT_TRUE(encoder.Encode(std::string(3993, '5'), 4));
    EXPECT_EQ(encoder.Version(), 40);
    EXPECT_FALSE(encoder.Encode(std::string(3994, '5'), 4));
    EXPECT_FALSE(encoder.Encode(std::string(100000, '5'), 4));
    EXPECT_FALSE(encoder.Encode("", 4));
    EXPECT_FALSE(encoder.Encode("x", 0));
    EXPECT_FALSE(encoder.Encode("x", 41));
}

TEST(QrMatrix, FormatAndVersionInformation) {
    // Level Q, mask 0.
    EXPECT_EQ(qr::QrMatrix::FormatBits(), 0b011010101011111U);
    EXPECT_EQ(qr::QrMatrix::VersionBits(7), 0x07C94U);
    EXPECT_EQ(qr::QrMatrix::VersionBits(40), 0x28C69U);
    const qr::QrMatrix matrix(7);
    // Version information next to the top-right finder, least significant bit first.
    EXPECT_FALSE(matrix.IsDark(45 - 11, 0));
    EXPECT_FALSE(matrix.IsDark(45 - 10, 0));
    EXPECT_TRUE(matrix.IsDark(45 - 9, 0));
    EXPECT_TRUE(matrix.IsDark(0, 45 - 9));
    // Format bit 14 (0) next to the top-left finder, bit 0 (1) at the top of column 8.
    EXPECT_FALSE(matrix.IsDark(0, 8));
    EXPECT_TRUE(matrix.IsDark(8, 0));
    // The dark module.
    EXPECT_TRUE(matrix.IsDark(8, 45 - 8));
}

TEST(QrMatrix, MaskZeroInvertsOnlyDataModules) {
    qr::QrMatrix blank(4);
    qr::QrMatrix masked(4);
    masked.ApplyMask0();
    for (int y = 0; y < 33; ++y) {
        for (int x = 0; x < 33; ++x) {
            const bool inverted = !masked.IsFunction(x, y) && (x + y) % 2 == 0;
            EXPECT_EQ(masked.IsDark(x, y), blank.IsDark(x, y) != inverted) << x << "," << y;
        }
    }
}

} // namespace
