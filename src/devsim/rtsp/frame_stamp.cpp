#include "rtsp/frame_stamp.h"

#include <array>
#include <cstring>

namespace rtspsim {

namespace {

constexpr uint8_t kWhite = 235;
constexpr uint8_t kBlack = 16;
constexpr uint8_t kNeutral = 128;

bool Fits(int width, int height) {
    return width >= kStampColumns * kStampBlock && height >= kStampRows * kStampBlock;
}

std::array<uint32_t, kStampRows> Rows(const FrameStamp& stamp) {
    return {kStampMagic, static_cast<uint32_t>(stamp.captureUs >> 32), static_cast<uint32_t>(stamp.captureUs),
            stamp.frame};
}

} // namespace

bool WriteFrameStamp(const PlanarPicture& picture, const FrameStamp& stamp) {
    if (picture.y == nullptr || !Fits(picture.width, picture.height)) {
        return false;
    }
    const auto rows = Rows(stamp);
    for (int row = 0; row < kStampRows; ++row) {
        for (int column = 0; column < kStampColumns; ++column) {
            const bool one = ((rows[static_cast<std::size_t>(row)] >> (31 - column)) & 1U) != 0;
            for (int line = 0; line < kStampBlock; ++line) {
                uint8_t* at = picture.y +
                              static_cast<std::ptrdiff_t>(row * kStampBlock + line) * picture.yStride +
                              column * kStampBlock;
                std::memset(at, one ? kWhite : kBlack, kStampBlock);
            }
        }
    }
    if (picture.u != nullptr && picture.v != nullptr) {
        constexpr int kHalfWidth = kStampColumns * kStampBlock / 2;
        for (int line = 0; line < kStampRows * kStampBlock / 2; ++line) {
            std::memset(picture.u + static_cast<std::ptrdiff_t>(line) * picture.uvStride, kNeutral,
                        kHalfWidth);
            std::memset(picture.v + static_cast<std::ptrdiff_t>(line) * picture.uvStride, kNeutral,
                        kHalfWidth);
        }
    }
    return true;
}

std::optional<FrameStamp> ReadFrameStamp(const uint8_t* y, int yStride, int width, int height) {
    if (y == nullptr || !Fits(width, height)) {
        return std::nullopt;
    }
    std::array<uint32_t, kStampRows> rows{};
    for (int row = 0; row < kStampRows; ++row) {
        for (int column = 0; column < kStampColumns; ++column) {
            int sum = 0;
            for (int line = 4; line < 12; ++line) {
                const uint8_t* at = y + static_cast<std::ptrdiff_t>(row * kStampBlock + line) * yStride +
                                    column * kStampBlock + 4;
                for (int x = 0; x < 8; ++x) {
                    sum += at[x];
                }
            }
            rows[static_cast<std::size_t>(row)] =
                (rows[static_cast<std::size_t>(row)] << 1) | (sum >= 128 * 64 ? 1U : 0U);
        }
    }
    if (rows[0] != kStampMagic) {
        return std::nullopt;
    }
    return FrameStamp{(uint64_t{rows[1]} << 32) | rows[2], rows[3]};
}

} // namespace rtspsim
