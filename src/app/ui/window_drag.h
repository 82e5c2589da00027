#pragma once
// Moving a window without a system caption by dragging its own title band.
// The window system moves it when it can; otherwise (for example on the
// offscreen platform) the window follows the mouse itself.
#include <QPoint>

class QMouseEvent;
class QWidget;

class WindowDrag {
public:
    // A left press on the band of window: starts the move. Returns true when
    // the press was taken.
    bool Begin(QWidget& window, const QMouseEvent& press);
    // Mouse moves while the button is held; true when the window moved.
    bool Follow(QWidget& window, const QMouseEvent& move);
    void End() { m_following = false; }
    bool Active() const { return m_following; }

private:
    QPoint m_grabOffset; // cursor position relative to the window's top-left corner
    bool m_following = false;
};
