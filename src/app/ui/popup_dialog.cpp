#include "ui/popup_dialog.h"

#include "ui/shared_look.h"
#include "ui/skin_button.h"
#include "ui/text_sides.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <algorithm>

bool IsClosingKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

CPopupDialog::CPopupDialog(QWidget* parent, int bandHeight)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_title(new QLabel(this)),
      m_close(new CxSkinButton(this)), m_bandColour(look::kBackColor), m_bandHeight(bandHeight) {
    m_title->setObjectName("title");
    m_title->setTextFormat(Qt::PlainText);
    QPalette titlePalette = m_title->palette();
    titlePalette.setColor(QPalette::WindowText, look::kTextColor);
    m_title->setPalette(titlePalette);
    m_close->setObjectName("closeButton");
    m_close->SetSkin(look::kCloseSkin);
    m_close->setFocusPolicy(Qt::NoFocus);
    connect(m_close, &CxSkinButton::clicked, this, [this] { OnCloseButton(); });
    PlaceBandControls(false);
}

namespace {

// Room between the title's end and the window's right edge: the close button.
constexpr int kTitleToClose = 30;

} // namespace

void CPopupDialog::PlaceBandControls(bool withIcon) {
    m_withIcon = withIcon;
    // The title reaches the close button, whatever the dialog's width: a
    // pack's longer title then fits where the English one does.
    const int left = withIcon ? 52 : 10;
    m_title->setGeometry(left, withIcon ? 15 : 10, std::max(0, width() - left - kTitleToClose), 20);
    m_close->setGeometry(width() - 24, 6, 20, 20);
}

void CPopupDialog::OnCloseButton() {
    done(2);
}

void CPopupDialog::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    PaintBody(painter);
    painter.fillRect(QRect(0, 0, width(), m_bandHeight), m_bandColour);
}

void CPopupDialog::PaintBody(QPainter& painter) {
    painter.fillRect(rect(), Qt::white);
}

void CPopupDialog::keyPressEvent(QKeyEvent* event) {
    if (IsClosingKey(event->key())) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CPopupDialog::mousePressEvent(QMouseEvent* event) {
    if (event->position().y() < m_bandHeight && m_drag.Begin(*this, *event)) {
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CPopupDialog::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag.Follow(*this, *event)) {
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CPopupDialog::mouseReleaseEvent(QMouseEvent* event) {
    m_drag.End();
    QDialog::mouseReleaseEvent(event);
}

void CPopupDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        OnLanguageChanged();
    }
    QDialog::changeEvent(event);
}

bool CPopupDialog::event(QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::LanguageChange) {
        KeepTextSides(this);
    }
    return QDialog::event(event);
}

void CPopupDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceBandControls(m_withIcon);
}
