#include "qr/qr_image.h"

#include "platform/paths.h"
#include "qr/qr_encoder.h"

#include <algorithm>

namespace Tool {

namespace {

// The text as the fixed 128-byte zero-terminated buffer holds it.
std::string_view QrText(std::string_view text) {
    constexpr std::size_t kMaxTextBytes = 127;
    text = text.substr(0, std::min(text.size(), kMaxTextBytes));
    return text.substr(0, text.find('\0'));
}

} // namespace

int WriteQrImage(std::string_view text, const std::string& path) {
    // Version 4 at 33 x 33 pixels: one pixel per module; a larger symbol
    // grows the picture at the same pixel size.
    int version = 4;
    int width = 33;
    int height = 33;
    qr::QrEncoder encoder;
    return encoder.EncodeData(path, QrText(text), version, width, height);
}

std::string MakeQrImage(std::string_view text, const std::string& folder) {
    std::string path = folder;
    if (path.empty() || path.back() != kPathSeparator) {
        path += kPathSeparator;
    }
    path += kQrImageFileName;
    WriteQrImage(text, path);
    return path;
}

} // namespace Tool
