#pragma once
// The program's bitmap resources by id: every picture a skinned button, a
// tree or the message dialog asks for. The ids are the ones the windows use
// (normal, pressed, hover and disabled states of each button, and so on);
// art/bitmaps.cmake lists the same ids for the build.
#include <QImage>
#include <vector>

namespace art {

struct BitmapArt {
    int id;
    QImage image;
};

// Draws every bitmap resource, in ascending id order.
std::vector<BitmapArt> DrawAllBitmaps();

} // namespace art
