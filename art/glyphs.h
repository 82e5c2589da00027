#pragma once
// Vector glyphs of Corvane's artwork. Each is drawn on a 24 x 24 design grid
// scaled into the given square, in one colour, so the same glyph serves the
// 16-pixel tree icons and the 60-pixel navigation buttons. No glyph uses a
// font: the pictures come out the same on every machine.
#include <QColor>
#include <QPainter>
#include <QRectF>

namespace art {

void DrawCross(QPainter& p, const QRectF& box, const QColor& colour);
void DrawMinimise(QPainter& p, const QRectF& box, const QColor& colour);
void DrawMaximise(QPainter& p, const QRectF& box, const QColor& colour);
void DrawQuestion(QPainter& p, const QRectF& box, const QColor& colour);
void DrawMagnifier(QPainter& p, const QRectF& box, const QColor& colour);
void DrawDeviceList(QPainter& p, const QRectF& box, const QColor& colour);
void DrawBatch(QPainter& p, const QRectF& box, const QColor& colour);
void DrawDisk(QPainter& p, const QRectF& box, const QColor& colour);
void DrawGear(QPainter& p, const QRectF& box, const QColor& colour);
void DrawGlobe(QPainter& p, const QRectF& box, const QColor& colour);
void DrawClock(QPainter& p, const QRectF& box, const QColor& colour);
void DrawColumns(QPainter& p, const QRectF& box, const QColor& colour);
void DrawInfo(QPainter& p, const QRectF& box, const QColor& colour);
// A speech bubble with an exclamation mark: the message dialog's icon.
void DrawMessage(QPainter& p, const QRectF& box, const QColor& fill, const QColor& mark);

} // namespace art
