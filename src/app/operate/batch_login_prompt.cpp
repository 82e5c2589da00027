#include "operate/batch_login_prompt.h"

#include "ui/lang_text.h"
#include "ui/popup_dialog.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QLabel>
#include <QLineEdit>
#include <QThread>

BatchLoginPrompt::BatchLoginPrompt(QWidget* owner) : QObject(owner), m_owner(owner) {}

bool BatchLoginPrompt::AskCredentials(const LoginPromptRequest& request, std::string& user,
                                      std::string& password) {
    if (QThread::currentThread() == thread()) {
        return RunDialog(request, user, password);
    }
    bool answered = false;
    QMetaObject::invokeMethod(
        this, [&] { answered = RunDialog(request, user, password); }, Qt::BlockingQueuedConnection);
    return answered;
}

bool BatchLoginPrompt::RunDialog(const LoginPromptRequest& request, std::string& user,
                                 std::string& password) {
    CPopupDialog dialog(m_owner, 40);
    dialog.setObjectName("batchLoginDialog");
    dialog.resize(320, 200);
    dialog.TitleLabel()->setText(LangText(request.captionKey));
    dialog.TitleLabel()->resize(260, 20);
    dialog.PlaceBandControls(false);
    auto label = [&dialog](const char* key, int y) {
        auto* text = new QLabel(LangText(key), &dialog);
        text->setTextFormat(Qt::PlainText);
        text->setGeometry(20, y, 100, 28);
    };
    label("tx.Username", 56);
    label("tx.Password", 96);
    auto* userEdit = new QLineEdit(QString::fromStdString(request.user), &dialog);
    userEdit->setObjectName("userEdit");
    userEdit->setGeometry(120, 56, 180, 28);
    auto* passwordEdit = new QLineEdit(&dialog);
    passwordEdit->setObjectName("passwordEdit");
    passwordEdit->setEchoMode(QLineEdit::Password);
    passwordEdit->setGeometry(120, 96, 180, 28);
    auto* ok = new CxSkinButton(&dialog);
    ok->setObjectName("okButton");
    ok->SetSkin(look::kButtonSkin);
    ok->SetCaption(LangText("tx.OK"));
    ok->setGeometry(120, 146, 85, 30);
    QObject::connect(ok, &CxSkinButton::clicked, &dialog, &QDialog::accept);
    passwordEdit->setFocus();
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    user = userEdit->text().toStdString();
    password = passwordEdit->text().toStdString();
    return true;
}
