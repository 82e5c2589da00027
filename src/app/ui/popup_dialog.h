#pragma once
// The look the pop-up dialogs share: no system caption, a dark title band
// with a white title, a skinned close button in the band's right corner, a
// white body, and the window moves when the band is dragged. Return and
// Escape close nothing.
#include "ui/window_drag.h"

#include <QColor>
#include <QDialog>

class CxSkinButton;
class QLabel;

class CPopupDialog : public QDialog {
    Q_OBJECT

public:
    // bandHeight: height of the dark band, which is also the drag area.
    explicit CPopupDialog(QWidget* parent, int bandHeight);

    QLabel* TitleLabel() const { return m_title; }
    CxSkinButton* CloseButton() const { return m_close; }
    int BandHeight() const { return m_bandHeight; }
    // Lays out the title static at (10, 10), or with an icon (10, 9) 32 x 32
    // and the title at (52, 15), 20 high and reaching 30 pixels before the
    // right edge; the close button at (W - 24, 6) 20 x 20.
    void PlaceBandControls(bool withIcon);

protected:
    // The close button: ends the dialog with 2 unless a dialog does otherwise.
    virtual void OnCloseButton();
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Calls OnLanguageChanged on Qt's LanguageChange event.
    void changeEvent(QEvent* event) override;
    // Showing or a language switch keeps every label on its side (text_sides.h).
    bool event(QEvent* event) override;
    // The language changed: set every text again. The default sets none.
    virtual void OnLanguageChanged() {}

    // Paints the body below the band; the default is white.
    virtual void PaintBody(QPainter& painter);
    void SetBandColour(const QColor& colour) { m_bandColour = colour; }

private:
    QLabel* m_title;
    CxSkinButton* m_close;
    QColor m_bandColour;
    WindowDrag m_drag;
    int m_bandHeight;
    bool m_withIcon = false;
};

// True for the keys that must never close a window: Return, Enter, Escape.
bool IsClosingKey(int key);
