#include "glyphs.h"

#include <QPainterPath>
#include <QPen>
#include <cmath>
#include <numbers>

namespace art {
namespace {

// Maps the 24 x 24 design grid onto the box for the lifetime of the guard.
class Grid {
public:
    Grid(QPainter& p, const QRectF& box) : m_painter(p) {
        m_painter.save();
        m_painter.setRenderHint(QPainter::Antialiasing, true);
        m_painter.translate(box.topLeft());
        m_painter.scale(box.width() / 24.0, box.height() / 24.0);
    }
    ~Grid() { m_painter.restore(); }
    Grid(const Grid&) = delete;
    Grid& operator=(const Grid&) = delete;

private:
    QPainter& m_painter;
};

QPen Stroke(const QColor& colour, double width) {
    QPen pen(colour, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

} // namespace

void DrawCross(QPainter& p, const QRectF& box, const QColor& colour) {
    Grid grid(p, box);
    p.setPen(Stroke(colour, 2.4));
    p.drawLine(QPointF(6, 6), QPointF(18, 18));
    p.drawLine(QPointF(18, 6), QPointF(6, 18));
}

void DrawMinimise(QPainter& p, const QRectF& box, const QColor& colour) {
    Grid grid(p, box);
    p.setPen(Stroke(colour, 2.4));
    p.drawLine(QPointF(6, 17), QPointF(18, 17));
}

void DrawMaximise(QPainter& p, const QRectF& box, const QColor& colour) {
    Grid grid(p, box);
    p.setPen(Stroke(colour, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6, 6, 12, 12), 1.5, 1.5);
    p.drawLine(QPointF(6, 9), QPointF(18, 9));
}

void DrawQuestion(QPainter& p, const QRectF& box, const QColor& colour) {
    Grid grid(p, box);
    p.setPen(Stroke(colour, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(3, 3, 18, 18));
    QPainterPath hook;
    hook.moveTo(9.2, 9.6);
    hook.cubicTo(9.2, 6.4, 14.8, 6.4, 14.8, 9.6);
    hook.cubicTo(14.8, 11.8, 12, 11.8, 12, 14.2);
    p.setPen(Stroke(colour, 2.0));
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QPointF(12, 17.4), 1.3, 1.3);
}

void DrawMagnifier(QPainter& p, const QRectF& box, const QColor& colour) {
    Grid grid(p, box);
    p.setPen(Stroke(colour, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(4, 4, 11, 11));
    p.setPen(Stroke(colour, 3.2));
    p.drawLine(QPointF(14, 14), QPointF(20, 20));
}

void DrawDeviceList(QPainter& p, const QRectF& box, const QColor& colour) {
    Grid grid(p, box);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (int row = 0; row < 4; ++row) {
        const double y = 4.5 + row * 4.6;
        p.drawRoundedRect(QRectF(3, y, 3.2, 3.2), 0.8, 0.8);
        p.drawRoundedRect(QRectF(8, y + 0.4, 13, 2.4), 1.0, 1.0);
    }
}

void DrawBatch(QPainter& p, const QRectF& box, const QColor& colour) {
    Grid grid(p, box);
    p.setBrush(Qt::NoBrush);
    p.setPen(Stroke(colour, 1.6));
    for (int i = 0; i < 3; ++i) {
        const double offset = i * 3.0;
        p.drawRoundedRect(QRectF(3 + offset, 11 - offset, 12, 8), 1.2, 1.2);
    }
    p.setPen(Stroke(colour, 2.2));
    QPainterPath tick;
    tick.moveTo(13.5, 15.5);
    tick.lineTo(16.5, 18.5);
    tick.lineTo(22, 12.5);
    p.drawPath(tick);
}

void DrawDisk(QPainter& p, const QRectF& box, const QColor& colour) {
    Grid grid(p, box);
    p.setPen(Stroke(colour, 1.6));
    p.setBrush(Qt::NoBrush);
    // A drum of three platters with a gauge needle on the front.
    p.drawEllipse(QRectF(4, 3, 16, 5));
    p.drawLine(QPointF(4, 5.5), QPointF(4, 18.5));
    p.drawLine(QPointF(20, 5.5), QPointF(20, 18.5));
    p.drawArc(QRectF(4, 16, 16, 5), 180 * 16, 180 * 16);
    p.drawArc(QRectF(4, 9.5, 16, 5), 180 * 16, 180 * 16);
    p.setPen(Stroke(colour, 2.0));
    p.drawLine(QPointF(12, 17), QPointF(16, 13.5));
}

void DrawGear(QPainter& p, const QRectF& box, const QColor& colour) {
    Grid grid(p, box);
    QPainterPath gear;
    const int teeth = 8;
    const double outer = 10.0;
    const double inner = 7.6;
    for (int i = 0; i < teeth * 4; ++i) {
        const double angle = (i / (teeth * 4.0)) * 2.0 * std::numbers::pi;
        const double radius = (i % 4 == 1 || i % 4 == 2) ? outer : inner;
        const QPointF point(12 + radius * std::cos(angle), 12 + radius * std::sin(angle));
        if (i == 0) {
            gear.moveTo(point);
        } else {
            gear.lineTo(point);
        }
    }
    gear.closeSubpath();
    gear.addEllipse(QPointF(12, 12), 3.2, 3.2);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(gear);
}

void DrawGlobe(QPainter& p, const QRectF& box, const QColor& colour) {
    Grid grid(p, box);
    p.setPen(Stroke(colour, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(3, 3, 18, 18));
    p.drawEllipse(QRectF(8, 3, 8, 18));
    p.drawLine(QPointF(3, 12), QPointF(21, 12));
    p.drawLine(QPointF(12, 3), QPointF(12, 21));
}

void DrawClock(QPainter& p, const QRectF& box, const QColor& colour) {
    Grid grid(p, box);
    p.setPen(Stroke(colour, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(3, 3, 18, 18));
    p.drawLine(QPointF(12, 12), QPointF(12, 6.5));
    p.drawLine(QPointF(12, 12), QPointF(16, 14.5));
}

void DrawColumns(QPainter& p, const QRectF& box, const QColor& colour) {
    Grid grid(p, box);
    p.setPen(Stroke(colour, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3, 4, 18, 16), 1.5, 1.5);
    p.drawLine(QPointF(9, 4), QPointF(9, 20));
    p.drawLine(QPointF(15, 4), QPointF(15, 20));
    p.drawLine(QPointF(3, 8.5), QPointF(21, 8.5));
}

void DrawInfo(QPainter& p, const QRectF& box, const QColor& colour) {
    Grid grid(p, box);
    p.setPen(Stroke(colour, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(3, 3, 18, 18));
    p.setPen(Stroke(colour, 2.4));
    p.drawLine(QPointF(12, 11), QPointF(12, 16.5));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QPointF(12, 7.6), 1.4, 1.4);
}

void DrawMessage(QPainter& p, const QRectF& box, const QColor& fill, const QColor& mark) {
    Grid grid(p, box);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(1.5, 2, 21, 15.5), 4, 4);
    QPainterPath tail;
    tail.moveTo(6, 16);
    tail.lineTo(5, 22);
    tail.lineTo(12, 16);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(bubble);
    p.setPen(Stroke(mark, 2.6));
    p.drawLine(QPointF(12, 5.6), QPointF(12, 10.6));
    p.setPen(Qt::NoPen);
    p.setBrush(mark);
    p.drawEllipse(QPointF(12, 14), 1.5, 1.5);
}

} // namespace art
