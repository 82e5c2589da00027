#pragma once
// Test helpers: reads the QR picture files the encoder writes and hands them
// to a real decoder.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qrtest {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint16_t> pixels; // top row first
    uint16_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path);
// Parses a 16-bit bottom-up bitmap; nullopt when the headers do not match.
std::optional<Picture> ParseBitmap(const std::vector<uint8_t>& file);

// Decodes the picture with zbar after enlarging it `scale` times, returning
// the payload bytes exactly as stored (no character-set conversion).
std::optional<std::string> DecodeWithZbar(const Picture& picture, int scale = 4);

} // namespace qrtest
