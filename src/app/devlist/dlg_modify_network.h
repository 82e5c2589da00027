#pragma once
// CDlgModifyNetworkNew: edits one device's network settings before the
// device list sends them. Devices that accept CFG.V3 (capability bit 3) get
// the extended form: administrator password, DHCP and both DNS servers
// besides address, MAC, mask and gateway; the others the short form. A
// device whose family changes the network after a login gets the long form
// without the administrator password (the login guards the change). Typing
// the address proposes gateway and mask; OK checks address, mask and
// gateway and stays open with "info.IP_set_error" when they do not fit. It
// sends nothing itself.
//
// Tests answer it through SetAnswerer: the answerer gets the filled dialog
// (not shown), may edit its controls and press OK, and returns the result.
#include "discovery/device_entry.h"
#include "ui/popup_dialog.h"

#include <functional>

class CIpAddressCtrl;
class CxSkinButton;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;

class CDlgModifyNetworkNew : public CPopupDialog {
    Q_OBJECT

public:
    using Answerer = std::function<int(CDlgModifyNetworkNew& dialog)>;

    explicit CDlgModifyNetworkNew(QWidget* parent = nullptr);

    // Fills the dialog from the entry's mac, addresses, DHCP mode and
    // capabilities; the form is fixed here. Without withPassword the long
    // form leaves out the administrator password.
    void SetEntry(const DeviceEntry& entry, bool withPassword = true);
    // After OK: the new ip, gateway, mask, dns1, dns2 and dhcpMode, and the
    // administrator password that guards CFG.V3.
    const DeviceEntry& Entry() const { return m_entry; }
    const std::string& AdminPassword() const { return m_adminPassword; }
    bool IsExtended() const { return m_extended; }
    bool InitialDhcp() const { return m_initialDhcp; }
    // 1 (OK) or 2 (closed).
    int DoModal();
    // The Modify button.
    void OnOk();

    // Shows the dialog for a copy of the entry (or asks the answerer); on 1
    // the changed values are in changed, the password in adminPassword.
    static int Ask(QWidget* owner, const DeviceEntry& entry, DeviceEntry& changed, std::string& adminPassword,
                   bool withPassword = true);
    static void SetAnswerer(Answerer answerer);

protected:
private:
    void OnLanguageChanged() override;
    void Layout();
    void OnAddressChanged();
    void OnDhcpClicked();
    void EnableAddressControls(bool enabled);

    DeviceEntry m_entry;
    std::string m_adminPassword;
    bool m_extended = true;
    bool m_withPassword = true;
    bool m_initialDhcp = false;

    QLabel* m_securityHeading;
    QLabel* m_passwordLabel;
    QLineEdit* m_password;
    QFrame* m_line1;
    QFrame* m_line2;
    QLabel* m_netHeading;
    QLabel* m_dhcpLabel;
    QCheckBox* m_dhcp;
    QLabel* m_ipLabel;
    CIpAddressCtrl* m_ip;
    QLabel* m_macLabel;
    QLineEdit* m_mac;
    QLabel* m_maskLabel;
    CIpAddressCtrl* m_mask;
    QLabel* m_gatewayLabel;
    CIpAddressCtrl* m_gateway;
    QLabel* m_dns1Label;
    CIpAddressCtrl* m_dns1;
    QLabel* m_dns2Label;
    CIpAddressCtrl* m_dns2;
    CxSkinButton* m_ok;
};
