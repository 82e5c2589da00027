#include "icon_file.h"

#include <QtEndian>
#include <cstdint>

namespace art {
namespace {

void PutU16(QByteArray& out, uint16_t value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void PutU32(QByteArray& out, uint32_t value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// BITMAPINFOHEADER with doubled height (colour rows, then mask rows), the
// BGRA rows bottom-up, then the 1-bit AND mask, rows padded to 4 bytes.
QByteArray EncodeEntry(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int side = image.width();
    QByteArray out;
    PutU32(out, 40);
    PutU32(out, static_cast<uint32_t>(side));
    PutU32(out, static_cast<uint32_t>(side * 2));
    PutU16(out, 1);
    PutU16(out, 32);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    for (int y = side - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < side; ++x) {
            const QRgb pixel = row[x];
            out.append(static_cast<char>(qBlue(pixel)));
            out.append(static_cast<char>(qGreen(pixel)));
            out.append(static_cast<char>(qRed(pixel)));
            out.append(static_cast<char>(qAlpha(pixel)));
        }
    }
    const int maskStride = ((side + 31) / 32) * 4;
    for (int y = side - 1; y >= 0; --y) {
        QByteArray maskRow(maskStride, '\0');
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < side; ++x) {
            if (qAlpha(row[x]) == 0) {
                maskRow[x / 8] = static_cast<char>(maskRow[x / 8] | (0x80 >> (x % 8)));
            }
        }
        out.append(maskRow);
    }
    return out;
}

} // namespace

QByteArray EncodeIconFile(const std::vector<QImage>& images) {
    std::vector<QByteArray> entries;
    for (const QImage& image : images) {
        entries.push_back(EncodeEntry(image));
    }
    QByteArray out;
    PutU16(out, 0);
    PutU16(out, 1);
    PutU16(out, static_cast<uint16_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int side = images[i].width();
        out.append(static_cast<char>(side >= 256 ? 0 : side));
        out.append(static_cast<char>(side >= 256 ? 0 : side));
        out.append('\0');
        out.append('\0');
        PutU16(out, 1);
        PutU16(out, 32);
        PutU32(out, static_cast<uint32_t>(entries[i].size()));
        PutU32(out, offset);
        offset += static_cast<uint32_t>(entries[i].size());
    }
    for (const QByteArray& entry : entries) {
        out.append(entry);
    }
    return out;
}

} // namespace art
