// The frame stamp of the simulator's streams: read back from a picture
// after the losses an encoder brings (noise on every pixel, chroma kept
// apart), found nowhere else, and refused on pictures too small for it.
#include "rtsp/frame_stamp.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

struct Picture {
    int width;
    int height;
    int stride;
    std::vector<uint8_t> y, u, v;
    Picture(int w, int h, uint8_t background) : width(w), height(h), stride(w + 32) {
        y.assign(static_cast<std::size_t>(stride * h), background);
        u.assign(static_cast<std::size_t>(stride / 2 * h / 2), 90);
        v.assign(u.size(), 200);
    }
    rtspsim::PlanarPicture Planes() {
        return {y.data(), stride, u.data(), v.data(), stride / 2, width, height};
    }
};

} // namespace

TEST(FrameStamp, SurvivesNoiseAndReadsBack) {
    Picture picture(640, 360, 180);
    const rtspsim::FrameStamp stamp{1796724000123456ULL, 4000000123U};
    ASSERT_TRUE(rtspsim::WriteFrameStamp(picture.Planes(), stamp));
    EXPECT_EQ(picture.u[0], 128);
    EXPECT_EQ(picture.v[static_cast<std::size_t>(picture.stride / 2 + 255)], 128);
    EXPECT_EQ(picture.u[256], 90); // beside the stamp, untouched
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-60, 60);
    for (uint8_t& pixel : picture.y) {
        pixel = static_cast<uint8_t>(std::clamp(pixel + noise(random), 0, 255));
    }
    const auto read =
        rtspsim::ReadFrameStamp(picture.y.data(), picture.stride, picture.width, picture.height);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->captureUs, stamp.captureUs);
    EXPECT_EQ(read->frame, stamp.frame);
}

TEST(FrameStamp, AbsentOrNoRoom) {
    for (const uint8_t background : {16, 235, 128}) {
        Picture plain(640, 360, background);
        EXPECT_FALSE(rtspsim::ReadFrameStamp(plain.y.data(), plain.stride, plain.width, plain.height))
            << +background;
    }
    Picture narrow(500, 360, 128);
    EXPECT_FALSE(rtspsim::WriteFrameStamp(narrow.Planes(), {1, 1}));
    Picture low(640, 60, 128);
    EXPECT_FALSE(rtspsim::WriteFrameStamp(low.Planes(), {1, 1}));
    EXPECT_FALSE(rtspsim::ReadFrameStamp(low.y.data(), low.stride, low.width, low.height));
}
