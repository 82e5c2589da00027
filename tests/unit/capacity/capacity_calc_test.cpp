// The calculator page's two results, with its own integer and
// single-precision steps.
#include "capacity/capacity_calc.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

using capacity::ChannelLoad;
using Rows = std::vector<ChannelLoad>;

constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();

TEST(RecordDays, OneChannelAt1024KbpsOnA1000GbDisk) {
    // 1000 x 7812500 / (24 x 3600 x 1024) = 88.3
    EXPECT_EQ(capacity::RecordDaysForDisk(1000, 24, Rows{{1, 1024}}), 88);
    EXPECT_EQ(capacity::RecordDaysForDisk(1000, 12, Rows{{1, 1024}}), 176);
}

TEST(RecordDays, ChannelsMultiplyTheBitRate) {
    EXPECT_EQ(capacity::RecordDaysForDisk(8000, 24, Rows{{4, 2048}}),
              capacity::RecordDaysForDisk(8000, 24, Rows{{1, 8192}}));
    EXPECT_EQ(capacity::RecordDaysForDisk(8000, 24, Rows{{4, 2048}, {2, 1024}}),
              capacity::RecordDaysForDisk(8000, 24, Rows{{1, 10240}}));
}

TEST(RecordDays, AnyZeroFactorGivesZero) {
    EXPECT_EQ(capacity::RecordDaysForDisk(0, 24, Rows{{1, 1024}}), 0);
    EXPECT_EQ(capacity::RecordDaysForDisk(1000, 0, Rows{{1, 1024}}), 0);
    EXPECT_EQ(capacity::RecordDaysForDisk(1000, 24, Rows{}), 0);
    EXPECT_EQ(capacity::RecordDaysForDisk(1000, 24, Rows{{1, 0}}), 0);
    // A tiny disk for a big load: less than one day.
    EXPECT_EQ(capacity::RecordDaysForDisk(1, 24, Rows{{64, 16384}}), 0);
}

TEST(RecordDays, ResultIsRoundedToSinglePrecisionBeforeTruncation) {
    // Exactly 2170138.88... days; in single precision 2170139.
    EXPECT_EQ(capacity::RecordDaysForDisk(1000, 1, Rows{{1, 1}}), 2170139);
}

TEST(RecordDays, HugeResultsSaturate) {
    EXPECT_EQ(capacity::RecordDaysForDisk(999999999, 1, Rows{{1, 1}}), kMaxInt);
}

TEST(DiskSize, ThirtyDaysOfOneChannelAt1024Kbps) {
    // 24 x 3600 x 1024 x 30 x 128 / 10^9 = 339.7 GB, shown as 340.
    EXPECT_EQ(capacity::DiskGbForDays(30, 24, Rows{{1, 1024}}), 340);
}

TEST(DiskSize, AWholeTotalShowsOneMore) {
    // 24 x 3600 x 2979 x 366 kilobits is 12058.0006 GB, exactly 12058 in
    // single precision: shown as 12059.
    EXPECT_EQ(capacity::DiskGbForDays(366, 24, Rows{{1, 2979}}), 12059);
    // Just under one GB shows 1.
    EXPECT_EQ(capacity::DiskGbForDays(1, 1, Rows{{1, 1024}}), 1);
}

TEST(DiskSize, RowsAreSummedOneByOne) {
    EXPECT_EQ(capacity::DiskGbForDays(30, 24, Rows{{4, 2048}}),
              capacity::DiskGbForDays(30, 24, Rows{{1, 8192}}));
    // Two rows of 339.7 GB: 679.4 in all, shown as 680.
    EXPECT_EQ(capacity::DiskGbForDays(30, 24, Rows{{1, 1024}, {1, 1024}}), 680);
    // A row of zero bit rate adds nothing.
    EXPECT_EQ(capacity::DiskGbForDays(30, 24, Rows{{1, 1024}, {3, 0}}), 340);
}

TEST(DiskSize, AnyZeroFactorGivesZero) {
    EXPECT_EQ(capacity::DiskGbForDays(0, 24, Rows{{1, 1024}}), 0);
    EXPECT_EQ(capacity::DiskGbForDays(30, 0, Rows{{1, 1024}}), 0);
    EXPECT_EQ(capacity::DiskGbForDays(30, 24, Rows{}), 0);
    EXPECT_EQ(capacity::DiskGbForDays(30, 24, Rows{{0, 1024}}), 0);
}

TEST(DiskSize, HugeResultsSaturate) {
    const Rows rows(2000, ChannelLoad{1024, 16384});
    EXPECT_EQ(capacity::DiskGbForDays(366, 24, rows), kMaxInt);
}

TEST(HiddenTotal, SumsPerChannelBitRates) {
    EXPECT_EQ(capacity::TotalBitRate(Rows{{4, 2048}}), 2048);
    EXPECT_EQ(capacity::TotalBitRate(Rows{{4, 2048}, {1, 512}}), 2560);
}

} // namespace
