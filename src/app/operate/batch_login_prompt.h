#pragma once
// BatchLoginPrompt: the desktop program's answer to the batch login. The
// engine asks on its worker thread; the prompt shows a modal credentials
// dialog on the window thread and blocks the worker (never the window)
// until the user answers.
#include "operate/login.h"

#include <QObject>

class QWidget;

class BatchLoginPrompt : public QObject, public ILoginPrompt {
    Q_OBJECT

public:
    // owner: the window the dialog is centred on; the prompt lives on its thread.
    explicit BatchLoginPrompt(QWidget* owner);

    bool AskCredentials(const LoginPromptRequest& request, std::string& user, std::string& password) override;

private:
    // On the window thread.
    bool RunDialog(const LoginPromptRequest& request, std::string& user, std::string& password);

    QWidget* m_owner;
};
