#include "qr_picture_reader.h"

#include <fstream>
#include <iterator>
#include <zbar.h>

namespace qrtest {

namespace {

uint32_t Read32(const std::vector<uint8_t>& file, std::size_t at) {
    return static_cast<uint32_t>(file[at]) | (static_cast<uint32_t>(file[at + 1]) << 8) |
           (static_cast<uint32_t>(file[at + 2]) << 16) | (static_cast<uint32_t>(file[at + 3]) << 24);
}

uint16_t Read16(const std::vector<uint8_t>& file, std::size_t at) {
    return static_cast<uint16_t>(file[at] | (file[at + 1] << 8));
}

} // namespace

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::optional<Picture> ParseBitmap(const std::vector<uint8_t>& file) {
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M' || Read32(file, 10) != 54 ||
        Read16(file, 28) != 16) {
        return std::nullopt;
    }
    Picture picture;
    picture.width = static_cast<int>(Read32(file, 18));
    picture.height = static_cast<int>(Read32(file, 22));
    if (picture.width <= 0 || picture.height <= 0 ||
        file.size() !=
            54 + static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 2) {
        return std::nullopt;
    }
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        const std::size_t row = 54 + static_cast<std::size_t>(picture.height - 1 - y) *
                                         static_cast<std::size_t>(picture.width) * 2;
        for (int x = 0; x < picture.width; ++x) {
            picture.pixels[static_cast<std::size_t>(y * picture.width + x)] =
                Read16(file, row + static_cast<std::size_t>(x) * 2);
        }
    }
    return picture;
}

std::optional<std::string> DecodeWithZbar(const Picture& picture, int scale) {
    const int width = picture.width * scale;
    const int height = picture.height * scale;
    // Grey levels from the 5-bit green channel.
    std::vector<uint8_t> grey(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint16_t pixel = picture.At(x / scale, y / scale);
            grey[static_cast<std::size_t>(y * width + x)] =
                static_cast<uint8_t>(((pixel >> 5) & 0x1F) * 255 / 31);
        }
    }
    zbar::zbar_image_scanner_t* scanner = zbar::zbar_image_scanner_create();
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_BINARY, 1);
    zbar::zbar_image_t* image = zbar::zbar_image_create();
    zbar::zbar_image_set_format(image, zbar_fourcc('Y', '8', '0', '0'));
    zbar::zbar_image_set_size(image, static_cast<unsigned>(width), static_cast<unsigned>(height));
    zbar::zbar_image_set_data(image, grey.data(), grey.size(), nullptr);
    std::optional<std::string> result;
    if (zbar::zbar_scan_image(scanner, image) > 0) {
        const zbar::zbar_symbol_t* symbol = zbar::zbar_image_first_symbol(image);
        result = std::string(zbar::zbar_symbol_get_data(symbol), zbar::zbar_symbol_get_data_length(symbol));
    }
    zbar::zbar_image_destroy(image);
    zbar::zbar_image_scanner_destroy(scanner);
    return result;
}

} // namespace qrtest
