#pragma once
// The two skin pictures shipped in "Config File/Skin/": the product logo
// (Logo.ico, the window icon and title logo) and the help picture (Help.bmp,
// 640 x 528, shown by the help window). The help picture is a wordless
// diagram of the main window with numbered markers, so it suits every
// language pack.
#include <QImage>

namespace art {

// The logo drawn at side x side pixels.
QImage DrawLogo(int side);
QImage DrawHelpPicture();

} // namespace art
