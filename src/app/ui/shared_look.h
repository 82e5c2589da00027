#pragma once
// The look the main window shares with its pages and pop-ups.
#include <QColor>

namespace look {

// TextColor: static texts of the main window, help window, settings window.
inline const QColor kTextColor(255, 255, 255);
// BackColor: the dark background of the main window and every title band.
inline const QColor kBackColor(49, 49, 49);
// The navigation strip and the settings tree.
inline const QColor kStripColor(228, 234, 244);
// The message dialog's button strip.
inline const QColor kButtonStripColor(243, 245, 247);
// Statics on a white pop-up body.
inline const QColor kBodyTextColor(0, 0, 0);

// Bitmap ids of the two skins every dialog uses.
inline constexpr int kButtonSkin[4] = {179, 178, 180, 177};
inline constexpr int kCloseSkin[4] = {205, 204, 206, 205};

} // namespace look
