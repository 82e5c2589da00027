#pragma once
// The moving test picture of the simulated preview (device name, stream and
// a running counter over moving colour bars) and its JPEG encoding.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace devsim {

struct TestPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // width * height * 3
};

inline constexpr int kMainWidth = 1920;
inline constexpr int kMainHeight = 1080;
inline constexpr int kSubWidth = 640;
inline constexpr int kSubHeight = 360;
// The pictures repeat after this many frames (two seconds at 25 frames a
// second): the counter runs 00..49 and the bars move one period.
inline constexpr uint32_t kPictureCycle = 50;
// Moderate: a main-stream picture of the cycle is some 100 KB.
inline constexpr int kCycleQuality = 70;

TestPicture DrawTestPicture(const std::string& name, int stream, uint32_t frameNumber, bool mainStream);
std::vector<uint8_t> EncodeJpeg(const TestPicture& picture, int quality = 75);

// The JPEG picture of that frame of the cycle, encoded once per device name
// and stream for the whole process and shared by every session: a 1080p
// stream at 25 frames a second costs the simulator a copy, not an encoding.
std::shared_ptr<const std::vector<uint8_t>> CycleJpeg(const std::string& name, int stream,
                                                      uint32_t frameNumber);

} // namespace devsim
