#pragma once
// The QR picture file: an uncompressed 16-bit (5-5-5) bitmap, rows stored
// bottom-up, with a white border of at least 5 pixels around the symbol.
#include "qr/qr_matrix.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qr {

// Largest picture side, in pixels, the writer accepts (keeps the pixel
// buffer bounded).
inline constexpr int kMaxImageSide = 8192;

inline constexpr uint16_t kDarkPixel = 0x0821;  // RGB 2,1,1 in 5-5-5: practically black
inline constexpr uint16_t kLightPixel = 0xFFFF; // white
inline constexpr int kBitmapHeadersSize = 54;   // file header 14 + info header 40

struct BitmapGeometry {
    int imageWidth = 0;  // width + 10, rounded up to an even number
    int imageHeight = 0; // height + 10
    uint32_t pixelBytes = 0;
};
// width and height are the symbol's area in pixels (at least the symbol size).
BitmapGeometry QrBitmapGeometry(int width, int height);

// The whole file: headers and pixels. Each module takes (width / size) x
// (height / size) pixels; pixels right of or below the symbol are white.
std::vector<uint8_t> BuildQrBitmap(const QrMatrix& matrix, int width, int height);

// Writes the bytes to a temporary file beside `path` and renames it over
// `path`, so a failed write leaves any previous file as it was.
bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace qr
