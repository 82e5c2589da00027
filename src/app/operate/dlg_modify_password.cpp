#include "operate/dlg_modify_password.h"

#include "lang/tool_language.h"
#include "operate/panel_rules.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/skin_button.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {
constexpr const char* kLabelKeys[3] = {"tx.Old_pas", "tx.New_pas", "tx.Confirm"};
constexpr const char* kEditNames[3] = {"oldPasswordEdit", "newPasswordEdit", "confirmPasswordEdit"};
constexpr const char* kLabelNames[3] = {"oldPasswordLabel", "newPasswordLabel", "confirmPasswordLabel"};
} // namespace

CDlgModifyPassword::CDlgModifyPassword(QWidget* parent, IOperateHost& host) : COperatePanel(parent, host) {
    using namespace panel_grid;
    setObjectName("passwordPanel");
    for (std::size_t row = 0; row < m_edits.size(); ++row) {
        const int y = 10 + static_cast<int>(row) * 38;
        m_labels[row] = MakeLabel(kLabelNames[row], kLabelX, y);
        m_edits[row] = MakeEdit(kEditNames[row], kEditX, y, kEditWidth);
        m_edits[row]->setEchoMode(QLineEdit::Password);
        QLineEdit* edit = m_edits[row];
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { OnEdited(*edit); });
    }
    m_modify = MakeButton("modifyButton", kLabelX, 134);
    connect(m_modify, &CxSkinButton::clicked, this, &CDlgModifyPassword::OnModify);
    OnLanguageChanged();
}

void CDlgModifyPassword::OnLanguageChanged() {
    for (std::size_t row = 0; row < m_labels.size(); ++row) {
        m_labels[row]->setText(LangText(kLabelKeys[row]));
    }
    SetCaption(m_modify, "tx.Modify");
}

void CDlgModifyPassword::hideEvent(QHideEvent* event) {
    for (QLineEdit* edit : m_edits) {
        const QSignalBlocker quiet(edit);
        edit->clear();
    }
    COperatePanel::hideEvent(event);
}

void CDlgModifyPassword::OnEdited(QLineEdit& edit) {
    const panel_rules::PasswordEdit rule = panel_rules::CheckPasswordEdit(edit.text().toStdString());
    if (rule.illegal) {
        {
            const QSignalBlocker quiet(edit);
            edit.clear();
        }
        const std::string format = LangText("strContainIllegalChar").toStdString();
        ShowTipText(this, QString::fromStdString(Tool::FormatText(format, rule.offending)), false,
                    kTipIconStop);
        return;
    }
    Tool::EditFieldResult cut;
    cut.changed = rule.changed;
    cut.text = rule.text;
    cut.caret = Tool::Utf16Length(rule.text);
    ApplyRule(edit, cut);
}

void CDlgModifyPassword::OnModify() {
    const std::string oldPassword = m_edits[0]->text().toStdString();
    const std::string newPassword = m_edits[1]->text().toStdString();
    if (newPassword != m_edits[2]->text().toStdString()) {
        ShowTip(this, "info.two_pas_inconsistent", false, kTipIconExclamation);
        return;
    }
    if (RefusedWhileBusy() || !Confirmed("msg.Ensure_modify_password")) {
        return;
    }
    BatchRequest request;
    request.operation = BatchOperation::Password;
    request.oldPassword = oldPassword;
    request.newPassword = newPassword;
    m_host.RunBatch(std::move(request));
}
