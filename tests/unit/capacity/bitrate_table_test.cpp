// The bit-rate table, its interpolation and the channel editor's list rules.
#include "capacity/bitrate_table.h"

#include <gtest/gtest.h>

namespace {

using capacity::VideoStandard;

constexpr int k1080P = 10;

uint16_t BitRate(VideoStandard standard, int id, int quality, int frameRate) {
    const auto table = capacity::BuildWorkingTable(standard, id);
    EXPECT_TRUE(table);
    return table ? table->At(quality, frameRate) : 0;
}

TEST(BitRateTable, PalAnd1080PBestQuality) {
    EXPECT_EQ(BitRate(VideoStandard::Pal, k1080P, 5, 25), 8192);
    EXPECT_EQ(BitRate(VideoStandard::Pal, k1080P, 5, 1), 1527);
    // 1527 + 11 x (8192 - 1527) / 24 + 0.5 = 4582.29...
    EXPECT_EQ(BitRate(VideoStandard::Pal, k1080P, 5, 12), 4582);
}

TEST(BitRateTable, NtscSpansThirtyFrameRates) {
    EXPECT_EQ(BitRate(VideoStandard::Ntsc, k1080P, 5, 30), 8192);
    EXPECT_EQ(BitRate(VideoStandard::Ntsc, k1080P, 5, 1), 1305);
    // 720P lowest: 163 + 14 x (1024 - 163) / 29 + 0.5 = 579.15...
    EXPECT_EQ(BitRate(VideoStandard::Ntsc, 9, 0, 15), 579);
    const auto table = capacity::BuildWorkingTable(VideoStandard::Ntsc, k1080P);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->FrameRates(), 30);
    EXPECT_FALSE(table->Offered(31));
    EXPECT_FALSE(table->Offered(0));
    const auto pal = capacity::BuildWorkingTable(VideoStandard::Pal, k1080P);
    EXPECT_FALSE(pal->Offered(26));
    EXPECT_EQ(pal->Offered(25), (std::array<uint16_t, 6>{1024, 2048, 3072, 4096, 6144, 8192}));
}

TEST(BitRateTable, SpotValuesOfBothStandards) {
    EXPECT_EQ(BitRate(VideoStandard::Pal, 0, 0, 1), 95);       // D1
    EXPECT_EQ(BitRate(VideoStandard::Pal, 6, 3, 25), 480);     // QVGA
    EXPECT_EQ(BitRate(VideoStandard::Pal, 19, 0, 1), 167);     // 960H
    EXPECT_EQ(BitRate(VideoStandard::Pal, 26, 5, 25), 16384);  // 8M
    EXPECT_EQ(BitRate(VideoStandard::Ntsc, 19, 0, 1), 142);    // 960H
    EXPECT_EQ(BitRate(VideoStandard::Ntsc, 15, 4, 1), 795);    // WSXGA
    EXPECT_EQ(BitRate(VideoStandard::Ntsc, 27, 5, 1), 1909);   // 4M(2592x1520): same as PAL
    EXPECT_EQ(BitRate(VideoStandard::Ntsc, 29, 4, 30), 12288); // 4K
}

TEST(BitRateTable, EveryRowRunsFromItsLowToItsHighValue) {
    for (const VideoStandard standard : {VideoStandard::Pal, VideoStandard::Ntsc}) {
        for (int id = 0; id < capacity::kResolutionIds; ++id) {
            const capacity::AnchorRow* row = capacity::FindAnchorRow(standard, id);
            ASSERT_NE(row, nullptr);
            const capacity::WorkingTable table(standard, *row);
            for (int q = 0; q < capacity::kQualityLevels; ++q) {
                const auto qi = static_cast<std::size_t>(q);
                EXPECT_LE(row->low[qi], row->high[qi]) << id;
                if (q > 0) {
                    EXPECT_LE(row->low[qi - 1], row->low[qi]) << id; // better quality, more bits
                }
                EXPECT_EQ(table.At(q, 1), row->low[qi]);
                EXPECT_EQ(table.At(q, table.FrameRates()), row->high[qi]);
                for (int f = 2; f <= table.FrameRates(); ++f) {
                    EXPECT_LE(table.At(q, f - 1), table.At(q, f));
                }
            }
        }
    }
    EXPECT_EQ(capacity::FindAnchorRow(VideoStandard::Pal, 32), nullptr);
    EXPECT_EQ(capacity::FindAnchorRow(VideoStandard::Ntsc, -1), nullptr);
    EXPECT_FALSE(capacity::BuildWorkingTable(VideoStandard::Pal, 32));
}

