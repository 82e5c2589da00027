#pragma once
// Tool::MakeQrImage: the QR picture of a device's cloud id, as the device list
// shows it.
#include <string>
#include <string_view>

namespace Tool {

// File name of the QR picture inside the QR folder.
inline constexpr std::string_view kQrImageFileName = "QR_temp1.bmp";

// Writes the QR picture of the text (its first 127 bytes, up to any zero
// byte) into the folder as "QR_temp1.bmp": version 4 or larger, one pixel
// per module. Returns the file's path whether or not it could be written;
// on failure the previous picture, if any, stays as it was.
std::string MakeQrImage(std::string_view text, const std::string& folder);

// The same picture written to any path; 0 on success, -1 on failure.
int WriteQrImage(std::string_view text, const std::string& path);

} // namespace Tool
