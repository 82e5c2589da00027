#include "onvif/onvif_link.h"

namespace onvif {

int LoginErrorOf(InfoOutcome outcome) {
    switch (outcome) {
    case InfoOutcome::Ok:
        return 0;
    case InfoOutcome::WrongPassword:
        return 1;
    case InfoOutcome::Timeout:
        return 3;
    case InfoOutcome::Locked:
        return 5;
    case InfoOutcome::Unreachable:
        return 9;
    case InfoOutcome::Failed:
        break;
    }
    return 11;
}

namespace {

DeviceTarget TargetOf(const DeviceEntry& entry) {
    return {entry.onvif.deviceServiceUrl, entry.onvif.clockKnown ? entry.onvif.clockOffsetSeconds : 0};
}

OnvifCredentials CredentialsOf(const DeviceLogin& login) {
    OnvifCredentials credentials;
    credentials.user = login.user;
    credentials.password = login.password;
    return credentials;
}

} // namespace

OnvifLink::OnvifLink(std::shared_ptr<SoapTransport> transport, std::function<int64_t()> nowUtcSeconds)
    : m_transport(std::move(transport)), m_now(nowUtcSeconds ? std::move(nowUtcSeconds) : UtcSecondsNow),
      m_files(CreateCurlFileTransport()) {}

bool OnvifLink::Login(const DeviceEntry& entry, const std::string& user, const std::string& password,
                      DeviceLogin& login, int& error) {
    OnvifCredentials credentials;
    credentials.user = user;
    credentials.password = password;
    OnvifInfoResult read = ReadOnvifInfo(entry.onvif, credentials, m_auth, *m_transport, m_now());
    error = LoginErrorOf(read.outcome);
    if (read.outcome != InfoOutcome::Ok) {
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        m_read[DeviceKey(entry)] = std::move(read.info);
        login.handle = ++m_nextHandle;
        m_targets[login.handle] = TargetOf(entry);
    }
    login.link = this;
    login.user = user;
    login.password = password;
    return true;
}

void OnvifLink::Logout(const DeviceLogin& login) {
    std::lock_guard lock(m_mutex);
    m_targets.erase(login.handle);
}

void OnvifLink::UseFileTransport(std::shared_ptr<FileTransport> files) {
    m_files = std::move(files);
}

DeviceChannel OnvifLink::Channel(const DeviceTarget& target, const OnvifCredentials& credentials,
                                 const std::function<bool()>& cancel) {
    return {*m_transport, *m_files, m_auth, target, credentials, m_now, SteadyClock(), cancel};
}

UpgradeResult OnvifLink::Upgrade(const DeviceEntry& entry, const DeviceLogin& login,
                                 const std::shared_ptr<const std::vector<uint8_t>>& image,
                                 const std::function<void(int)>& progress,
                                 const std::function<bool()>& cancel) {
    const OnvifCredentials credentials = CredentialsOf(login);
    return UpgradeOnvifFirmware(Channel(TargetOf(entry), credentials, cancel),
                                image ? ByteRange(*image) : ByteRange(), progress);
}

BackupResult OnvifLink::ExportConfig(const DeviceEntry& entry, const DeviceLogin& login,
                                     const std::string& path) {
    const OnvifCredentials credentials = CredentialsOf(login);
    return ExportOnvifBackup(Channel(TargetOf(entry), credentials, {}), path);
}

BackupResult OnvifLink::RestoreConfig(const DeviceEntry& entry, const DeviceLogin& login,
                                      const std::string& path) {
    const OnvifCredentials credentials = CredentialsOf(login);
    return RestoreOnvifBackup(Channel(TargetOf(entry), credentials, {}), path);
}

bool OnvifLink::ImportConfig(const DeviceLogin& login, const std::string& path) {
    DeviceTarget target;
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_targets.find(login.handle);
        if (found == m_targets.end()) {
            return false;
        }
        target = found->second;
    }
    const OnvifCredentials credentials = CredentialsOf(login);
    return RestoreOnvifBackup(Channel(target, credentials, {}), path).outcome == BackupOutcome::Ok;
}

std::optional<OnvifDeviceInfo> OnvifLink::TakeInfo(const std::string& key) {
    std::lock_guard lock(m_mutex);
    const auto found = m_read.find(key);
    if (found == m_read.end()) {
        return std::nullopt;
    }
    OnvifDeviceInfo info = std::move(found->second);
    m_read.erase(found);
    return info;
}

void ApplyDeviceInfo(DeviceEntry& entry, const OnvifDeviceInfo& info) {
    if (!info.device.model.empty()) {
        entry.model = info.device.model;
    }
    if (!info.device.firmwareVersion.empty()) {
        entry.version = info.device.firmwareVersion;
    }
    if (!info.network.mask.empty()) {
        entry.mask = info.network.mask;
    }
    entry.dhcpMode = info.network.dhcp ? 1 : 2;
    if (!info.gateways.empty()) {
        entry.gateway = info.gateways.front();
    }
    if (!info.dns.servers.empty()) {
        entry.dns1 = info.dns.servers[0];
        entry.dns2 = info.dns.servers.size() > 1 ? info.dns.servers[1] : std::string();
    }
    if (info.protocols.http != 0) {
        entry.webPort = info.protocols.http;
    }
}

} // namespace onvif
