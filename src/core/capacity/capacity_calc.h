#pragma once
// The two capacity calculations of the calculator page, as pure functions of
// the checked rows and the edit values. The arithmetic (integer products,
// single-precision roundings, the "+1" of the disk size) is the page's own,
// so the numbers match what it has always shown.
#include <cstdint>
#include <span>

namespace capacity {

// One checked row as the page reads it back from its columns.
struct ChannelLoad {
    int32_t channels = 0; // column 1
    int32_t bitRate = 0;  // column 6, Kb/s per channel
};

// Recording days that a disk of diskGb (10^9 bytes) holds at hoursPerDay of
// recording a day; 0 when any factor is 0. Truncated to whole days.
int32_t RecordDaysForDisk(int32_t diskGb, int32_t hoursPerDay, std::span<const ChannelLoad> rows);

// Disk size in GB for `days` of recording at hoursPerDay; 0 when nothing is
// recorded, else the whole part of the size plus one.
int32_t DiskGbForDays(int32_t days, int32_t hoursPerDay, std::span<const ChannelLoad> rows);

// The (never shown) total: the sum of the per-channel bit rates.
int64_t TotalBitRate(std::span<const ChannelLoad> rows);

} // namespace capacity
