#include "ui/skin_button.h"

#include "ui/skin_bitmaps.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

namespace {

constexpr int kEdge = 10;        // bitmap edge kept unstretched horizontally
constexpr int kCaptionInset = 2; // caption rectangle narrowed left and right

std::size_t FaceIndex(SkinFace face) {
    return static_cast<std::size_t>(face);
}

// A pack may mark where a long word may break with a soft hyphen: shown as
// a hyphen at the end of a line, nowhere else.
constexpr QChar kSoftHyphen(0x00AD);

QString WithoutSoftHyphens(QString text) {
    return text.remove(kSoftHyphen);
}

// The lines text breaks into at width in font, under the wrap rule.
QStringList WrapLines(const QString& text, const QFont& font, int width, QTextOption::WrapMode wrap) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(wrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        QString shown = text.mid(line.textStart(), line.textLength()).trimmed();
        if (shown.endsWith(kSoftHyphen)) {
            shown.back() = QChar('-');
        }
        lines.push_back(WithoutSoftHyphens(shown));
    }
    layout.endLayout();
    return lines;
}

bool LinesFit(const QStringList& lines, const QFont& font, const QSize& area, int maxLines) {
    const QFontMetrics metrics(font);
    if (lines.size() > maxLines || lines.size() * metrics.height() > area.height()) {
        return false;
    }
    return std::all_of(lines.begin(), lines.end(),
                       [&](const QString& line) { return metrics.horizontalAdvance(line) <= area.width(); });
}

} // namespace

