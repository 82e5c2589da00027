#include "settings/setting_page.h"

#include "ui/body_static.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>

void CSettingPage::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}

void CSettingPage::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        OnLanguageChanged();
    }
    QWidget::changeEvent(event);
}

QLabel* CSettingPage::MakeStatic(const char* name) {
    return MakeBodyStatic(this, name);
}
