#pragma once
// Writes a Windows icon file (.ico) from images of several sizes, each stored
// as a 32-bit bitmap with its AND mask, the form every icon reader accepts.
#include <QByteArray>
#include <QImage>
#include <vector>

namespace art {

// Sizes must be 1..256 pixels square.
QByteArray EncodeIconFile(const std::vector<QImage>& images);

} // namespace art
