#include "ui/page.h"

#include "ui/text_sides.h"

#include <QEvent>

void CPage::RebuildAfterSearch() {
    if (!isHidden()) {
        OnSearchEnd();
        return;
    }
    QMetaObject::invokeMethod(
        this, [this] { OnSearchEnd(); }, Qt::QueuedConnection);
}

void CPage::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        OnLanguageChanged();
    }
    QWidget::changeEvent(event);
}

bool CPage::event(QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::LanguageChange) {
        KeepTextSides(this);
    }
    return QWidget::event(event);
}
