#include "devlist/dlg_modify_network.h"

#include "discovery/ip_rules.h"
#include "ui/body_label.h"
#include "ui/dlg_tip.h"
#include "ui/ip_address_ctrl.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>

namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 500;
constexpr int kBand = 40;
// The short form: the common rows move up 140 pixels, the button 210, and
// the window is 210 pixels lower.
constexpr int kShortRowsLift = 140;
constexpr int kShortButtonLift = 210;
constexpr int kLabelX = 20;
constexpr int kControlX = 150;
constexpr int kControlWidth = 200;
constexpr int kRowHeight = 28;

CDlgModifyNetworkNew::Answerer& InstalledAnswerer() {
    static CDlgModifyNetworkNew::Answerer answerer;
    return answerer;
}

QFrame* MakeLine(QWidget* parent, const char* name) {
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

CIpAddressCtrl* MakeIp(QWidget* parent, const char* name) {
    auto* control = new CIpAddressCtrl(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

} // namespace

CDlgModifyNetworkNew::CDlgModifyNetworkNew(QWidget* parent)
    : CPopupDialog(parent, kBand), m_securityHeading(MakeBodyLabel(this, "securityHeading")),
      m_passwordLabel(MakeBodyLabel(this, "adminPasswordLabel")), m_password(new QLineEdit(this)),
      m_line1(MakeLine(this, "line1")), m_line2(MakeLine(this, "line2")),
      m_netHeading(MakeBodyLabel(this, "netHeading")), m_dhcpLabel(MakeBodyLabel(this, "dhcpLabel")),
      m_dhcp(new QCheckBox(this)), m_ipLabel(MakeBodyLabel(this, "ipLabel")), m_ip(MakeIp(this, "ipAddress")),
      m_macLabel(MakeBodyLabel(this, "macLabel")), m_mac(new QLineEdit(this)),
      m_maskLabel(MakeBodyLabel(this, "maskLabel")), m_mask(MakeIp(this, "maskAddress")),
      m_gatewayLabel(MakeBodyLabel(this, "gatewayLabel")), m_gateway(MakeIp(this, "gatewayAddress")),
      m_dns1Label(MakeBodyLabel(this, "dns1Label")), m_dns1(MakeIp(this, "dns1Address")),
      m_dns2Label(MakeBodyLabel(this, "dns2Label")), m_dns2(MakeIp(this, "dns2Address")),
      m_ok(new CxSkinButton(this)) {
    setObjectName("modifyNetworkDialog");
    m_password->setObjectName("adminPasswordEdit");
    m_password->setEchoMode(QLineEdit::Password);
    m_dhcp->setObjectName("dhcpCheck");
    m_mac->setObjectName("macEdit");
    m_mac->setReadOnly(true);
    m_ok->setObjectName("okButton");
    m_ok->SetSkin(look::kButtonSkin);
    QFont heading = m_securityHeading->font();
    heading.setBold(true);
    m_securityHeading->setFont(heading);
    m_netHeading->setFont(heading);
    connect(m_ip, &CIpAddressCtrl::FieldChanged, this, &CDlgModifyNetworkNew::OnAddressChanged);
    connect(m_dhcp, &QCheckBox::clicked, this, &CDlgModifyNetworkNew::OnDhcpClicked);
    connect(m_ok, &CxSkinButton::clicked, this, &CDlgModifyNetworkNew::OnOk);
    OnLanguageChanged();
    Layout();
}

void CDlgModifyNetworkNew::SetEntry(const DeviceEntry& entry, bool withPassword) {
    m_entry = entry;
    m_extended = entry.AcceptsConfigV3();
    m_withPassword = withPassword;
    Layout();
    // DHCP 1 ticks the box, 2 clears it; any other value leaves it clear.
    m_initialDhcp = entry.dhcpMode == 1;
    m_dhcp->setChecked(m_initialDhcp);
    EnableAddressControls(!m_initialDhcp);
    m_ip->SetText(QString::fromStdString(entry.ip));
    m_mac->setText(QString::fromStdString(entry.mac));
    m_mask->SetText(QString::fromStdString(entry.mask));
    m_gateway->SetText(QString::fromStdString(entry.gateway));
    m_dns1->SetText(QString::fromStdString(entry.dns1));
    m_dns2->SetText(QString::fromStdString(entry.dns2));
    m_password->clear();
}

void CDlgModifyNetworkNew::OnLanguageChanged() {
    AlignBodyLabels(this);
    TitleLabel()->setText(LangText("tx.NetworkModify"));
    m_securityHeading->setText(LangText("tx.Security"));
    m_passwordLabel->setText(LangText("tx.Admin_Pas"));
    m_netHeading->setText(LangText("tx.NetParam"));
    m_dhcpLabel->setText(LangText("tx.Dhcp"));
    m_ipLabel->setText(LangText("tx.Ip"));
    m_macLabel->setText(LangText("ck.MAC"));
    m_maskLabel->setText(LangText("tx.Mask"));
    m_gatewayLabel->setText(LangText("tx.Gateway"));
    m_dns1Label->setText(LangText("tx.PriDns"));
    m_dns2Label->setText(LangText("tx.SndDns"));
    m_ok->SetCaption(LangText("tx.Modify"));
}

void CDlgModifyNetworkNew::Layout() {
    // Without the password the long form starts with its network heading.
    const int securityLift = m_extended && !m_withPassword ? 74 : 0;
    const int rowsLift = m_extended ? securityLift : kShortRowsLift;
    const int buttonLift = m_extended ? securityLift : kShortButtonLift;
    setFixedSize(kWidth, kHeight - buttonLift);
    PlaceBandControls(false);
    const int labelWidth = kControlX - kLabelX - 6;
    m_securityHeading->setGeometry(kLabelX, 50, kWidth - 2 * kLabelX, 22);
    m_line1->setGeometry(kLabelX, 74, kWidth - 2 * kLabelX, 2);
    m_passwordLabel->setGeometry(kLabelX, 84, labelWidth, kRowHeight);
    m_password->setGeometry(kControlX, 84, kControlWidth, kRowHeight);
    m_netHeading->setGeometry(kLabelX, 124 - securityLift, kWidth - 2 * kLabelX, 22);
    m_line2->setGeometry(kLabelX, 148 - securityLift, kWidth - 2 * kLabelX, 2);
    m_dhcpLabel->setGeometry(kLabelX, 158 - securityLift, labelWidth, kRowHeight);
    m_dhcp->setGeometry(kControlX, 158 - securityLift, kRowHeight, kRowHeight);
    const std::pair<QLabel*, QWidget*> common[] = {
        {m_ipLabel, m_ip}, {m_macLabel, m_mac}, {m_maskLabel, m_mask}, {m_gatewayLabel, m_gateway}};
    int y = 198 - rowsLift;
    for (const auto& [label, control] : common) {
        label->setGeometry(kLabelX, y, labelWidth, kRowHeight);
        control->setGeometry(kControlX, y, kControlWidth, kRowHeight);
        y += 40;
    }
    m_dns1Label->setGeometry(kLabelX, 358 - securityLift, labelWidth, kRowHeight);
    m_dns1->setGeometry(kControlX, 358 - securityLift, kControlWidth, kRowHeight);
    m_dns2Label->setGeometry(kLabelX, 398 - securityLift, labelWidth, kRowHeight);
    m_dns2->setGeometry(kControlX, 398 - securityLift, kControlWidth, kRowHeight);
    m_ok->setGeometry((kWidth - 120) / 2, 450 - buttonLift, 120, kRowHeight);
    for (QWidget* extendedOnly : std::initializer_list<QWidget*>{
             m_securityHeading, m_passwordLabel, m_password, m_line1, m_line2, m_netHeading, m_dhcpLabel,
             m_dhcp, m_dns1Label, m_dns1, m_dns2Label, m_dns2}) {
        extendedOnly->setVisible(m_extended);
    }
    for (QWidget* security : {static_cast<QWidget*>(m_securityHeading), static_cast<QWidget*>(m_line1),
                              static_cast<QWidget*>(m_passwordLabel), static_cast<QWidget*>(m_password)}) {
        security->setVisible(m_extended && m_withPassword);
    }
}

void CDlgModifyNetworkNew::OnAddressChanged() {
    if (m_ip->IsBlank()) {
        return;
    }
    const IpProposal proposal = ProposeGatewayAndMask(m_ip->Text().toStdString());
    m_gateway->SetText(QString::fromStdString(proposal.gateway));
    m_mask->SetText(QString::fromStdString(proposal.mask));
}

void CDlgModifyNetworkNew::OnDhcpClicked() {
    EnableAddressControls(!m_dhcp->isChecked());
}

void CDlgModifyNetworkNew::EnableAddressControls(bool enabled) {
    // The DNS servers stay editable either way.
    m_ip->setEnabled(enabled);
    m_mask->setEnabled(enabled);
    m_gateway->setEnabled(enabled);
}

void CDlgModifyNetworkNew::OnOk() {
    // Checked whether DHCP is ticked or not: the values are sent either way.
    if (!CheckIpSettings(m_ip->Value(), m_mask->Value(), m_gateway->Value())) {
        ShowTip(this, "info.IP_set_error", false, kTipIconInformation);
        return;
    }
    // CFG.V3 carries the password in clear to the broadcast address: the
    // user agrees to that first, or stays in the dialog.
    if (m_extended && !m_password->text().isEmpty() &&
        ShowTip(this, "msg.cfg_v3_clear_password", true, kTipIconExclamation) != kTipOk) {
        return;
    }
    m_entry.ip = m_ip->Text().toStdString();
    m_entry.mask = m_mask->Text().toStdString();
    m_entry.gateway = m_gateway->Text().toStdString();
    m_entry.dns1 = m_dns1->Text().toStdString();
    m_entry.dns2 = m_dns2->Text().toStdString();
    m_adminPassword = m_password->text().toStdString();
    m_entry.dhcpMode = m_dhcp->isChecked() ? 1 : 2;
    done(1);
}

int CDlgModifyNetworkNew::DoModal() {
    return exec() == 1 ? 1 : 2;
}

int CDlgModifyNetworkNew::Ask(QWidget* owner, const DeviceEntry& entry, DeviceEntry& changed,
                              std::string& adminPassword, bool withPassword) {
    CDlgModifyNetworkNew dialog(owner);
    dialog.SetEntry(entry, withPassword);
    const int result = InstalledAnswerer() ? InstalledAnswerer()(dialog) : dialog.DoModal();
    if (result == 1) {
        changed = dialog.Entry();
        adminPassword = dialog.AdminPassword();
    }
    return result == 1 ? 1 : 2;
}

void CDlgModifyNetworkNew::SetAnswerer(Answerer answerer) {
    InstalledAnswerer() = std::move(answerer);
}
