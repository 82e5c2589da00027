#include "settings/setting_page.h"

#include "ui/shared_look.h"

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
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, look::kBodyTextColor);
    label->setPalette(colours);
    return label;
}
