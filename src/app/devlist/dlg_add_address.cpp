#include "devlist/dlg_add_address.h"

#include "discovery/address_range.h"
#include "lang/tool_language.h"
#include "session/device_session.h"
#include "ui/body_label.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QLabel>
#include <QLineEdit>
#include <string>

namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 230;
constexpr int kBand = 40;
constexpr int kMargin = 20;

} // namespace

CDlgAddAddress::CDlgAddAddress(QWidget* parent, DeviceSession& session)
    : CPopupDialog(parent, kBand), m_session(session), m_label(MakeBodyLabel(this, "addressLabel")),
      m_edit(new QLineEdit(this)), m_hint(MakeBodyLabel(this, "hintLabel")),
      m_status(MakeBodyLabel(this, "statusLabel")), m_probe(new CxSkinButton(this)),
      m_close(new CxSkinButton(this)) {
    setObjectName("addAddressDialog");
    m_edit->setObjectName("addressEdit");
    m_edit->setMaxLength(40);
    m_probe->setObjectName("probeButton");
    m_close->setObjectName("closeButton");
    m_probe->SetSkin(look::kButtonSkin);
    m_close->SetSkin(look::kButtonSkin);
    m_hint->setWordWrap(true);
    m_status->setWordWrap(true);
    setFixedSize(kWidth, kHeight);
    PlaceBandControls(false);
    const int inner = kWidth - 2 * kMargin;
    m_label->setGeometry(kMargin, 54, inner, 22);
    m_edit->setGeometry(kMargin, 78, inner, 28);
    m_hint->setGeometry(kMargin, 108, inner, 36);
    m_status->setGeometry(kMargin, 146, inner, 36);
    m_probe->setGeometry(kWidth / 2 - 110, 188, 100, 28);
    m_close->setGeometry(kWidth / 2 + 10, 188, 100, 28);
    connect(m_probe, &CxSkinButton::clicked, this, &CDlgAddAddress::OnProbe);
    connect(m_close, &CxSkinButton::clicked, this, [this] { done(2); });
    connect(m_edit, &QLineEdit::returnPressed, this, &CDlgAddAddress::OnProbe);
    connect(&m_session, &DeviceSession::ProbeFinished, this, &CDlgAddAddress::OnProbeFinished);
    OnLanguageChanged();
}

void CDlgAddAddress::OnLanguageChanged() {
    AlignBodyLabels(this);
    TitleLabel()->setText(LangText("msg.Add_by_address"));
    m_label->setText(LangText("tx.Address_or_range"));
    m_hint->setText(LangText("tx.Address_range_hint"));
    m_probe->SetCaption(LangText("tx.Add_address"));
    m_close->SetCaption(LangText("tx.Close"));
}

void CDlgAddAddress::ShowStatus(const QString& text) {
    m_status->setText(text);
}

void CDlgAddAddress::OnProbe() {
    if (m_probing) {
        return;
    }
    const AddressRangeParse parsed = ParseAddressRange(m_edit->text().toStdString());
    if (!parsed.range) {
        ShowStatus(LangText(parsed.errorKey));
        return;
    }
    if (const char* refusal = m_session.ProbeAddresses(*parsed.range).refusal) {
        ShowStatus(LangText(refusal));
        return;
    }
    m_probing = true;
    m_probe->setEnabled(false);
    ShowStatus(LangText("tx.Probing_addresses"));
}

void CDlgAddAddress::OnProbeFinished(int found) {
    if (!m_probing) {
        return;
    }
    m_probing = false;
    m_probe->setEnabled(true);
    if (found == 0) {
        ShowStatus(LangText("info.Probe_none"));
        return;
    }
    const std::string text =
        Tool::FormatText(LangText("info.Probe_found").toStdString(), std::to_string(found));
    ShowStatus(QString::fromStdString(text));
}