CaptionFit FitCaption(const QString& caption, const QFont& font, const QSize& area, int maxLines) {
    const QFontMetrics metrics(font);
    if (maxLines <= 1) {
        const QString whole = WithoutSoftHyphens(caption);
        return {{metrics.elidedText(whole, Qt::ElideRight, area.width())},
                font,
                metrics.horizontalAdvance(whole) > area.width()};
    }
    QFont smaller = font;
    const int basePixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    for (int pixels = basePixels; pixels >= basePixels - 2 && pixels > 0; --pixels) {
        smaller.setPixelSize(pixels);
        const QStringList lines = WrapLines(caption, smaller, area.width(), QTextOption::WordWrap);
        if (LinesFit(lines, smaller, area, maxLines)) {
            return {lines, smaller, false};
        }
    }
    // The last resort: as many lines as there is room for, the last elided.
    const int room = std::max(1, std::min(maxLines, area.height() / std::max(1, metrics.height())));
    QStringList lines = WrapLines(caption, font, area.width(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    if (lines.size() > room) {
        QStringList rest = lines.mid(room - 1);
        lines = lines.mid(0, room - 1);
        lines.push_back(metrics.elidedText(rest.join(' '), Qt::ElideRight, area.width()));
    }
    return {lines, font, true};
}

SkinFace ChooseSkinFace(int forcedLook, bool enabled, bool pushed, bool hovering, bool hasOverBitmap) {
    if (forcedLook == kLookDown) {
        return SkinFace::Down;
    }
    if (forcedLook == kLookOver) {
        return SkinFace::Over;
    }
    if (forcedLook >= kLookDisabled) {
        return SkinFace::Disabled;
    }
    if (!enabled) {
        return SkinFace::Disabled;
    }
    if (pushed) {
        return SkinFace::Down;
    }
    if (hovering && hasOverBitmap) {
        return SkinFace::Over;
    }
    return SkinFace::Normal;
}

void DrawSkinBitmap(QPainter& painter, const QRect& target, const QPixmap& bitmap) {
    if (bitmap.size() == target.size()) {
        painter.drawPixmap(target.topLeft(), bitmap);
        return;
    }
    const int bw = bitmap.width();
    const int bh = bitmap.height();
    if (bw <= 2 * kEdge || target.width() <= 2 * kEdge) {
        painter.drawPixmap(target, bitmap);
        return;
    }
    painter.drawPixmap(QRect(target.left(), target.top(), kEdge, target.height()), bitmap,
                       QRect(0, 0, kEdge, bh));
    painter.drawPixmap(QRect(target.right() + 1 - kEdge, target.top(), kEdge, target.height()), bitmap,
                       QRect(bw - kEdge, 0, kEdge, bh));
    painter.drawPixmap(
        QRect(target.left() + kEdge, target.top(), target.width() - 2 * kEdge, target.height()), bitmap,
        QRect(kEdge, 0, bw - 2 * kEdge, bh));
}

CxSkinButton::CxSkinButton(QWidget* parent) : QAbstractButton(parent) {
    m_textColor = palette().color(QPalette::ButtonText);
    setAttribute(Qt::WA_Hover, true);
    setMouseTracking(true);
}

void CxSkinButton::SetSkin(int normalId, int downId, int overId, int disabledId) {
    m_bitmaps[FaceIndex(SkinFace::Normal)] = SkinBitmap(normalId);
    m_bitmaps[FaceIndex(SkinFace::Down)] = SkinBitmap(downId);
    m_bitmaps[FaceIndex(SkinFace::Over)] = SkinBitmap(overId);
    m_bitmaps[FaceIndex(SkinFace::Disabled)] = SkinBitmap(disabledId);
    update();
}

void CxSkinButton::SetCaption(const QString& caption) {
    setText(caption);
    update();
}

void CxSkinButton::SetTooltip(const QString& tip) {
    setToolTip(WithoutSoftHyphens(tip));
}

void CxSkinButton::SetForcedLook(int look) {
    m_forcedLook = look;
    update();
}

void CxSkinButton::SetTextColor(const QColor& colour) {
    m_textColor = colour;
    update();
}

void CxSkinButton::SetCaptionTop(int top) {
    m_captionTop = top;
    update();
}

void CxSkinButton::SetCaptionLines(int lines) {
    m_captionLines = std::max(1, lines);
    update();
}

CaptionFit CxSkinButton::FittedCaption() const {
    return FitCaption(text(), font(), CaptionRect().size(), m_captionLines);
}

SkinFace CxSkinButton::CurrentFace() const {
    return ChooseSkinFace(m_forcedLook, isEnabled(), isDown(), m_hovering,
                          !m_bitmaps[FaceIndex(SkinFace::Over)].isNull());
}

QRect CxSkinButton::CaptionRect() const {
    return rect().adjusted(kCaptionInset, m_captionTop, -kCaptionInset, 0);
}

bool CxSkinButton::CaptionElided() const {
    return FittedCaption().elided;
}

QSize CxSkinButton::sizeHint() const {
    const QPixmap& normal = m_bitmaps[FaceIndex(SkinFace::Normal)];
    if (!normal.isNull()) {
        return normal.size();
    }
    return QSize(fontMetrics().horizontalAdvance(text()) + 16, fontMetrics().height() + 10);
}

void CxSkinButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setFont(font());
    const QPixmap& bitmap = m_bitmaps[FaceIndex(CurrentFace())];
    if (bitmap.isNull()) {
        painter.fillRect(rect(), palette().color(QPalette::Button));
    } else {
        DrawSkinBitmap(painter, rect(), bitmap);
    }
    const CaptionFit fit = FittedCaption();
    painter.setFont(fit.font);
    painter.setPen(m_textColor);
    painter.drawText(CaptionRect(), Qt::AlignCenter, fit.lines.join('\n'));
    // A caption that does not fit offers itself whole as the tool tip.
    if (fit.elided && toolTip() != WithoutSoftHyphens(text())) {
        setToolTip(WithoutSoftHyphens(text()));
    }
}

void CxSkinButton::enterEvent(QEnterEvent* event) {
    if (!m_hovering) {
        m_hovering = true;
        update();
    }
    QAbstractButton::enterEvent(event);
}

void CxSkinButton::leaveEvent(QEvent* event) {
    m_hovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CxSkinButton::mousePressEvent(QMouseEvent* event) {
    // A press ends the hover look: the button shows its down bitmap now.
    if (m_hovering && event->button() == Qt::LeftButton) {
        m_hovering = false;
    }
    QAbstractButton::mousePressEvent(event);
}

void CxSkinButton::mouseMoveEvent(QMouseEvent* event) {
    // Moving inside the button again after a press brings the hover look back.
    if (!m_hovering && rect().contains(event->position().toPoint())) {
        m_hovering = true;
        update();
    }
    QAbstractButton::mouseMoveEvent(event);
}
