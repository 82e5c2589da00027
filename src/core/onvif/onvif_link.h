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
// every front end shows them with its existing texts. Each login gets a
// handle of this link's own, under which the link keeps what the calls
// need (the device service and its clock offset); the operations report
// as the native family does. The operations this family
// does not offer yet report false (the record's operations keep them out
// of menus and batches).
#include "discovery/device_entry.h"
#include "onvif/config_backup.h"
#include "onvif/device_call.h"
#include "onvif/device_info.h"
#include "onvif/device_ops.h"
#include "onvif/firmware_upgrade.h"
#include "onvif/media_session.h"
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
    bool Reboot(const DeviceLogin& login) override;
    // Hard: the native panel's reset; Soft keeps the network settings.
    bool FactoryDefault(const DeviceLogin& login) override;
    bool FactoryDefaultKeepingNetwork(const DeviceLogin& login) override;
    int ChangePassword(const DeviceLogin& login, const std::string& oldPassword,
                       const std::string& newPassword) override;
    // HTTP and RTSP (the TCP port has no ONVIF meaning); the device applies
    // them at once, so written is 1 and restarted true when it took them,
    // and the record's HTTP port and device service follow.
    PortChangeResult ChangePorts(DeviceEntry& entry, const DeviceLogin& login,
                                 const PortTriple& ports) override;
    // The restore of config_backup.h to the device of the login.
    bool ImportConfig(const DeviceLogin& login, const std::string& path) override;
    // The version the login read.
    std::string FirmwareVersion(const DeviceEntry& entry, const DeviceLogin&) override {
        return entry.version;
    }
    // The device's backup, byte for byte.
    bool ExportConfig(const DeviceEntry& entry, const DeviceLogin& login, const std::string& path,
                      std::string& failKey) override;
    // The batch's upgrade: the image shared with every transfer of the file,
    // the version read back decides (the row shows it after the next login
    // or search: the record is the window's while the batch runs).
    bool UpgradesItself() const override { return true; }
    bool Upgrade(DeviceEntry& entry, const DeviceLogin& login, const std::string& path,
                 const std::function<void(int)>& progress, const std::function<bool()>& cancelled,
                 std::string& failKey) override;

    // The maintenance operations, for the device of a login made here (a
    // login this link does not know gives Failed). Each runs on the
    // caller's (worker) thread; cancel may be empty.
    UpgradeResult Upgrade(const DeviceLogin& login, const std::shared_ptr<const std::vector<uint8_t>>& image,
                          const std::function<void(int)>& progress, const std::function<bool()>& cancel);
    BackupResult ExportConfig(const DeviceLogin& login, const std::string& path);
    BackupResult RestoreConfig(const DeviceLogin& login, const std::string& path);
    // Tests give a transport without sockets.
    void UseFileTransport(std::shared_ptr<FileTransport> files);

    // The operations of ONVIF devices beyond the DeviceLink interface. A
    // login this link does not know (ended, another family's) gives
    // Failed.
    OpsOutcome FactoryDefault(const DeviceLogin& login, bool keepNetwork);
    // On success the login's calls go to the new address from then on
    // (unless the device takes DHCP: its address is then unknown until it
    // is found again).
    NetworkChangeResult ChangeNetwork(const DeviceLogin& login, const NetworkChange& change);
    OpsOutcome SetTime(const DeviceLogin& login, const TimeChange& change);
    // The network dialog's change: the settings, a restart when the device
    // needs one, then the device found again at its new address by its
    // endpoint reference (a device that takes DHCP is looked for on the
    // whole segment).
    bool ChangesNetworkItself() const override { return true; }
    bool ChangeNetwork(const DeviceEntry& entry, const DeviceLogin& login, DeviceEntry& changed,
                       std::string& failKey) override;
    // The settings and the restart, without the search at the new address.
    bool SendNetworkChange(const DeviceEntry& entry, const DeviceLogin& login, const DeviceEntry& changed,
                           std::string& failKey) override;
    // The batch's clock setting; the record then shows the clock as the
    // device tells it.
    bool SetTime(DeviceEntry& entry, const DeviceLogin& login, const TimeSetting& time) override;

    // The device's RTSP stream, found through its media services when the
    // stream starts; the snapshot is its media service's picture, fetched
    // with the login's credentials (HTTP digest).
    bool PreviewsItself() const override { return true; }
    std::unique_ptr<PreviewStream> OpenPreview(const DeviceLogin& login, int stream) override;
    bool SaveSnapshot(const DeviceLogin& login, int stream, const std::string& path,
                      std::string& failKey) override;

    // What the last login of the device (by record key) read, once.
    std::optional<OnvifDeviceInfo> TakeInfo(const std::string& key);

private:
    std::optional<DeviceTarget> TargetOf(const DeviceLogin& login);
    MediaServices MediaOf(const DeviceLogin& login);
    void SetTarget(const DeviceLogin& login, const std::string& url);
    template <typename Run> auto WithSession(const DeviceLogin& login, const std::string& password, Run run);

    std::shared_ptr<SoapTransport> m_transport;
    std::function<int64_t()> m_now;
    AuthMemory m_auth;
    std::mutex m_mutex;
    std::map<std::string, OnvifDeviceInfo> m_read;
    std::map<int32_t, DeviceTarget> m_logins; // by login handle
    std::map<int32_t, MediaServices> m_media; // by login handle
    int32_t m_lastHandle = 0;
    // The maintenance operations' file transfers.
    std::shared_ptr<FileTransport> m_files;

    DeviceChannel Channel(const DeviceTarget& target, const OnvifCredentials& credentials,
                          const std::function<bool()>& cancel);
};

// The device service address with another host (and port, when not 0).
std::string ServiceUrlAt(const std::string& url, const std::string& host, uint16_t port = 0);

// The record takes what a login read: model, firmware version, mask,
// gateway, DNS, DHCP and the HTTP port. The record keeps its key.
void ApplyDeviceInfo(DeviceEntry& entry, const OnvifDeviceInfo& info);

} // namespace onvif
