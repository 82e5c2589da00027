#include "operate/operate_panel.h"

#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

COperatePanel::COperatePanel(QWidget* parent, IOperateHost& host) : QWidget(parent), m_host(host) {}

void COperatePanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        OnLanguageChanged();
    }
    QWidget::changeEvent(event);
}

QLabel* COperatePanel::MakeLabel(const char* name, int x, int y) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(x, y, panel_grid::kLabelWidth, panel_grid::kRowHeight);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, look::kBodyTextColor);
    label->setPalette(colours);
    return label;
}

QLineEdit* COperatePanel::MakeEdit(const char* name, int x, int y, int width) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setGeometry(x, y, width, panel_grid::kRowHeight);
    return edit;
}

CxSkinButton* COperatePanel::MakeButton(const char* name, int x, int y) {
    auto* button = new CxSkinButton(this);
    button->setObjectName(name);
    button->SetSkin(look::kButtonSkin);
    button->setGeometry(x, y, panel_grid::kButtonWidth, panel_grid::kRowHeight);
    return button;
}

void COperatePanel::SetCaption(CxSkinButton* button, std::string_view key) {
    button->SetCaption(LangText(key));
    button->SetTooltip(LangText(key));
}

bool COperatePanel::RefusedWhileBusy() {
    if (!m_host.AnyBusy()) {
        return false;
    }
    ShowTip(this, "info.Configuring_wait", false, kTipIconInformation);
    return true;
}

bool COperatePanel::Confirmed(std::string_view key) {
    return ShowTip(this, key, true, kTipIconQuestion) == kTipOk;
}

void COperatePanel::ApplyRule(QLineEdit& field, const Tool::EditFieldResult& result) {
    if (!result.changed) {
        return;
    }
    const QSignalBlocker quiet(field);
    field.setText(QString::fromStdString(result.text));
    field.setCursorPosition(static_cast<int>(result.caret));
}
