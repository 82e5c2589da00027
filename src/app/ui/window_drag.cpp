#include "ui/window_drag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

bool WindowDrag::Begin(QWidget& window, const QMouseEvent& press) {
    if (press.button() != Qt::LeftButton) {
        return false;
    }
    QWindow* handle = window.window()->windowHandle();
    if (handle != nullptr && handle->startSystemMove()) {
        m_following = false;
        return true;
    }
    m_grabOffset = press.globalPosition().toPoint() - window.window()->frameGeometry().topLeft();
    m_following = true;
    return true;
}

bool WindowDrag::Follow(QWidget& window, const QMouseEvent& move) {
    if (!m_following || (move.buttons() & Qt::LeftButton) == 0) {
        m_following = false;
        return false;
    }
    window.window()->move(move.globalPosition().toPoint() - m_grabOffset);
    return true;
}
