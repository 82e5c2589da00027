#pragma once
// CDlgLoginLocal: the login dialog (user, password and, for a single device,
// its address), and DesktopLoginPrompt, the desktop's ILoginPrompt that shows
// it on the window thread whichever thread asks.
//
// Tests answer the dialog through CDlgLoginLocal::SetAnswerer, the way
// CDlgTip is answered: while an answerer is installed no dialog is shown.
#include "operate/login.h"
#include "ui/popup_dialog.h"

#include <QPointer>
#include <functional>
#include <string>

class CxSkinButton;
class QLabel;
class QLineEdit;

class CDlgLoginLocal : public CPopupDialog {
    Q_OBJECT

public:
    // Runs on the window thread; false: cancelled.
    using Answerer =
        std::function<bool(const LoginPromptRequest& request, std::string& user, std::string& password)>;

    explicit CDlgLoginLocal(QWidget* parent = nullptr);
    ~CDlgLoginLocal() override; // wipes the password it kept

    // Caption key, address row and user preset; the texts are set here.
    void SetRequest(const LoginPromptRequest& request);
    // 1 (OK) or 2 (Cancel, close button); the entered texts are then in
    // User() and Password(), UTF-8.
    int DoModal();
    const std::string& User() const { return m_user; }
    const std::string& Password() const { return m_password; }
    const std::string& Address() const { return m_address; }

    // Shows the dialog (or asks the answerer) on the calling thread, which
    // must be the window thread.
    static bool Ask(QWidget* owner, const LoginPromptRequest& request, std::string& user,
                    std::string& password);
    static void SetAnswerer(Answerer answerer);

protected:
private:
    void OnLanguageChanged() override;
    void Layout();
    void OnOk();

    LoginPromptRequest m_request;
    std::string m_user;
    std::string m_password;
    std::string m_address;
    QLabel* m_userLabel;
    QLineEdit* m_userEdit;
    QLabel* m_passwordLabel;
    QLineEdit* m_passwordEdit;
    QLabel* m_addressLabel;
    QLineEdit* m_addressEdit;
    CxSkinButton* m_ok;
    CxSkinButton* m_cancel;
};

// The desktop's login prompt. Made on the window thread; a worker that asks
// waits while the dialog runs there (a blocking queued call), so widgets are
// only ever touched by the window thread. Asked on the window thread, the
// dialog runs directly. The prompt must outlive every worker that may ask.
class DesktopLoginPrompt : public QObject, public ILoginPrompt {
    Q_OBJECT

public:
    explicit DesktopLoginPrompt(QWidget* owner);
    bool AskCredentials(const LoginPromptRequest& request, std::string& user, std::string& password) override;

private:
    QPointer<QWidget> m_owner;
};
