#pragma once
// CxSkinButton: a push button drawn from four bitmaps (normal, down, over,
// disabled) with its caption on top. Navigation buttons force one of the
// bitmaps to show their selected state; the search button forces the
// disabled one while a search runs.
//
// Press tracking is the push button's own: pressing, dragging off and
// releasing does not click, and dragging back on shows it pushed again. A
// double click counts as a second press, so two quick clicks are two clicks.
#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QStringList>
#include <array>

// Forced look values.
enum SkinForcedLook : int {
    kLookNone = 0,
    kLookDown = 1,
    kLookOver = 2,
    kLookDisabled = 3, // and above
};

// Which bitmap a button shows.
enum class SkinFace { Normal, Down, Over, Disabled };

// The drawing rule: a forced look wins; then disabled, pushed, hover (when
// an over bitmap exists), normal.
SkinFace ChooseSkinFace(int forcedLook, bool enabled, bool pushed, bool hovering, bool hasOverBitmap);

// How a caption is drawn in its rectangle: the lines and the font.
struct CaptionFit {
    QStringList lines;
    QFont font;
    bool elided = false; // the lines do not hold the whole caption
};

// Fits caption into area with at most maxLines lines. One line: the
// caption in font, elided on the right when too wide. More lines: wrapped
// at word boundaries in font, then in a font up to two pixels smaller;
// when even that needs more lines, or a word is wider than the area, the
// lines are wrapped anywhere in font and the last one is elided.
CaptionFit FitCaption(const QString& caption, const QFont& font, const QSize& area, int maxLines);

class CxSkinButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit CxSkinButton(QWidget* parent = nullptr);

    // Loads the four bitmap resources, replacing the previous ones.
    void SetSkin(int normalId, int downId, int overId, int disabledId);
    void SetSkin(const int (&ids)[4]) { SetSkin(ids[0], ids[1], ids[2], ids[3]); }
    void SetCaption(const QString& caption);
    QString Caption() const { return text(); }
    void SetTooltip(const QString& tip);
    void SetForcedLook(int look);
    int ForcedLook() const { return m_forcedLook; }
    void SetTextColor(const QColor& colour);
    // Reserves the top of the button for the bitmap's glyph: the caption is
    // centred in the part below. 0 (the default) centres it in the whole button.
    void SetCaptionTop(int top);
    // Lets the caption wrap onto up to lines lines (1, the default: never).
    void SetCaptionLines(int lines);
    // The caption as it is drawn at the button's present size.
    CaptionFit FittedCaption() const;
    QRect CaptionRect() const;

    bool IsHovering() const { return m_hovering; }
    SkinFace CurrentFace() const;
    // True when the caption does not fit and is drawn with an ellipsis.
    bool CaptionElided() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::array<QPixmap, 4> m_bitmaps; // indexed by SkinFace
    QColor m_textColor;
    int m_forcedLook = kLookNone;
    int m_captionTop = 0;
    int m_captionLines = 1;
    bool m_hovering = false;
};

// Draws a bitmap into a rectangle of another size: the leftmost and
// rightmost 10 pixels keep their width (stretched vertically only) and the
// middle part is stretched into the rest. Equal sizes copy the bitmap.
void DrawSkinBitmap(QPainter& painter, const QRect& target, const QPixmap& bitmap);
