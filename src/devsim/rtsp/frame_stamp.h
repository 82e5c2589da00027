#pragma once
// The stamp every frame of the simulator's RTSP streams carries, so that a
// client can measure the delay from encoding to display: before a frame is
// encoded, a pattern of grey blocks in its top-left corner is written into
// its luma plane (chroma set neutral there):
//
//   32 blocks of 16x16 pixels per row, 4 rows (the corner x 0..511, y 0..63);
//   each block one bit, most significant bit first, left to right:
//   white (Y 235) is 1, black (Y 16) is 0.
//   row 0: the magic 0xA55AC33C (a stamp is present);
//   row 1, row 2: the wall-clock time (CLOCK_REALTIME, microseconds since
//                 1970 UTC) when the frame left the test source, high and
//                 low 32 bits;
//   row 3: the frame's number in its stream (0 for the first frame).
//
// A reader averages the middle 8x8 pixels of each block and compares with
// 128; 16-pixel blocks on the macroblock grid survive the encoders' loss.
// The simulator and the client's clock are the same machine's in the lab.
#include <cstdint>
#include <optional>

namespace rtspsim {

inline constexpr int kStampBlock = 16;
inline constexpr int kStampColumns = 32;
inline constexpr int kStampRows = 4;
inline constexpr uint32_t kStampMagic = 0xA55AC33C;

struct FrameStamp {
    uint64_t captureUs = 0; // microseconds since 1970 UTC
    uint32_t frame = 0;
};

// A planar 8-bit picture: luma, and two chroma planes at half resolution
// both ways (I420); chroma may be null.
struct PlanarPicture {
    uint8_t* y = nullptr;
    int yStride = 0;
    uint8_t* u = nullptr;
    uint8_t* v = nullptr;
    int uvStride = 0;
    int width = 0;
    int height = 0;
};

// false when the picture is smaller than the stamp.
bool WriteFrameStamp(const PlanarPicture& picture, const FrameStamp& stamp);
// The stamp of a decoded picture, or nullopt when there is none.
std::optional<FrameStamp> ReadFrameStamp(const uint8_t* y, int yStride, int width, int height);

} // namespace rtspsim
