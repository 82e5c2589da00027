#pragma once
// The colours of Corvane's artwork. The dark band colour is the window's own
// background (RGB 49,49,49) and the strip colour the navigation strip's
// (RGB 228,234,244), so the pictures sit on them without a seam.
#include <QColor>

namespace art {

inline const QColor kBand(49, 49, 49);
inline const QColor kBandHover(72, 72, 72);
inline const QColor kBandPressed(28, 28, 28);
inline const QColor kGlyphOnBand(214, 218, 224);
inline const QColor kGlyphOnBandHover(255, 255, 255);
inline const QColor kGlyphDimmed(112, 116, 122);
inline const QColor kCloseHover(214, 64, 64);
inline const QColor kClosePressed(160, 40, 40);

inline const QColor kStrip(228, 234, 244);
inline const QColor kStripSelected(198, 216, 242);
inline const QColor kStripPressed(176, 200, 236);
inline const QColor kAccent(40, 104, 200);
inline const QColor kAccentDark(26, 72, 146);
inline const QColor kGlyphOnStrip(64, 78, 100);

inline const QColor kButtonFace(236, 240, 246);
inline const QColor kButtonFaceLow(218, 225, 236);
inline const QColor kButtonBorder(146, 160, 184);
inline const QColor kButtonHover(214, 228, 248);
inline const QColor kButtonPressed(184, 206, 238);
inline const QColor kButtonDisabled(238, 238, 238);
inline const QColor kButtonDisabledBorder(200, 200, 200);

inline const QColor kLogoTeal(22, 150, 160);
inline const QColor kLogoDeep(16, 70, 110);
inline const QColor kWhite(255, 255, 255);

} // namespace art
