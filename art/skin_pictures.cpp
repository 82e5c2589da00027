#include "skin_pictures.h"

#include "glyphs.h"
#include "palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace art {
namespace {

// Seven-segment digits, so the markers need no font.
void DrawDigit(QPainter& p, const QPointF& centre, int digit, const QColor& colour) {
    // Segment order: top, upper right, lower right, bottom, lower left, upper left, middle.
    static constexpr std::array<unsigned, 10> kSegments = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                           0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const double w = 6.0;
    const double h = 6.0;
    const QPointF tl = centre + QPointF(-w / 2, -h);
    const std::array<QLineF, 7> lines = {
        QLineF(tl, tl + QPointF(w, 0)),
        QLineF(tl + QPointF(w, 0), tl + QPointF(w, h)),
        QLineF(tl + QPointF(w, h), tl + QPointF(w, 2 * h)),
        QLineF(tl + QPointF(0, 2 * h), tl + QPointF(w, 2 * h)),
        QLineF(tl + QPointF(0, h), tl + QPointF(0, 2 * h)),
        QLineF(tl, tl + QPointF(0, h)),
        QLineF(tl + QPointF(0, h), tl + QPointF(w, h)),
    };
    QPen pen(colour, 2.0);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    for (std::size_t s = 0; s < lines.size(); ++s) {
        if ((kSegments[static_cast<std::size_t>(digit) % 10] >> s) & 1U) {
            p.drawLine(lines[s]);
        }
    }
}

void DrawMarker(QPainter& p, const QPointF& at, const QPointF& target, int number) {
    p.setPen(QPen(kLogoTeal, 2.0, Qt::DashLine));
    p.drawLine(at, target);
    p.setPen(Qt::NoPen);
    p.setBrush(kLogoTeal);
    p.drawEllipse(target, 3.5, 3.5);
    p.setBrush(kLogoTeal);
    p.setPen(QPen(kWhite, 2.0));
    p.drawEllipse(at, 13, 13);
    DrawDigit(p, at, number, kWhite);
}

} // namespace

QImage DrawLogo(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(side / 64.0, side / 64.0);
    QLinearGradient fill(0, 0, 64, 64);
    fill.setColorAt(0, kLogoTeal);
    fill.setColorAt(1, kLogoDeep);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 14, 14);
    // A lens: white ring, dark pupil, a glint.
    p.setBrush(kWhite);
    p.drawEllipse(QPointF(30, 34), 18, 18);
    p.setBrush(kLogoDeep);
    p.drawEllipse(QPointF(30, 34), 12, 12);
    p.setBrush(kLogoTeal);
    p.drawEllipse(QPointF(30, 34), 6, 6);
    p.setBrush(kWhite);
    p.drawEllipse(QPointF(26, 30), 2.6, 2.6);
    // A vane on top of the lens, pointing to the right: the search signal.
    QPainterPath vane;
    vane.moveTo(40, 10);
    vane.lineTo(56, 16);
    vane.lineTo(40, 22);
    vane.lineTo(44, 16);
    vane.closeSubpath();
    p.drawPath(vane);
    p.setPen(QPen(kWhite, 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(30, 16), QPointF(44, 16));
    return image;
}

QImage DrawHelpPicture() {
    const int width = 640;
    const int height = 528;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(244, 246, 250));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);

    // The main window in miniature: band, strip, list.
    const QRectF window(40, 40, 560, 380);
    p.setPen(QPen(QColor(120, 128, 140), 1.0));
    p.setBrush(kWhite);
    p.drawRect(window);
    const QRectF band(window.left(), window.top(), window.width(), 34);
    p.fillRect(band, kBand);
    p.drawImage(QRectF(band.left() + 6, band.top() + 5, 24, 24), DrawLogo(24));
    p.fillRect(QRectF(band.left() + 38, band.top() + 13, 90, 8), QColor(150, 154, 160));
    const QRectF search(band.right() - 220, band.top() + 5, 24, 24);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRoundedRect(search, 4, 4);
    DrawMagnifier(p, search.adjusted(4, 3, -4, -5), kWhite);
    for (int i = 0; i < 3; ++i) {
        p.fillRect(QRectF(band.right() - 150 + i * 12, band.top() + 9, 8, 16), QColor(214, 218, 224));
    }
    for (int i = 0; i < 3; ++i) {
        p.fillRect(QRectF(band.right() - 54 + i * 17, band.top() + 12, 11, 11), QColor(214, 218, 224));
    }

    const QRectF strip(window.left(), band.bottom(), 44, window.bottom() - band.bottom());
    p.fillRect(strip, kStrip);
    const std::array<void (*)(QPainter&, const QRectF&, const QColor&), 3> stripGlyphs = {
        DrawDeviceList, DrawBatch, DrawDisk};
    for (std::size_t i = 0; i < stripGlyphs.size(); ++i) {
        const QRectF cell(strip.left(), strip.top() + 60 + i * 44.0, 44, 44);
        if (i == 0) {
            p.fillRect(cell, kStripSelected);
            p.fillRect(QRectF(cell.left(), cell.top(), 3, cell.height()), kAccent);
        }
        stripGlyphs[i](p, cell.adjusted(10, 10, -10, -10), kGlyphOnStrip);
    }
    DrawGear(p, QRectF(strip.left() + 10, strip.bottom() - 34, 24, 24), kGlyphOnStrip);

    // The device list: header, alternating rows, one selected.
    const QRectF list(strip.right() + 10, band.bottom() + 44, window.right() - strip.right() - 20,
                      window.bottom() - band.bottom() - 54);
    p.fillRect(QRectF(list.left(), band.bottom() + 10, 120, 22), QColor(226, 230, 236));
    p.fillRect(QRectF(list.left() + 130, band.bottom() + 10, 50, 22), kButtonFaceLow);
    p.fillRect(QRectF(list.left() + 186, band.bottom() + 10, 50, 22), kButtonFaceLow);
    p.fillRect(QRectF(list.left(), list.top(), list.width(), 20), QColor(236, 238, 242));
    const int rows = static_cast<int>((list.height() - 20) / 18);
    for (int r = 0; r < rows; ++r) {
        QColor colour = (r % 2 == 0) ? QColor(203, 205, 209) : QColor(180, 186, 192);
        if (r == 2) {
            colour = QColor(112, 180, 255);
        }
        p.fillRect(QRectF(list.left(), list.top() + 20 + r * 18, list.width(), 18), colour);
    }
    p.setPen(QPen(kWhite, 1.0));
    for (int c = 1; c < 7; ++c) {
        const double x = list.left() + c * list.width() / 7.0;
        p.drawLine(QPointF(x, list.top()), QPointF(x, list.bottom()));
    }

    // Numbered markers: 1 search, 2 the list and its sortable header, 3 find
    // and show-all, 4 the pages of the strip, 5 settings.
    DrawMarker(p, QPointF(search.center().x(), 474), search.center() + QPointF(0, 14), 1);
    DrawMarker(p, QPointF(560, 474), QPointF(list.right() - 60, list.top() + 10), 2);
    DrawMarker(p, QPointF(250, 474), QPointF(list.left() + 60, band.bottom() + 21), 3);
    DrawMarker(p, QPointF(100, 474), QPointF(strip.center().x(), strip.top() + 110), 4);
    DrawMarker(p, QPointF(40, 474), QPointF(strip.center().x(), strip.bottom() - 22), 5);
    return image;
}

} // namespace art
