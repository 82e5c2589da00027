#include "ui/dlg_tip.h"

#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_bitmaps.h"
#include "ui/skin_button.h"

#include <QLabel>
#include <QMessageBox>
#include <QPainter>

namespace {

// 195 x 105 dialog units of a 9-point font.
constexpr int kWidth = 300;
constexpr int kHeight = 184;
constexpr int kBand = 40;
constexpr int kButtonStrip = 40;
constexpr int kMessageIconId = 132;

CDlgTip::Answerer& InstalledAnswerer() {
    static CDlgTip::Answerer answerer;
    return answerer;
}

bool IsKnownIconType(int type) {
    return type == kTipIconStop || type == kTipIconQuestion || type == kTipIconExclamation ||
           type == kTipIconInformation;
}

} // namespace

CDlgTip::CDlgTip(QWidget* parent)
    : CPopupDialog(parent, kBand), m_message(new QLabel(this)), m_icon(new QLabel(this)),
      m_ok(new CxSkinButton(this)), m_cancel(new CxSkinButton(this)) {
    setObjectName("tipDialog");
    setFixedSize(kWidth, kHeight);
    m_message->setObjectName("message");
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette body = m_message->palette();
    body.setColor(QPalette::WindowText, look::kBodyTextColor);
    m_message->setPalette(body);
    m_message->setGeometry(60, kBand + 8, kWidth - 72, kHeight - kBand - kButtonStrip - 16);
    m_icon->setObjectName("icon");
    m_icon->setGeometry(16, kBand + (kHeight - kBand - kButtonStrip - 32) / 2, 32, 32);
    m_ok->setObjectName("okButton");
    m_cancel->setObjectName("cancelButton");
    m_cancel->setGeometry(kWidth - 92, kHeight - 33, 80, 26);
    m_ok->setGeometry(kWidth - 180, kHeight - 33, 80, 26);
    connect(m_ok, &CxSkinButton::clicked, this, [this] { done(kTipOk); });
    connect(m_cancel, &CxSkinButton::clicked, this, [this] { done(kTipCancel); });
}

void CDlgTip::SetTip(const QString& text, const QString& title, bool twoButtons, bool showIcon,
                     int iconType) {
    m_request = TipRequest{text, title, twoButtons, showIcon, iconType};
}

void CDlgTip::Prepare() {
    m_message->setText(m_request.text);
    TitleLabel()->setText(m_request.title);
    m_ok->SetCaption(LangText("tx.OK"));
    m_cancel->SetCaption(LangText("tx.Cancel"));
    m_icon->clear();
    if (m_request.showIcon && IsKnownIconType(m_request.iconType)) {
        m_icon->setPixmap(SkinBitmap(kMessageIconId));
    }
    m_ok->SetSkin(look::kButtonSkin);
    m_cancel->SetSkin(look::kButtonSkin);
    PlaceBandControls(false);
    if (m_request.twoButtons) {
        m_ok->setGeometry(kWidth - 180, kHeight - 33, 80, 26);
        m_cancel->show();
    } else {
        // A single OK takes Cancel's place in the lower right.
        m_ok->setGeometry(m_cancel->geometry());
        m_cancel->hide();
    }
}

int CDlgTip::DoModal() {
    if (InstalledAnswerer()) {
        return InstalledAnswerer()(m_request);
    }
    Prepare();
    const int result = exec();
    return result == kTipOk ? kTipOk : kTipCancel;
}

void CDlgTip::SetAnswerer(Answerer answerer) {
    InstalledAnswerer() = std::move(answerer);
}

bool CDlgTip::HasAnswerer() {
    return static_cast<bool>(InstalledAnswerer());
}

void ShowPlatformMessage(const QString& text, const QString& caption) {
    if (InstalledAnswerer()) {
        InstalledAnswerer()(TipRequest{text, caption, false, false, 0});
        return;
    }
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok);
    box.exec();
}

void CDlgTip::PaintBody(QPainter& painter) {
    painter.fillRect(rect(), Qt::white);
    painter.fillRect(QRect(0, height() - kButtonStrip, width(), kButtonStrip), look::kButtonStripColor);
}

int ShowTip(QWidget* owner, std::string_view textKey, bool twoButtons, int iconType) {
    return ShowTipText(owner, LangText(textKey), twoButtons, iconType);
}

int ShowTipText(QWidget* owner, const QString& text, bool twoButtons, int iconType) {
    CDlgTip tip(owner);
    tip.SetTip(text, LangText("msg.Msg"), twoButtons, true, iconType);
    return tip.DoModal();
}
