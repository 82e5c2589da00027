#include "capacity/dlg_capacity_calculator.h"

#include "ui/lang_text.h"

#include <QLabel>
#include <QPainter>

CDlgCapacityCalculator::CDlgCapacityCalculator(QWidget* parent) : CPage(parent), m_title(new QLabel(this)) {
    setObjectName("capacityPage");
    m_title->setObjectName("pageTitle");
    m_title->setGeometry(20, 16, 400, 24);
    OnLanguageChanged();
}

void CDlgCapacityCalculator::OnLanguageChanged() {
    m_title->setText(LangText("menu.Capacity_calucator"));
}

void CDlgCapacityCalculator::OnRelayout() {}

void CDlgCapacityCalculator::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}
