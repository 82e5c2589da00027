#include "operate/dlg_login_local.h"

#include "sdk/session_crypto.h"
#include "ui/body_label.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QThread>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 230; // with the address row
constexpr int kBand = 40;
constexpr int kAddressRowHeight = 40;
constexpr int kLabelX = 20;
constexpr int kEditX = 120;
constexpr int kEditWidth = 180;
constexpr int kRowHeight = 28;

CDlgLoginLocal::Answerer& InstalledAnswerer() {
    static CDlgLoginLocal::Answerer answerer;
    return answerer;
}

} // namespace

CDlgLoginLocal::CDlgLoginLocal(QWidget* parent)
    : CPopupDialog(parent, kBand), m_userLabel(MakeBodyLabel(this, "userLabel")),
      m_userEdit(new QLineEdit(this)), m_passwordLabel(MakeBodyLabel(this, "passwordLabel")),
      m_passwordEdit(new QLineEdit(this)), m_addressLabel(MakeBodyLabel(this, "addressLabel")),
      m_addressEdit(new QLineEdit(this)), m_ok(new CxSkinButton(this)), m_cancel(new CxSkinButton(this)) {
    setObjectName("loginDialog");
    m_userEdit->setObjectName("userEdit");
    m_passwordEdit->setObjectName("passwordEdit");
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_addressEdit->setObjectName("addressEdit");
    m_addressEdit->setReadOnly(true);
    m_ok->setObjectName("okButton");
    m_cancel->setObjectName("cancelButton");
    m_ok->SetSkin(look::kButtonSkin);
    m_cancel->SetSkin(look::kButtonSkin);
    connect(m_ok, &CxSkinButton::clicked, this, &CDlgLoginLocal::OnOk);
    connect(m_cancel, &CxSkinButton::clicked, this, [this] { done(2); });
    SetRequest(m_request);
}

void CDlgLoginLocal::SetRequest(const LoginPromptRequest& request) {
    m_request = request;
    m_userEdit->setText(QString::fromStdString(request.user));
    m_passwordEdit->clear();
    m_addressEdit->setText(QString::fromStdString(request.address));
    OnLanguageChanged();
    Layout();
}

void CDlgLoginLocal::OnLanguageChanged() {
    AlignBodyLabels(this);
    TitleLabel()->setText(LangText(m_request.captionKey.empty() ? "msg.Login" : m_request.captionKey));
    m_userLabel->setText(LangText("tx.Username"));
    m_passwordLabel->setText(LangText("tx.Password"));
    m_addressLabel->setText(LangText("tx.Ip"));
    m_ok->SetCaption(LangText("tx.OK"));
    m_cancel->SetCaption(LangText("tx.Cancel"));
}

void CDlgLoginLocal::Layout() {
    // Without the address row the buttons sit 40 pixels higher and the
    // window is 40 pixels shorter.
    const int lift = m_request.showAddress ? 0 : kAddressRowHeight;
    setFixedSize(kWidth, kHeight - lift);
    PlaceBandControls(false);
    m_userLabel->setGeometry(kLabelX, 58, kEditX - kLabelX - 6, kRowHeight);
    m_userEdit->setGeometry(kEditX, 58, kEditWidth, kRowHeight);
    m_passwordLabel->setGeometry(kLabelX, 98, kEditX - kLabelX - 6, kRowHeight);
    m_passwordEdit->setGeometry(kEditX, 98, kEditWidth, kRowHeight);
    m_addressLabel->setGeometry(kLabelX, 138, kEditX - kLabelX - 6, kRowHeight);
    m_addressEdit->setGeometry(kEditX, 138, kEditWidth, kRowHeight);
    m_addressLabel->setVisible(m_request.showAddress);
    m_addressEdit->setVisible(m_request.showAddress);
    m_ok->setGeometry(kEditX - 20, 184 - lift, 90, 28);
    m_cancel->setGeometry(kEditX + 90, 184 - lift, 90, 28);
}

CDlgLoginLocal::~CDlgLoginLocal() {
    sdkwire::WipeAll(m_password);
}

void CDlgLoginLocal::OnOk() {
    m_user = m_userEdit->text().toStdString();
    // The typed password leaves the edit at once; the copies made on the
    // way are overwritten.
    QString typed = m_passwordEdit->text();
    m_passwordEdit->clear();
    QByteArray utf8 = typed.toUtf8();
    m_password.assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    sdkwire::Wipe(utf8.data(), static_cast<std::size_t>(utf8.size()));
    sdkwire::Wipe(typed.data(), static_cast<std::size_t>(typed.size()) * sizeof(QChar));
    m_address = m_addressEdit->text().toStdString();
    done(1);
}

int CDlgLoginLocal::DoModal() {
    return exec() == 1 ? 1 : 2;
}

bool CDlgLoginLocal::Ask(QWidget* owner, const LoginPromptRequest& request, std::string& user,
                         std::string& password) {
    if (InstalledAnswerer()) {
        return InstalledAnswerer()(request, user, password);
    }
    CDlgLoginLocal dialog(owner);
    dialog.SetRequest(request);
    if (dialog.DoModal() != 1) {
        return false;
    }
    user = dialog.User();
    password = dialog.Password();
    return true;
}

void CDlgLoginLocal::SetAnswerer(Answerer answerer) {
    InstalledAnswerer() = std::move(answerer);
}

DesktopLoginPrompt::DesktopLoginPrompt(QWidget* owner) : QObject(owner), m_owner(owner) {}

bool DesktopLoginPrompt::AskCredentials(const LoginPromptRequest& request, std::string& user,
                                        std::string& password) {
    if (QThread::currentThread() == thread()) {
        return CDlgLoginLocal::Ask(m_owner, request, user, password);
    }
    // A worker asks: the dialog runs on the window thread and this thread
    // waits for its answer there.
    bool answered = false;
    QMetaObject::invokeMethod(
        this, [&] { answered = CDlgLoginLocal::Ask(m_owner, request, user, password); },
        Qt::BlockingQueuedConnection);
    return answered;
}
