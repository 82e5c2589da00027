#include "capacity/bitrate_table.h"

#include "util/tool.h"

#include <algorithm>

namespace capacity {

namespace {

using AnchorTable = std::array<AnchorRow, kResolutionIds>;

// Kb/s at 1 frame/s for quality ids 0..5, then at 25 frames/s.
constexpr AnchorTable kPalAnchors = {{
    {{95, 143, 190, 286, 381, 477}, {512, 768, 1024, 1536, 2048, 2560}},         // 0 D1
    {{71, 95, 143, 190, 286, 381}, {384, 512, 768, 1024, 1536, 2048}},           // 1 HD1
    {{71, 95, 143, 190, 286, 381}, {384, 512, 768, 1024, 1536, 2048}},           // 2 BCIF
    {{11, 35, 71, 95, 143, 190}, {64, 192, 384, 512, 768, 1024}},                // 3 CIF
    {{11, 23, 35, 71, 83, 95}, {64, 128, 192, 384, 448, 512}},                   // 4 QCIF
    {{83, 119, 166, 238, 334, 432}, {448, 640, 896, 1280, 1792, 2304}},          // 5 VGA
    {{11, 30, 59, 89, 125, 160}, {64, 160, 320, 480, 672, 864}},                 // 6 QVGA
    {{71, 95, 143, 190, 286, 381}, {384, 512, 768, 1024, 1536, 2048}},           // 7 SVCD
    {{11, 23, 35, 71, 83, 95}, {64, 128, 192, 384, 448, 512}},                   // 8 QQVGA
    {{192, 286, 381, 477, 572, 763}, {1024, 1536, 2048, 2560, 3072, 4096}},      // 9 720P
    {{192, 381, 572, 763, 1145, 1527}, {1024, 2048, 3072, 4096, 6144, 8192}},    // 10 1080P
    {{131, 166, 238, 334, 477, 624}, {704, 896, 1280, 1792, 2560, 3328}},        // 11 SVGA
    {{183, 251, 346, 444, 572, 763}, {960, 1344, 1856, 2368, 3072, 4096}},       // 12 XVGA
    {{192, 300, 408, 504, 624, 840}, {1024, 1600, 2176, 2688, 3328, 4480}},      // 13 WXGA
    {{192, 324, 444, 572, 763, 1008}, {1024, 1728, 2368, 3072, 4096, 5376}},     // 14 SXGA
    {{192, 348, 504, 660, 936, 1248}, {1024, 1856, 2688, 3520, 4992, 6656}},     // 15 WSXGA
    {{192, 372, 552, 732, 1074, 1440}, {1024, 1984, 2944, 3904, 5728, 7680}},    // 16 UXGA
    {{192, 381, 572, 763, 1145, 1527}, {1024, 2048, 3072, 4096, 6144, 8192}},    // 17 WUXGA
    {{192, 312, 432, 552, 732, 960}, {1024, 1664, 2304, 2944, 3904, 5120}},      // 18 960P
    {{167, 190, 286, 381, 572, 763}, {896, 1024, 1536, 2048, 3072, 4096}},       // 19 960H
    {{192, 286, 381, 477, 572, 763}, {1024, 1536, 2048, 2560, 3072, 4096}},      // 20 1080P Lite
    {{286, 572, 763, 1145, 1527, 1909}, {1536, 3072, 4096, 6144, 8192, 10240}},  // 21 3M
    {{286, 572, 763, 1145, 1527, 1909}, {1536, 3072, 4096, 6144, 8192, 10240}},  // 22 4M(16:9)
    {{381, 572, 763, 1145, 1527, 1909}, {2048, 3072, 4096, 6144, 8192, 10240}},  // 23 5M
    {{286, 572, 763, 1145, 1527, 1909}, {1536, 3072, 4096, 6144, 8192, 10240}},  // 24 4M(4:3)
    {{381, 572, 763, 1145, 1527, 1909}, {2048, 3072, 4096, 6144, 8192, 10240}},  // 25 4X3_5M
    {{381, 572, 763, 1145, 1527, 1909}, {3072, 4096, 6144, 8192, 12288, 16384}}, // 26 8M
    {{381, 572, 763, 1145, 1527, 1909}, {2048, 3072, 4096, 6144, 8192, 10240}},  // 27 4M(2592x1520)
    {{381, 572, 763, 1145, 1527, 1909}, {2048, 3072, 4096, 6144, 8192, 10240}},  // 28 D1_PAL
    {{381, 572, 763, 1145, 1527, 1909}, {3072, 4096, 6144, 8192, 12288, 16384}}, // 29 4K
    {},                                                                          // 30 4M(NRT): no bit rates
    {},                                                                          // 31 4M(RT): no bit rates
}};

// Kb/s at 1 frame/s for quality ids 0..5, then at 30 frames/s.
constexpr AnchorTable kNtscAnchors = {{
    {{81, 122, 163, 244, 326, 408}, {512, 768, 1024, 1536, 2048, 2560}},         // 0 D1
    {{61, 81, 122, 163, 244, 326}, {384, 512, 768, 1024, 1536, 2048}},           // 1 HD1
    {{61, 81, 122, 163, 244, 326}, {384, 512, 768, 1024, 1536, 2048}},           // 2 BCIF
    {{10, 30, 61, 81, 122, 163}, {64, 192, 384, 512, 768, 1024}},                // 3 CIF
    {{10, 20, 30, 61, 71, 81}, {64, 128, 192, 384, 448, 512}},                   // 4 QCIF
    {{71, 102, 143, 204, 285, 367}, {448, 640, 896, 1280, 1792, 2304}},          // 5 VGA
    {{10, 25, 51, 76, 107, 138}, {64, 160, 320, 480, 672, 864}},                 // 6 QVGA
    {{61, 81, 122, 163, 244, 326}, {384, 512, 768, 1024, 1536, 2048}},           // 7 SVCD
    {{10, 20, 30, 61, 71, 81}, {64, 128, 192, 384, 448, 512}},                   // 8 QQVGA
    {{163, 244, 326, 408, 489, 652}, {1024, 1536, 2048, 2560, 3072, 4096}},      // 9 720P
    {{163, 326, 489, 652, 979, 1305}, {1024, 2048, 3072, 4096, 6144, 8192}},     // 10 1080P
    {{112, 143, 204, 285, 408, 530}, {704, 896, 1280, 1792, 2560, 3328}},        // 11 SVGA
    {{153, 214, 295, 377, 489, 652}, {960, 1344, 1856, 2368, 3072, 4096}},       // 12 XVGA
    {{163, 255, 347, 428, 530, 714}, {1024, 1600, 2176, 2688, 3328, 4480}},      // 13 WXGA
    {{163, 275, 377, 489, 652, 856}, {1024, 1728, 2368, 3072, 4096, 5376}},      // 14 SXGA
    {{163, 296, 428, 561, 795, 1060}, {1024, 1856, 2688, 3520, 4992, 6656}},     // 15 WSXGA
    {{163, 316, 469, 622, 912, 1223}, {1024, 1984, 2944, 3904, 5728, 7680}},     // 16 UXGA
    {{163, 326, 489, 652, 979, 1305}, {1024, 2048, 3072, 4096, 6144, 8192}},     // 17 WUXGA
    {{163, 265, 367, 469, 622, 816}, {1024, 1664, 2304, 2944, 3904, 5120}},      // 18 960P
    {{142, 163, 244, 326, 489, 652}, {896, 1024, 1536, 2048, 3072, 4096}},       // 19 960H
    {{163, 244, 326, 408, 489, 652}, {1024, 1536, 2048, 2560, 3072, 4096}},      // 20 1080P Lite
    {{244, 489, 652, 979, 1305, 1632}, {1536, 3072, 4096, 6144, 8192, 10240}},   // 21 3M
    {{244, 489, 652, 979, 1305, 1632}, {1536, 3072, 4096, 6144, 8192, 10240}},   // 22 4M(16:9)
    {{326, 489, 652, 979, 1305, 1632}, {2048, 3072, 4096, 6144, 8192, 10240}},   // 23 5M
    {{244, 489, 652, 979, 1305, 1632}, {1536, 3072, 4096, 6144, 8192, 10240}},   // 24 4M(4:3)
    {{326, 489, 652, 979, 1305, 1632}, {2048, 3072, 4096, 6144, 8192, 10240}},   // 25 4X3_5M
    {{326, 489, 652, 979, 1305, 1632}, {3072, 4096, 6144, 8192, 12288, 16384}},  // 26 8M
    {{381, 572, 763, 1145, 1527, 1909}, {2048, 3072, 4096, 6144, 8192, 10240}},  // 27 4M(2592x1520)
    {{381, 572, 763, 1145, 1527, 1909}, {2048, 3072, 4096, 6144, 8192, 10240}},  // 28 D1_PAL
    {{381, 572, 763, 1145, 1527, 1909}, {3072, 4096, 6144, 8192, 12288, 16384}}, // 29 4K
    {},                                                                          // 30 4M(NRT): no bit rates
    {},                                                                          // 31 4M(RT): no bit rates
}};

constexpr std::array<std::string_view, kResolutionIds> kResolutionNames = {
    "D1",      "HD1",    "BCIF",  "CIF",           "QCIF",       "VGA",  "QVGA",     "SVCD",
    "QQVGA",   "720P",   "1080P", "SVGA",          "XVGA",       "WXGA", "SXGA",     "WSXGA",
    "UXGA",    "WUXGA",  "960P",  "960H",          "1080P Lite", "3M",   "4M(16:9)", "5M",
    "4M(4:3)", "4X3_5M", "8M",    "4M(2592x1520)", "D1_PAL",     "4K",   "4M(NRT)",  "4M(RT)"};

constexpr std::array<std::string_view, kQualityLevels> kQualityKeys = {
    "tx.Image_quality_lowest", "tx.Image_quality_low",    "tx.Image_quality_standard",
    "tx.Image_quality_good",   "tx.Image_quality_better", "tx.Image_quality_best"};

constexpr int kPalFrameRates = 25;
constexpr int kNtscFrameRates = 30;
// An empty or zero frame-rate text counts as this many frames per second.
constexpr int kDefaultFrameRate = 25;

} // namespace

std::optional<VideoStandard> ParseVideoStandard(std::string_view text) {
    if (text == "PAL") {
        return VideoStandard::Pal;
    }
    if (text == "NTSC") {
        return VideoStandard::Ntsc;
    }
    return std::nullopt;
}

std::string_view VideoStandardName(VideoStandard standard) {
    return standard == VideoStandard::Pal ? "PAL" : "NTSC";
}

int MaxFrameRate(VideoStandard standard) {
    return standard == VideoStandard::Pal ? kPalFrameRates : kNtscFrameRates;
}

std::string_view CanonicalResolutionName(int id) {
    if (id < 0 || id >= kResolutionIds) {
        return {};
    }
    return kResolutionNames[static_cast<std::size_t>(id)];
}

std::string_view QualityKey(int quality) {
    if (quality < 0 || quality >= kQualityLevels) {
        return {};
    }
    return kQualityKeys[static_cast<std::size_t>(quality)];
}

const AnchorRow* FindAnchorRow(VideoStandard standard, int resolutionId) {
    if (resolutionId < 0 || resolutionId >= kResolutionIds) {
        return nullptr;
    }
    const AnchorTable& table = standard == VideoStandard::Pal ? kPalAnchors : kNtscAnchors;
    return &table[static_cast<std::size_t>(resolutionId)];
}

WorkingTable::WorkingTable(VideoStandard standard, const AnchorRow& anchors) : m_standard(standard) {
    const int n = MaxFrameRate(standard);
    for (std::size_t quality = 0; quality < kQualityLevels; ++quality) {
        const double low = anchors.low[quality];
        const double step = (static_cast<double>(anchors.high[quality]) - low) / (n - 1);
        for (int i = 0; i < n; ++i) {
            m_values[quality][static_cast<std::size_t>(i)] = static_cast<uint16_t>(low + i * step + 0.5);
        }
    }
}

uint16_t WorkingTable::At(int quality, int frameRate) const {
    return m_values.at(static_cast<std::size_t>(quality)).at(static_cast<std::size_t>(frameRate - 1));
}

std::optional<std::array<uint16_t, kQualityLevels>> WorkingTable::Offered(int frameRate) const {
    if (frameRate < 1 || frameRate > FrameRates()) {
        return std::nullopt;
    }
    std::array<uint16_t, kQualityLevels> offered{};
    for (int quality = 0; quality < kQualityLevels; ++quality) {
        offered[static_cast<std::size_t>(quality)] = At(quality, frameRate);
    }
    return offered;
}

std::optional<WorkingTable> BuildWorkingTable(VideoStandard standard, int resolutionId) {
    const AnchorRow* anchors = FindAnchorRow(standard, resolutionId);
    if (anchors == nullptr) {
        return std::nullopt;
    }
    return WorkingTable(standard, *anchors);
}

std::optional<int> ResolveResolutionId(std::optional<int> selectedId, const ResolutionList& resolutions) {
    if (selectedId && *selectedId >= 0 && *selectedId < kResolutionIds) {
        return selectedId;
    }
    if (resolutions.empty()) {
        return std::nullopt;
    }
    return resolutions.begin()->first;
}

std::vector<std::string> FrameRateItems(VideoStandard standard) {
    std::vector<std::string> items;
    for (int rate = 1; rate <= MaxFrameRate(standard); ++rate) {
        items.push_back(std::to_string(rate));
    }
    return items;
}

int FrameRateSelection(std::string_view previousFrameRateText, VideoStandard standard) {
    int previous = Tool::ToInt(previousFrameRateText);
    if (previous <= 0) {
        previous = kDefaultFrameRate;
    }
    return std::min(MaxFrameRate(standard), previous) - 1;
}

int QualitySelection(std::optional<int> selectedQualityData) {
    if (!selectedQualityData || *selectedQualityData < 0 || *selectedQualityData >= kQualityLevels) {
        return kBestQuality;
    }
    return *selectedQualityData;
}

} // namespace capacity
