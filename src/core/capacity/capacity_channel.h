#pragma once
// CapacityChannel: one group of identical camera channels, as the channel
// editor hands it to the calculator page.
#include <cstdint>
#include <string>

struct CapacityChannel {
    int32_t channels = 1;   // number of identical channels, 1..1024
    int32_t quality = 5;    // quality id 0..5
    std::string standard;   // "PAL" or "NTSC"
    std::string resolution; // display name of the resolution, UTF-8
    int32_t frameRate = 0;  // frames per second
    int32_t bitRate = 0;    // Kb/s per channel
};
