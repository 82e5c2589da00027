#include "devlist/dlg_modify_model.h"

#include "operate/device_actions.h"
#include "ui/body_label.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"
#include "util/tool.h"

#include <QEvent>
#include <QLineEdit>

namespace {

constexpr int kWidth = 340;
constexpr int kHeight = 230;
constexpr int kBand = 40;
constexpr int kLabelX = 20;
constexpr int kEditX = 140;
constexpr int kEditWidth = 180;
constexpr int kRowHeight = 28;

CDlgModifyModel::Answerer& InstalledAnswerer() {
    static CDlgModifyModel::Answerer answerer;
    return answerer;
}

} // namespace

CDlgModifyModel::CDlgModifyModel(QWidget* parent)
    : CPopupDialog(parent, kBand), m_macLabel(MakeBodyLabel(this, "macLabel")),
      m_macEdit(new QLineEdit(this)), m_modelLabel(MakeBodyLabel(this, "modelLabel")),
      m_modelEdit(new QLineEdit(this)), m_newLabel(MakeBodyLabel(this, "newModelLabel")),
      m_newEdit(new QLineEdit(this)), m_modify(new CxSkinButton(this)) {
    setObjectName("modifyModelDialog");
    setFixedSize(kWidth, kHeight);
    PlaceBandControls(false);
    m_macEdit->setObjectName("macEdit");
    m_modelEdit->setObjectName("currentModelEdit");
    m_newEdit->setObjectName("newModelEdit");
    m_modify->setObjectName("modifyButton");
    m_macEdit->setReadOnly(true);
    m_modelEdit->setReadOnly(true);
    m_modify->SetSkin(look::kButtonSkin);
    const std::pair<QLabel*, QLineEdit*> rows[] = {
        {m_macLabel, m_macEdit}, {m_modelLabel, m_modelEdit}, {m_newLabel, m_newEdit}};
    int y = 58;
    for (const auto& [label, edit] : rows) {
        label->setGeometry(kLabelX, y, kEditX - kLabelX - 6, kRowHeight);
        edit->setGeometry(kEditX, y, kEditWidth, kRowHeight);
        y += 40;
    }
    m_modify->setGeometry(kEditX, y + 4, 110, kRowHeight);
    connect(m_newEdit, &QLineEdit::textChanged, this, &CDlgModifyModel::OnEdited);
    connect(m_modify, &CxSkinButton::clicked, this, &CDlgModifyModel::OnModify);
    OnLanguageChanged();
}

void CDlgModifyModel::SetDevice(const std::string& mac, const std::string& model) {
    m_macEdit->setText(QString::fromStdString(mac));
    m_modelEdit->setText(QString::fromStdString(model));
    m_newEdit->setText(QString::fromStdString(model));
}

void CDlgModifyModel::OnLanguageChanged() {
    AlignBodyLabels(this);
    TitleLabel()->setText(LangText("tx.Modify_model"));
    m_macLabel->setText(LangText("ck.MAC"));
    m_modelLabel->setText(LangText("ck.Model"));
    m_newLabel->setText(LangText("tx.Des_model"));
    m_modify->SetCaption(LangText("tx.Modify"));
}

void CDlgModifyModel::OnEdited() {
    const Tool::EditFieldResult limited =
        Tool::LimitEditAnsi(m_newEdit->text().toStdString(), kModelEditByteLimit);
    if (limited.changed) {
        const QSignalBlocker blocker(m_newEdit);
        m_newEdit->setText(QString::fromStdString(limited.text));
        m_newEdit->setCursorPosition(static_cast<int>(limited.caret));
    }
}

void CDlgModifyModel::OnModify() {
    const std::string text = m_newEdit->text().toStdString();
    std::string offending;
    switch (CheckNewModel(text, offending)) {
    case ModelTextCheck::Empty:
        ShowTip(this, "msg.Err_new_model_empty", false, kTipIconExclamation);
        return;
    case ModelTextCheck::IllegalChar:
        ShowTip(this, "msg.Contain_Illegal_Char", false, kTipIconStop);
        return;
    case ModelTextCheck::Ok:
        break;
    }
    m_newModel = text;
    done(1);
}

int CDlgModifyModel::DoModal() {
    return exec() == 1 ? 1 : 2;
}

bool CDlgModifyModel::Ask(QWidget* owner, const std::string& mac, const std::string& model,
                          std::string& newModel) {
    if (InstalledAnswerer()) {
        return InstalledAnswerer()(mac, model, newModel);
    }
    CDlgModifyModel dialog(owner);
    dialog.SetDevice(mac, model);
    if (dialog.DoModal() != 1) {
        return false;
    }
    newModel = dialog.NewModel();
    return true;
}

void CDlgModifyModel::SetAnswerer(Answerer answerer) {
    InstalledAnswerer() = std::move(answerer);
}
