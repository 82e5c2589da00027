// The runs the encoder chooses: what a decoder cannot tell apart, since any
// segmentation decodes to the same text.
#include "qr/qr_segments.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using qr::QrMode;
using qr::QrRun;
using Runs = std::vector<QrRun>;

constexpr QrMode N = QrMode::Numeric;
constexpr QrMode A = QrMode::Alphanumeric;
constexpr QrMode B = QrMode::Byte;
constexpr QrMode K = QrMode::Kanji;

TEST(QrSegments, RunCostsPerModeAndGroup) {
    // Mode indicator + count indicator + data bits.
    EXPECT_EQ(qr::RunBits(N, 1, 1), 4 + 10 + 4);
    EXPECT_EQ(qr::RunBits(N, 2, 1), 4 + 10 + 7);
    EXPECT_EQ(qr::RunBits(N, 9, 1), 4 + 10 + 30);
    EXPECT_EQ(qr::RunBits(A, 3, 1), 4 + 9 + 11 + 6);
    EXPECT_EQ(qr::RunBits(B, 100, 1), 812); // 100 lower-case letters
    EXPECT_EQ(qr::RunBits(K, 4, 1), 4 + 8 + 26);
    EXPECT_EQ(qr::RunBits(N, 1, 2), 4 + 12 + 4);
    EXPECT_EQ(qr::RunBits(A, 2, 2), 4 + 11 + 11);
    EXPECT_EQ(qr::RunBits(B, 1, 2), 4 + 16 + 8);
    EXPECT_EQ(qr::RunBits(K, 2, 2), 4 + 10 + 13);
    EXPECT_EQ(qr::RunBits(N, 3, 3), 4 + 14 + 10);
    EXPECT_EQ(qr::RunBits(A, 1, 3), 4 + 13 + 6);
    EXPECT_EQ(qr::RunBits(B, 1, 3), 4 + 16 + 8);
    EXPECT_EQ(qr::RunBits(K, 2, 3), 4 + 12 + 13);
}

TEST(QrSegments, CharacterClasses) {
    for (const char c : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:")) {
        EXPECT_GE(qr::AlphanumericIndex(static_cast<uint8_t>(c)), 0) << c;
    }
    EXPECT_EQ(qr::AlphanumericIndex(':'), 44);
    for (const char c : std::string("az_@#!,;=?\"'\t")) {
        EXPECT_EQ(qr::AlphanumericIndex(static_cast<uint8_t>(c)), -1) << c;
    }
}

TEST(QrSegments, KanjiPairRules) {
    // Lead byte ranges 0x81-0x9F and 0xE0-0xEB, trail byte from 0x40.
    EXPECT_TRUE(qr::IsKanjiPair(0x81, 0x40));
    EXPECT_TRUE(qr::IsKanjiPair(0x81, 0xFF));
    EXPECT_FALSE(qr::IsKanjiPair(0x81, 0x3F));
    EXPECT_FALSE(qr::IsKanjiPair(0x80, 0x40));
    EXPECT_FALSE(qr::IsKanjiPair(0xA0, 0x80));
    EXPECT_FALSE(qr::IsKanjiPair(0xDF, 0x80));
    EXPECT_TRUE(qr::IsKanjiPair(0xE0, 0x40));
    EXPECT_FALSE(qr::IsKanjiPair(0xEC, 0x40));
    // The last lead bytes of each range stop early.
    EXPECT_TRUE(qr::IsKanjiPair(0x9F, 0xFC));
    EXPECT_FALSE(qr::IsKanjiPair(0x9F, 0xFD));
    EXPECT_TRUE(qr::IsKanjiPair(0xEB, 0xBF));
    EXPECT_FALSE(qr::IsKanjiPair(0xEB, 0xC0));
}

TEST(QrSegments, SplitCountsKanjiPairsAsTwoBytes) {
    EXPECT_EQ(qr::SplitIntoRuns("\x81\x40\x9F\xFC"), (Runs{{K, 4}}));
    // A lead byte without a valid trail byte is a byte of its own.
    EXPECT_EQ(qr::SplitIntoRuns("\x81\x40\x81"), (Runs{{K, 2}, {B, 1}}));
    EXPECT_EQ(qr::SplitIntoRuns("\x81"
                                "1"),
              (Runs{{B, 1}, {N, 1}}));
    EXPECT_EQ(qr::SplitIntoRuns("\x9F\xFD"), (Runs{{B, 2}}));
    EXPECT_EQ(qr::SplitIntoRuns("ab12CD\xE0\x40."), (Runs{{B, 2}, {N, 2}, {A, 2}, {K, 2}, {A, 1}}));
}

