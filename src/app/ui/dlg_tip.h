#pragma once
// CDlgTip: the one message dialog of the system. Every message, question and
// waiting notice goes through it, with the title of "msg.Msg": a text, one
// (OK) or two (OK, Cancel) buttons and an optional icon. Running it gives 1
// for OK and 2 for Cancel or the close button.
//
// Tests answer it through SetAnswerer: while an answerer is installed, no
// dialog is shown and the answerer's result is returned instead. The one
// message shown before any window exists (ShowPlatformMessage) goes through
// the same answerer.
#include "ui/popup_dialog.h"

#include <QString>
#include <functional>
#include <string_view>

class CxSkinButton;
class QLabel;

// The platform's message-box icon values.
enum TipIcon : int {
    kTipIconStop = 16,
    kTipIconQuestion = 32,
    kTipIconExclamation = 48,
    kTipIconInformation = 64,
};

enum TipResult : int {
    kTipOk = 1,
    kTipCancel = 2,
};

struct TipRequest {
    QString text;
    QString title;
    bool twoButtons = false;
    bool showIcon = false;
    int iconType = 0;
};

class CDlgTip : public CPopupDialog {
    Q_OBJECT

public:
    using Answerer = std::function<int(const TipRequest&)>;

    explicit CDlgTip(QWidget* parent = nullptr);

    void SetTip(const QString& text, const QString& title, bool twoButtons, bool showIcon, int iconType);
    const TipRequest& Request() const { return m_request; }
    // Fills and lays out the controls from the stored values (done by DoModal).
    void Prepare();
    // Runs the dialog modally: 1 (OK) or 2 (Cancel, close button).
    int DoModal();

    static void SetAnswerer(Answerer answerer);
    static bool HasAnswerer();

private:
    TipRequest m_request;
    QLabel* m_message;
    QLabel* m_icon;
    CxSkinButton* m_ok;
    CxSkinButton* m_cancel;

protected:
    void PaintBody(QPainter& painter) override;
};

// A message of the system: the text of textKey, titled "msg.Msg", with the
// icon. Returns the dialog's result.
int ShowTip(QWidget* owner, std::string_view textKey, bool twoButtons, int iconType);
// The same with a text already looked up (and filled in, where the text has a "%s").
int ShowTipText(QWidget* owner, const QString& text, bool twoButtons, int iconType);
// A message box of the platform, for start-up before the language is loaded.
void ShowPlatformMessage(const QString& text, const QString& caption);
