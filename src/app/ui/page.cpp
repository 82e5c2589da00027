#include "ui/page.h"

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
