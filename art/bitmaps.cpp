#include "bitmaps.h"

#include "glyphs.h"
#include "palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <functional>

namespace art {
namespace {

using Glyph = std::function<void(QPainter&, const QRectF&, const QColor&)>;

QImage Blank(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// ---- title band buttons (20 x 20 on the dark band) -------------------------

enum class BandState { Normal, Hover, Pressed };

QImage BandButton(const Glyph& glyph, BandState state, bool danger) {
    QImage image = Blank(20, 20);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QColor face = kBand;
    QColor ink = kGlyphOnBand;
    if (state == BandState::Hover) {
        face = danger ? kCloseHover : kBandHover;
        ink = kGlyphOnBandHover;
    } else if (state == BandState::Pressed) {
        face = danger ? kClosePressed : kBandPressed;
        ink = kGlyphOnBandHover;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawRoundedRect(QRectF(0, 0, 20, 20), 3, 3);
    glyph(p, QRectF(1, 1, 18, 18), ink);
    return image;
}

// ---- the SEARCH button of the band (36 x 36) --------------------------------
// The magnifier sits in the upper part; the button draws its caption below it.

enum class SearchState { Normal, Hover, Pressed, Busy };

QImage SearchButton(SearchState state) {
    QImage image = Blank(36, 36);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QColor face = kAccent;
    QColor ink = kWhite;
    switch (state) {
    case SearchState::Normal:
        break;
    case SearchState::Hover:
        face = kAccent.lighter(120);
        break;
    case SearchState::Pressed:
        face = kAccentDark;
        break;
    case SearchState::Busy:
        face = QColor(84, 88, 94);
        ink = kGlyphDimmed.lighter(150);
        break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawRoundedRect(QRectF(0, 0, 36, 36), 5, 5);
    DrawMagnifier(p, QRectF(8, 2, 20, 20), ink);
    return image;
}

// ---- navigation strip buttons (60 x 60 on the strip colour) -----------------
// The glyph sits in the upper part; the button draws its caption below it.

QImage StripButton(const Glyph& glyph, bool selected) {
    QImage image(60, 60, QImage::Format_ARGB32);
    image.fill(selected ? kStripSelected : kStrip);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (selected) {
        p.fillRect(QRectF(0, 0, 4, 60), kAccent);
    }
    glyph(p, QRectF(18, 6, 24, 24), selected ? kAccentDark : kGlyphOnStrip);
    return image;
}

// ---- ordinary buttons (96 x 28; the button stretches the middle part) -------

enum class PlainState { Normal, Hover, Pressed, Disabled };

QImage PlainButton(PlainState state) {
    QImage image = Blank(96, 28);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QColor top = kButtonFace;
    QColor bottom = kButtonFaceLow;
    QColor border = kButtonBorder;
    switch (state) {
    case PlainState::Normal:
        break;
    case PlainState::Hover:
        top = kButtonHover.lighter(104);
        bottom = kButtonHover;
        border = kAccent;
        break;
    case PlainState::Pressed:
        top = kButtonPressed;
        bottom = kButtonPressed.lighter(106);
        border = kAccentDark;
        break;
    case PlainState::Disabled:
        top = kButtonDisabled;
        bottom = kButtonDisabled;
        border = kButtonDisabledBorder;
        break;
    }
    QLinearGradient fill(0, 0, 0, 28);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setPen(QPen(border, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, 95, 27), 4, 4);
    return image;
}

// ---- 16 x 16 tree icons and the 32 x 32 message icon -------------------------

QImage Icon(const Glyph& glyph, int side, const QColor& colour) {
    QImage image = Blank(side, side);
    QPainter p(&image);
    glyph(p, QRectF(0, 0, side, side), colour);
    return image;
}

QImage MessageIcon() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    DrawMessage(p, QRectF(0, 0, 32, 32), kAccent, kWhite);
    return image;
}

} // namespace

std::vector<BitmapArt> DrawAllBitmaps() {
    std::vector<BitmapArt> all = {
        // message dialog icon
        {132, MessageIcon()},
        // settings tree: columns, language, about, periodic search
        {153, Icon(DrawColumns, 16, kAccentDark)},
        {154, Icon(DrawGlobe, 16, kAccentDark)},
        {217, Icon(DrawInfo, 16, kAccentDark)},
        {224, Icon(DrawClock, 16, kAccentDark)},
        // navigation strip: OPERATE, DEV INFO, SETTING, CAPACITY (normal, selected)
        {175, StripButton(DrawBatch, false)},
        {176, StripButton(DrawBatch, true)},
        {184, StripButton(DrawDeviceList, false)},
        {185, StripButton(DrawDeviceList, true)},
        {201, StripButton(DrawGear, false)},
        {202, StripButton(DrawGear, true)},
        {236, StripButton(DrawDisk, false)},
        {237, StripButton(DrawDisk, true)},
        // ordinary buttons: disabled, pressed, normal, hover
        {177, PlainButton(PlainState::Disabled)},
        {178, PlainButton(PlainState::Pressed)},
        {179, PlainButton(PlainState::Normal)},
        {180, PlainButton(PlainState::Hover)},
        // SEARCH: busy (disabled), pressed, normal, hover
        {197, SearchButton(SearchState::Busy)},
        {198, SearchButton(SearchState::Pressed)},
        {199, SearchButton(SearchState::Normal)},
        {200, SearchButton(SearchState::Hover)},
        // close: pressed, normal, hover
        {204, BandButton(DrawCross, BandState::Pressed, true)},
        {205, BandButton(DrawCross, BandState::Normal, true)},
        {206, BandButton(DrawCross, BandState::Hover, true)},
        // minimise: normal, hover, pressed
        {208, BandButton(DrawMinimise, BandState::Normal, false)},
        {209, BandButton(DrawMinimise, BandState::Hover, false)},
        {211, BandButton(DrawMinimise, BandState::Pressed, false)},
        // maximise: normal, hover, pressed
        {214, BandButton(DrawMaximise, BandState::Normal, false)},
        {215, BandButton(DrawMaximise, BandState::Hover, false)},
        {216, BandButton(DrawMaximise, BandState::Pressed, false)},
        // help: pressed, normal, hover
        {240, BandButton(DrawQuestion, BandState::Pressed, false)},
        {241, BandButton(DrawQuestion, BandState::Normal, false)},
        {242, BandButton(DrawQuestion, BandState::Hover, false)},
    };
    std::sort(all.begin(), all.end(), [](const BitmapArt& a, const BitmapArt& b) { return a.id < b.id; });
    return all;
}

} // namespace art
