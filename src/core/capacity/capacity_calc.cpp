#include "capacity/capacity_calc.h"

#include <cmath>
#include <limits>

namespace capacity {

namespace {

// 1 Kb/s is 128 bytes a second and 1 GB is 10^9 bytes: 10^9 / 128.
constexpr double kKbPerGb = 7812500.0;
// 128 / 10^9 as the page computes it: 2^-23 times 2^30 / 10^9 rounded to
// single precision.
constexpr double kGbPerKbScale = 0x1p-23;
constexpr double kTwoPow30OverBillion = 1.0737417936325073;
static_assert(static_cast<double>(static_cast<float>(kTwoPow30OverBillion)) == kTwoPow30OverBillion);

constexpr uint64_t kSecondsPerHour = 3600;

float ToSingle(double value) {
    return static_cast<float>(value);
}

// The whole part of a non-negative value, saturating at the largest int32.
int32_t WholePart(double value) {
    if (!(value > 0.0)) {
        return 0;
    }
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(value);
}

int64_t RowRate(const ChannelLoad& row) {
    return static_cast<int64_t>(row.channels) * row.bitRate;
}

} // namespace

int32_t RecordDaysForDisk(int32_t diskGb, int32_t hoursPerDay, std::span<const ChannelLoad> rows) {
    uint64_t totalRate = 0;
    for (const ChannelLoad& row : rows) {
        totalRate += static_cast<uint64_t>(RowRate(row));
    }
    if (diskGb <= 0 || hoursPerDay <= 0 || totalRate == 0) {
        return 0;
    }
    const float numerator = ToSingle(static_cast<double>(diskGb) * kKbPerGb);
    const uint64_t denominator = static_cast<uint64_t>(hoursPerDay) * kSecondsPerHour * totalRate;
    const float days = ToSingle(static_cast<double>(numerator) / static_cast<double>(denominator));
    return WholePart(days);
}

int32_t DiskGbForDays(int32_t days, int32_t hoursPerDay, std::span<const ChannelLoad> rows) {
    float total = 0.0F;
    for (const ChannelLoad& row : rows) {
        const int64_t rate = RowRate(row);
        if (days <= 0 || hoursPerDay <= 0 || rate <= 0) {
            continue;
        }
        // The 64-bit product, taken as unsigned.
        const uint64_t kilobits =
            static_cast<uint64_t>(hoursPerDay) * kSecondsPerHour * static_cast<uint64_t>(rate);
        const float rowKilobits = ToSingle(static_cast<double>(kilobits) * days);
        const float rowGb = ToSingle(static_cast<double>(rowKilobits) * kGbPerKbScale * kTwoPow30OverBillion);
        total += rowGb;
    }
    if (!(total > 0.0F)) {
        return 0;
    }
    // (10 x total + 10) / 10: the whole part plus one, so a whole total
    // shows one more (5 GB shows 6).
    return WholePart((10.0 * static_cast<double>(total) + 10.0) / 10.0);
}

int64_t TotalBitRate(std::span<const ChannelLoad> rows) {
    int64_t total = 0;
    for (const ChannelLoad& row : rows) {
        total += row.bitRate;
    }
    return total;
}

} // namespace capacity
