#include "devsim/sdk/test_picture.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <map>
#include <mutex>

namespace devsim {

namespace {

// 5 x 7 glyphs, one byte per row, bit 4 = leftmost column.
struct Glyph {
    char character;
    uint8_t rows[7];
};

constexpr Glyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}}, {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {'_', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F}},
    {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}},
};

const Glyph* FindGlyph(char character) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
    for (const auto& glyph : kGlyphs) {
        if (glyph.character == upper) {
            return &glyph;
        }
    }
    return nullptr; // drawn as a blank
}

void Fill(TestPicture& picture, int x0, int y0, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    for (int y = std::max(0, y0); y < std::min(picture.height, y0 + h); ++y) {
        for (int x = std::max(0, x0); x < std::min(picture.width, x0 + w); ++x) {
            uint8_t* pixel = &picture.rgb[static_cast<std::size_t>((y * picture.width + x) * 3)];
            pixel[0] = r;
            pixel[1] = g;
            pixel[2] = b;
        }
    }
}

void DrawText(TestPicture& picture, int x, int y, int scale, const std::string& text) {
    for (const char character : text) {
        if (const Glyph* glyph = FindGlyph(character)) {
            for (int row = 0; row < 7; ++row) {
                for (int column = 0; column < 5; ++column) {
                    if (glyph->rows[row] & (0x10 >> column)) {
                        Fill(picture, x + column * scale, y + row * scale, scale, scale, 255, 255, 255);
                    }
                }
            }
        }
        x += 6 * scale;
    }
}

} // namespace

TestPicture DrawTestPicture(const std::string& name, int stream, uint32_t frameNumber, bool mainStream) {
    TestPicture picture;
    picture.width = mainStream ? kMainWidth : kSubWidth;
    picture.height = mainStream ? kMainHeight : kSubHeight;
    picture.rgb.assign(static_cast<std::size_t>(picture.width * picture.height * 3), 0);
    static constexpr uint8_t kBars[7][3] = {{192, 192, 192}, {192, 192, 0}, {0, 192, 192}, {0, 192, 0},
                                            {192, 0, 192},   {192, 0, 0},   {0, 0, 192}};
    const int barWidth = picture.width / 7 + 1;
    // Eight bars repeat every width + barWidth pixels; one cycle moves them
    // by exactly that, so the last frame of a cycle leads into the first.
    const uint32_t phase = frameNumber % kPictureCycle;
    const int shift =
        static_cast<int>(phase * static_cast<uint32_t>(picture.width + barWidth) / kPictureCycle);
    for (int bar = 0; bar < 8; ++bar) {
        const auto& colour = kBars[bar % 7];
        const int x = (bar * barWidth + shift) % (picture.width + barWidth) - barWidth;
        Fill(picture, x, 0, barWidth, picture.height, colour[0], colour[1], colour[2]);
    }
    const int scale = picture.height / 120; // 9 on the main stream, 3 on the sub stream
    Fill(picture, 0, 0, picture.width, 8 + 2 * 9 * scale, 32, 32, 32);
    DrawText(picture, 4, 4, scale, name);
    DrawText(picture, 4, 4 + 9 * scale, scale, stream == 2 ? "MAIN STREAM" : "SUB STREAM");
    // The counter, large in the middle: a viewer sees it run.
    char counter[16];
    std::snprintf(counter, sizeof counter, "#%02u", phase);
    const int big = scale * 3;
    const int textWidth = 6 * big * static_cast<int>(std::strlen(counter));
    const int x = (picture.width - textWidth) / 2;
    const int y = (picture.height - 7 * big) / 2;
    Fill(picture, x - big, y - big, textWidth + big, 9 * big, 32, 32, 32);
    DrawText(picture, x, y, big, counter);
    return picture;
}

std::vector<uint8_t> EncodeJpeg(const TestPicture& picture, int quality) {
    jpeg_compress_struct compressor{};
    jpeg_error_mgr errors{};
    compressor.err = jpeg_std_error(&errors);
    jpeg_create_compress(&compressor);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&compressor, &buffer, &size);
    compressor.image_width = static_cast<JDIMENSION>(picture.width);
    compressor.image_height = static_cast<JDIMENSION>(picture.height);
    compressor.input_components = 3;
    compressor.in_color_space = JCS_RGB;
    jpeg_set_defaults(&compressor);
    jpeg_set_quality(&compressor, quality, TRUE);
    jpeg_start_compress(&compressor, TRUE);
    while (compressor.next_scanline < compressor.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&picture.rgb[static_cast<std::size_t>(compressor.next_scanline) *
                                                         static_cast<std::size_t>(picture.width) * 3]);
        jpeg_write_scanlines(&compressor, &row, 1);
    }
    jpeg_finish_compress(&compressor);
    std::vector<uint8_t> jpeg(buffer, buffer + size);
    jpeg_destroy_compress(&compressor);
    std::free(buffer);
    return jpeg;
}

std::shared_ptr<const std::vector<uint8_t>> CycleJpeg(const std::string& name, int stream,
                                                      uint32_t frameNumber) {
    using Cycle = std::vector<std::shared_ptr<const std::vector<uint8_t>>>;
    static std::mutex mutex;
    static std::map<std::pair<std::string, int>, Cycle> cycles;
    const uint32_t phase = frameNumber % kPictureCycle;
    {
        std::lock_guard lock(mutex);
        Cycle& cycle = cycles[{name, stream}];
        if (cycle.empty()) {
            cycle.resize(kPictureCycle);
        }
        if (cycle[phase]) {
            return cycle[phase];
        }
    }
    // Encoded outside the lock: two sessions may both encode the same frame
    // once; the first one stored wins.
    auto jpeg = std::make_shared<const std::vector<uint8_t>>(
        EncodeJpeg(DrawTestPicture(name, stream, phase, stream == 2), kCycleQuality));
    std::lock_guard lock(mutex);
    auto& slot = cycles[{name, stream}][phase];
    if (!slot) {
        slot = std::move(jpeg);
    }
    return slot;
}

} // namespace devsim
