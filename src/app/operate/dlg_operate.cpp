#include "operate/dlg_operate.h"

#include "ui/lang_text.h"

#include <QLabel>
#include <QPainter>

CDlgOperate::CDlgOperate(QWidget* parent) : CPage(parent), m_title(new QLabel(this)) {
    setObjectName("operatePage");
    m_title->setObjectName("pageTitle");
    m_title->setGeometry(20, 16, 400, 24);
    OnLanguageChanged();
}

void CDlgOperate::OnLanguageChanged() {
    m_title->setText(LangText("menu.Batch_Operate"));
}

void CDlgOperate::OnRelayout() {}

void CDlgOperate::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}
