#pragma once
// The built-in bit-rate table: for each video standard and resolution id an
// anchor row of bit rates at 1 frame/s and at the standard's highest frame
// rate, interpolated linearly into a working table over every frame rate.
#include "capacity/resolution_list.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace capacity {

enum class VideoStandard { Pal, Ntsc };

inline constexpr int kResolutionIds = 32; // ids 0..31
inline constexpr int kQualityLevels = 6;  // ids 0..5
inline constexpr int kBestQuality = 5;    // the default level
inline constexpr int kMaxFrameRateOfAny = 30;

// "PAL" or "NTSC" exactly; nullopt for anything else.
std::optional<VideoStandard> ParseVideoStandard(std::string_view text);
std::string_view VideoStandardName(VideoStandard standard);
// N: 25 for PAL, 30 for NTSC.
int MaxFrameRate(VideoStandard standard);

// Canonical name of a resolution id ("D1", "1080P", ...); empty outside 0..31.
std::string_view CanonicalResolutionName(int id);
// Language key of a quality level ("tx.Image_quality_best", ...); empty outside 0..5.
std::string_view QualityKey(int quality);

// Bit rates in Kb/s for quality ids 0..5 at 1 frame/s (low) and at N frames/s (high).
struct AnchorRow {
    std::array<uint16_t, kQualityLevels> low{};
    std::array<uint16_t, kQualityLevels> high{};
};
// nullptr when the id has no row (outside 0..31).
const AnchorRow* FindAnchorRow(VideoStandard standard, int resolutionId);

// Bit rates of one resolution for every quality id and frame rate 1..N.
class WorkingTable {
public:
    WorkingTable(VideoStandard standard, const AnchorRow& anchors);

    VideoStandard Standard() const { return m_standard; }
    int FrameRates() const { return MaxFrameRate(m_standard); }
    // quality 0..5, frameRate 1..N.
    uint16_t At(int quality, int frameRate) const;
    // The six bit rates offered at a frame rate, quality ids 0..5 in order;
    // nullopt when the frame rate is outside 1..N.
    std::optional<std::array<uint16_t, kQualityLevels>> Offered(int frameRate) const;

private:
    VideoStandard m_standard;
    std::array<std::array<uint16_t, kMaxFrameRateOfAny>, kQualityLevels> m_values{};
};

// The working table of a resolution; nullopt when the id has no anchor row.
std::optional<WorkingTable> BuildWorkingTable(VideoStandard standard, int resolutionId);

// The resolution id the working table is built for: the selected item's id
// when it lies in 0..31, else the smallest id of the list; nullopt when
// nothing is selected and the list is empty.
std::optional<int> ResolveResolutionId(std::optional<int> selectedId, const ResolutionList& resolutions);

// The frame-rate list of a standard: "1" .. "N".
std::vector<std::string> FrameRateItems(VideoStandard standard);
// Index to select after refilling the frame-rate list: the previous frame
// rate (text; empty or 0 counts as 25) capped at N, so a frame rate survives
// a change of standard.
int FrameRateSelection(std::string_view previousFrameRateText, VideoStandard standard);
// Position to select in the bit-rate list: the selected quality item's data,
// or the best level when nothing is selected or the data is out of range.
int QualitySelection(std::optional<int> selectedQualityData);

} // namespace capacity
