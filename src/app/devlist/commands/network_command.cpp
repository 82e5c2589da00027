// Network change: the network dialog, then the CFG exchange on a pool
// thread; on success the record takes the new values and gives up its login.
// A family that changes the network through its own service logs in first
// and reports success only once the device answered at its new place.
#include "devlist/device_actions.h"
#include "devlist/device_columns.h"
#include "devlist/device_commands.h"
#include "devlist/dlg_modify_network.h"
#include "discovery/config_sender.h"
#include "sdk/session_crypto.h"
#include "session/device_session.h"
#include "ui/color_list_ctrl.h"

#include <optional>
#include <tuple>
#include <utility>

namespace {

// The record takes the new values, gives up its login and shows its new
// address.
void ShowNetworkChanged(CDeviceActions& actions, const DeviceEntry& changed, bool viaV3) {
    if (DeviceEntry* target = actions.EntryByMac(DeviceKey(changed))) {
        ApplyNetworkChange(*target, changed, viaV3);
        // The login is given up at once and logged out at the next
        // search; the session redraws the login column.
        actions.Session().ParkLoginAfterNetworkChange(*target);
        const int targetRow = actions.RowOf(DeviceKey(changed));
        if (targetRow >= 0) {
            actions.List()->SetItemText(targetRow, kColIp, QString::fromStdString(target->ip));
        }
    }
    actions.Tip("info.operate_success");
}

void ChangeThroughLink(CDeviceActions& actions, int row, const DeviceEntry& changed) {
    actions.LoginThen(row, false, [&actions, changed](DeviceEntry& entry) {
        const std::optional<DeviceLogin> login = actions.Session().Logins().Find(DeviceKey(entry));
        if (!login) {
            actions.SetRunning(false);
            actions.Tip("info.operate_fail");
            return;
        }
        DeviceLink* link = &actions.Session().LinkFor(entry);
        DeviceEntry target = changed;
        target.mac = DeviceKey(entry); // the key the login may have given it
        if (!changed.AcceptsConfigV3()) {
            target.dhcpMode = 2; // the short form sets a fixed address
        }
        // The worker gives back whether the device took the change, the key
        // of why not, and the address it was found at.
        actions.RunOnWorker(
            [copy = entry, login = *login, link, target]() mutable {
                std::string failKey;
                const bool changedIt = link->ChangeNetwork(copy, login, target, failKey);
                return std::make_tuple(changedIt, failKey, target.ip);
            },
            [&actions, target](const std::tuple<bool, std::string, std::string>& outcome) mutable {
                actions.SetRunning(false);
                if (!std::get<0>(outcome)) {
                    actions.Tip(std::get<1>(outcome).c_str());
                    return;
                }
                target.ip = std::get<2>(outcome);
                ShowNetworkChanged(actions, target, true);
            });
    });
}

} // namespace

void RunNetworkChange(CDeviceActions& actions, int row, int) {
    DeviceEntry* entry = actions.EntryAt(row);
    if (entry == nullptr) {
        actions.Tip("info.operate_fail");
        return;
    }
    DeviceEntry request;
    request.mac = entry->mac;
    request.ip = entry->ip;
    request.gateway = entry->gateway;
    request.mask = entry->mask;
    request.dns1 = entry->dns1;
    request.dns2 = entry->dns2;
    request.dhcpMode = entry->dhcpMode;
    request.capabilities = entry->capabilities;
    request.interfaceName = entry->interfaceName;
    const bool throughLink = actions.Session().LinkFor(*entry).ChangesNetworkItself();
    if (throughLink) {
        // A family that changes the network itself takes DHCP and DNS
        // servers too: the dialog's long form.
        request.capabilities |= DeviceEntry::kAcceptsConfigV3;
    }
    DeviceEntry changed;
    std::string adminPassword;
    if (CDlgModifyNetworkNew::Ask(actions.Page(), request, changed, adminPassword, !throughLink) != 1) {
        return;
    }
    // The broadcasts leave where the device was found.
    changed.interfaceName = request.interfaceName;
    // The dialog ran a modal loop: another page may have started something.
    if (actions.RefuseWhenBusy()) {
        return;
    }
    if (throughLink) {
        ChangeThroughLink(actions, row, changed);
        sdkwire::WipeAll(adminPassword);
        return;
    }
    actions.SetRunning(true);
    ConfigSenderOptions options;
    options.endpoints = actions.Session().Endpoints();
    const bool viaV3 = changed.AcceptsConfigV3();
    actions.RunOnWorker(
        [changed, adminPassword, options]() mutable {
            const int result = SendNetworkConfig(changed, adminPassword, options);
            sdkwire::WipeAll(adminPassword);
            return result;
        },
        [&actions, changed, viaV3](int result) {
            actions.SetRunning(false);
            if (result != kConfigSuccess) {
                actions.Tip(result == kConfigTimeout ? "info.operate_timeout" : "info.operate_fail");
                return;
            }
            ShowNetworkChanged(actions, changed, viaV3);
        });
    sdkwire::WipeAll(adminPassword);
}