TEST(BitRateTable, FourMegapixelRealTimeIdsOfferNothing) {
    for (const int id : {30, 31}) {
        for (const VideoStandard standard : {VideoStandard::Pal, VideoStandard::Ntsc}) {
            const auto table = capacity::BuildWorkingTable(standard, id);
            ASSERT_TRUE(table);
            for (int f = 1; f <= table->FrameRates(); ++f) {
                EXPECT_EQ(table->Offered(f), (std::array<uint16_t, 6>{}));
            }
        }
    }
    EXPECT_EQ(capacity::CanonicalResolutionName(30), "4M(NRT)");
    EXPECT_EQ(capacity::CanonicalResolutionName(31), "4M(RT)");
}

TEST(BitRateTable, NamesAndKeys) {
    EXPECT_EQ(capacity::CanonicalResolutionName(0), "D1");
    EXPECT_EQ(capacity::CanonicalResolutionName(20), "1080P Lite");
    EXPECT_EQ(capacity::CanonicalResolutionName(27), "4M(2592x1520)");
    EXPECT_EQ(capacity::CanonicalResolutionName(32), "");
    EXPECT_EQ(capacity::QualityKey(0), "tx.Image_quality_lowest");
    EXPECT_EQ(capacity::QualityKey(5), "tx.Image_quality_best");
    EXPECT_EQ(capacity::QualityKey(6), "");
    EXPECT_EQ(capacity::ParseVideoStandard("PAL"), VideoStandard::Pal);
    EXPECT_EQ(capacity::ParseVideoStandard("NTSC"), VideoStandard::Ntsc);
    EXPECT_FALSE(capacity::ParseVideoStandard("pal"));
    EXPECT_FALSE(capacity::ParseVideoStandard("SECAM"));
}

TEST(ChannelEditorRules, FrameRateSurvivesAChangeOfStandard) {
    EXPECT_EQ(capacity::FrameRateItems(VideoStandard::Pal).size(), 25U);
    EXPECT_EQ(capacity::FrameRateItems(VideoStandard::Ntsc).back(), "30");
    // NTSC at 30 frame/s going to PAL selects 25 (index 24).
    EXPECT_EQ(capacity::FrameRateSelection("30", VideoStandard::Pal), 24);
    EXPECT_EQ(capacity::FrameRateSelection("30", VideoStandard::Ntsc), 29);
    EXPECT_EQ(capacity::FrameRateSelection("12", VideoStandard::Ntsc), 11);
    EXPECT_EQ(capacity::FrameRateSelection("12", VideoStandard::Pal), 11);
    // Nothing chosen yet counts as 25.
    EXPECT_EQ(capacity::FrameRateSelection("", VideoStandard::Ntsc), 24);
    EXPECT_EQ(capacity::FrameRateSelection("0", VideoStandard::Pal), 24);
}

TEST(ChannelEditorRules, ResolutionLookupFallsBackToTheSmallestId) {
    const capacity::ResolutionList list = {{5, "VGA"}, {10, "1080P"}, {30, "4M(NRT)"}};
    EXPECT_EQ(capacity::ResolveResolutionId(10, list), 10);
    EXPECT_EQ(capacity::ResolveResolutionId(31, list), 31);
    EXPECT_EQ(capacity::ResolveResolutionId(std::nullopt, list), 5);
    EXPECT_EQ(capacity::ResolveResolutionId(32, list), 5);
    EXPECT_EQ(capacity::ResolveResolutionId(-1, list), 5);
    EXPECT_EQ(capacity::ResolveResolutionId(std::nullopt, {}), std::nullopt);
    // A list whose smallest id has no anchor row: no working table, no offers.
    const auto id = capacity::ResolveResolutionId(std::nullopt, {{-1, "Odd"}, {40, "Other"}});
    EXPECT_EQ(id, -1);
    EXPECT_FALSE(capacity::BuildWorkingTable(VideoStandard::Pal, *id));
}

TEST(ChannelEditorRules, QualityFollowsTheSelectedBitRate) {
    EXPECT_EQ(capacity::QualitySelection(0), 0);
    EXPECT_EQ(capacity::QualitySelection(3), 3);
    EXPECT_EQ(capacity::QualitySelection(std::nullopt), 5);
    EXPECT_EQ(capacity::QualitySelection(6), 5);
    EXPECT_EQ(capacity::QualitySelection(-1), 5);
}

} // namespace
