#include "qr/qr_bitmap.h"

#include "platform/atomic_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace qr {

namespace {

constexpr int kBorder = 5;

void Put16(std::vector<uint8_t>& out, std::size_t at, uint16_t value) {
    out[at] = static_cast<uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& out, std::size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void WriteHeaders(std::vector<uint8_t>& out, const BitmapGeometry& geometry) {
    // File header.
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, geometry.pixelBytes + kBitmapHeadersSize);
    Put16(out, 6, 0);
    Put16(out, 8, 0);
    Put32(out, 10, kBitmapHeadersSize);
    // Info header; a positive height means rows are stored bottom-up.
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<uint32_t>(geometry.imageWidth));
    Put32(out, 22, static_cast<uint32_t>(geometry.imageHeight));
    Put16(out, 26, 1);  // planes
    Put16(out, 28, 16); // bits per pixel
    Put32(out, 30, 0);  // uncompressed
    Put32(out, 34, geometry.pixelBytes);
    Put32(out, 38, 0); // horizontal resolution
    Put32(out, 42, 0); // vertical resolution
    Put32(out, 46, 0); // colours used
    Put32(out, 50, 0); // important colours
}

} // namespace

BitmapGeometry QrBitmapGeometry(int width, int height) {
    BitmapGeometry geometry;
    geometry.imageHeight = height + 2 * kBorder;
    geometry.imageWidth = (width + 2 * kBorder + 1) & ~1;
    geometry.pixelBytes =
        static_cast<uint32_t>(geometry.imageHeight) * static_cast<uint32_t>(geometry.imageWidth) * 2U;
    return geometry;
}

std::vector<uint8_t> BuildQrBitmap(const QrMatrix& matrix, int width, int height) {
    const BitmapGeometry geometry = QrBitmapGeometry(width, height);
    std::vector<uint8_t> out(kBitmapHeadersSize + geometry.pixelBytes, 0xFF); // all white
    WriteHeaders(out, geometry);

    const int size = matrix.Size();
    const int pixelsPerColumn = width / size;
    const int pixelsPerRow = height / size;
    const auto rowBytes = static_cast<std::size_t>(geometry.imageWidth) * 2;
    const int lastRow = geometry.imageHeight - 1 - kBorder;
    const int lastColumn = geometry.imageWidth - 1 - kBorder;
    for (int r = kBorder; r <= lastRow; ++r) {
        const int y = (r - kBorder) / pixelsPerRow;
        if (y >= size) {
            break; // below the symbol: white
        }
        // Image rows count from the top; the file stores the bottom row first.
        const std::size_t rowStart =
            kBitmapHeadersSize + static_cast<std::size_t>(geometry.imageHeight - 1 - r) * rowBytes;
        if ((r - kBorder) % pixelsPerRow != 0) {
            // Same module row as the image row above: copy it.
            std::memcpy(&out[rowStart], &out[rowStart + rowBytes], rowBytes);
            continue;
        }
        for (int x = 0; x < size; ++x) {
            if (!matrix.IsDark(x, y)) {
                continue;
            }
            const int first = kBorder + x * pixelsPerColumn;
            const int last = std::min(first + pixelsPerColumn - 1, lastColumn);
            for (int k = first; k <= last; ++k) {
                Put16(out, rowStart + static_cast<std::size_t>(k) * 2, kDarkPixel);
            }
        }
    }
    return out;
}

bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
    // Leftovers of an interrupted earlier write go first; a young one may
    // belong to a write still running.
    platform::RemoveStaleTemporaries(path, 60);
    return platform::WriteFileAtomically(path, bytes);
}

} // namespace qr
