#pragma once
// The calculator's channel list: its seven columns, the cells a channel
// group shows in a row, and the loads the calculations read back from the
// checked rows (channels and bit rate, from the texts of their columns).
#include "capacity/capacity_calc.h"
#include "capacity/capacity_channel.h"

#include <array>
#include <vector>

class CMyColorListCtrlEx;
class QString;

enum CapacityColumn : int {
    kColCheck = 0, // the row's check box, no text
    kColChannels,
    kColStandard,
    kColQuality,
    kColResolution,
    kColFrameRate,
    kColBitRate,
    kCapacityColumnCount,
};

struct CapacityColumnSpec {
    const char* headerKey;
    int width;
};

inline constexpr std::array<CapacityColumnSpec, kCapacityColumnCount> kCapacityColumns = {{
    {"ck.All", 42},
    {"ck.Channels", 68},
    {"ck.Vedio_Standard", 100},
    {"ck.Image_Quality", 115},
    {"ck.Resolution", 95},
    {"ck.Frame_Rate", 115},
    {"ck.Bit_Rate", 100},
}};

// The text of a quality level in the current language.
QString QualityText(int quality);
// Writes columns 1 to 6 of a row from the group and keeps its quality id as
// the row's data.
void WriteChannelRow(CMyColorListCtrlEx& list, int row, const CapacityChannel& channel);
// Appends an unchecked row for the group; returns its index.
int AppendChannelRow(CMyColorListCtrlEx& list, const CapacityChannel& channel);
// Channels and bit rate of every checked row, read back from their texts.
std::vector<capacity::ChannelLoad> CheckedLoads(const CMyColorListCtrlEx& list);
