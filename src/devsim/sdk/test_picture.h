#pragma once
// The moving test picture of the simulated preview (device name, stream,
// clock, frame number over moving colour bars) and its JPEG encoding.
#include <cstdint>
#include <string>
#include <vector>

namespace devsim {

struct TestPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // width * height * 3
};

// Main stream 640 x 360, sub stream 320 x 180.
TestPicture DrawTestPicture(const std::string& name, int stream, uint32_t frameNumber, bool mainStream);
std::vector<uint8_t> EncodeJpeg(const TestPicture& picture, int quality = 75);

} // namespace devsim
