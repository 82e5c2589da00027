#pragma once
// The ONVIF family's device link. A login reads the device's information
// (device information, network interfaces, gateway, DNS, protocols,
// services) with the credentials, HTTP digest first and WS-Security with the
// device's clock offset as the fallback, and keeps the credentials for the
// calls that follow; what worked is remembered per device. There is no
// session to end: a logout only forgets.
//
// Errors are reported with the login error codes the native family uses
// (1 wrong password, 3 time-out, 5 locked, 9 no connection, 11 other), so
// every front end shows them with its existing texts. The operations this
// family does not offer yet report false (the record's operations keep
// them out of menus and batches).
#include "discovery/device_entry.h"
#include "onvif/config_backup.h"
#include "onvif/device_call.h"
#include "onvif/device_info.h"
#include "onvif/firmware_upgrade.h"
#include "onvif/soap_transport.h"
#include "operate/device_link.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace onvif {

int LoginErrorOf(InfoOutcome outcome);

class OnvifLink : public DeviceLink {
public:
    // nowUtcSeconds: this computer's clock, a seam for tests.
    explicit OnvifLink(std::shared_ptr<SoapTransport> transport, std::function<int64_t()> nowUtcSeconds = {});

    bool Login(const DeviceEntry& entry, const std::string& user, const std::string& password,
               DeviceLogin& login, int& error) override;
    void Logout(const DeviceLogin& login) override;
    bool Reboot(const DeviceLogin&) override { return false; }
    bool FactoryDefault(const DeviceLogin&) override { return false; }
    int ChangePassword(const DeviceLogin&, const std::string&, const std::string&) override { return 0; }
    PortChangeResult ChangePorts(DeviceEntry&, const DeviceLogin&, const PortTriple&) override { return {}; }
    // The restore of config_backup.h to the device of the login.
    bool ImportConfig(const DeviceLogin& login, const std::string& path) override;

    // The maintenance operations, for the device of a login made here. Each
    // runs on the caller's (worker) thread; cancel may be empty.
    UpgradeResult Upgrade(const DeviceEntry& entry, const DeviceLogin& login,
                          const std::shared_ptr<const std::vector<uint8_t>>& image,
                          const std::function<void(int)>& progress, const std::function<bool()>& cancel);
    BackupResult ExportConfig(const DeviceEntry& entry, const DeviceLogin& login, const std::string& path);
    BackupResult RestoreConfig(const DeviceEntry& entry, const DeviceLogin& login, const std::string& path);
    // Tests give a transport without sockets.
    void UseFileTransport(std::shared_ptr<FileTransport> files);

    // What the last login of the device (by record key) read, once.
    std::optional<OnvifDeviceInfo> TakeInfo(const std::string& key);

private:
    std::shared_ptr<SoapTransport> m_transport;
    std::function<int64_t()> m_now;
    AuthMemory m_auth;
    std::mutex m_mutex;
    std::map<std::string, OnvifDeviceInfo> m_read;
    // The maintenance operations' side: file transfers, and each login's
    // device (by the login's handle) for the calls that get only the login.
    std::shared_ptr<FileTransport> m_files;
    int32_t m_nextHandle = 0;
    std::map<int32_t, DeviceTarget> m_targets;

    DeviceChannel Channel(const DeviceTarget& target, const OnvifCredentials& credentials,
                          const std::function<bool()>& cancel);
};

// The record takes what a login read: model, firmware version, mask,
// gateway, DNS, DHCP and the HTTP port. The record keeps its key.
void ApplyDeviceInfo(DeviceEntry& entry, const OnvifDeviceInfo& info);

} // namespace onvif