struct SegmentCase {
    std::string text;
    int group;
    Runs expected;
};

class QrSegmentText : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(QrSegmentText, GivesTheRunsTheMergePassesChoose) {
    const SegmentCase& c = GetParam();
    EXPECT_EQ(qr::SegmentText(c.text, c.group), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, QrSegmentText,
                         ::testing::Values(
                             // A digit string stays numeric.
                             SegmentCase{"0123456789", 1, {{N, 10}}},
                             // A1B2: the first pass joins numeric and alphanumeric neighbours into one run.
                             SegmentCase{"A1B2", 1, {{A, 4}}}, SegmentCase{"ABC123", 1, {{A, 6}}},
                             // a1: the second pass joins the digit into the byte run.
                             SegmentCase{"a1", 1, {{B, 2}}}, SegmentCase{"a1", 2, {{B, 2}}},
                             // Numeric run long enough to be worth its own header.
                             SegmentCase{"abc123456789", 1, {{B, 3}, {N, 9}}},
                             // First pass, front option: the byte run takes the alphanumeric run
                             // (52 bits against 55 for byte + alphanumeric).
                             SegmentCase{"aB123", 1, {{B, 2}, {N, 3}}},
                             // First pass, back option: the alphanumeric run becomes bytes with
                             // the byte run behind it.
                             SegmentCase{"123Bx", 1, {{N, 3}, {B, 2}}},
                             // First pass, front option dropped: joined alphanumerically, then
                             // the second pass joins that into the byte run.
                             SegmentCase{"a1B", 1, {{B, 3}}},
                             // Second pass counts the header saved by absorbing a byte neighbour.
                             SegmentCase{"ab1234cd", 1, {{B, 8}}},
                             // Kanji: a single character joins its byte neighbour, a run of four stays.
                             SegmentCase{"\x88\x9F"
                                         "a",
                                         1,
                                         {{B, 3}}},
                             SegmentCase{"\x88\x9F\x93\xFA\x96\x7B\xE0\x40"
                                         "1",
                                         1,
                                         {{K, 8}, {N, 1}}}));

TEST(QrSegments, HundredLowerCaseLettersAreOneByteRun) {
    EXPECT_EQ(qr::SegmentText(std::string(100, 'q'), 1), (Runs{{B, 100}}));
}

TEST(QrSegments, FirstPassLeavesPairsThatAreCheaperApart) {
    // 9 digits + 1 letter: 44 + 19 bits apart, 68 joined.
    Runs runs{{N, 9}, {A, 1}};
    qr::MergeNumericAlphanumeric(runs, 1);
    EXPECT_EQ(runs, (Runs{{N, 9}, {A, 1}}));
}

TEST(QrSegments, FirstPassRescansTheMergedRun) {
    // A1 N1 A1 N1: the first pair absorbs the following letter, then the
    // merged run is compared with the last digit again.
    Runs runs{{A, 1}, {N, 1}, {A, 1}, {N, 1}};
    qr::MergeNumericAlphanumeric(runs, 1);
    EXPECT_EQ(runs, (Runs{{A, 4}}));
}

TEST(QrSegments, SecondPassResumesBeforeTheMergedRun) {
    // K2 N3 A1 B1: the Kanji pair and the digits are cheaper apart (49 bits
    // against 52); the digits and the letter join the byte behind them (43
    // bits against 44, less the 12 of the byte header saved); the scan steps
    // back, and the Kanji pair now joins the byte run (25 + 52 against 68).
    Runs runs{{K, 2}, {N, 3}, {A, 1}, {B, 1}};
    qr::MergeIntoBytes(runs, 1);
    EXPECT_EQ(runs, (Runs{{B, 7}}));
    // Byte neighbours on both sides are taken in; the merged run is compared
    // again with its new neighbour.
    runs = {{B, 2}, {N, 4}, {B, 2}, {N, 9}};
    qr::MergeIntoBytes(runs, 1);
    EXPECT_EQ(runs, (Runs{{B, 8}, {N, 9}}));
    runs = {{K, 2}, {B, 1}, {N, 1}};
    qr::MergeIntoBytes(runs, 1);
    EXPECT_EQ(runs, (Runs{{B, 4}}));
}

} // namespace
