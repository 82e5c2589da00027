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

OnvifLink::OnvifLink(std::shared_ptr<SoapTransport> transport, std::function<int64_t()> nowUtcSeconds)
    : m_transport(std::move(transport)), m_now(nowUtcSeconds ? std::move(nowUtcSeconds) : UtcSecondsNow) {}

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
    }
    login.link = this;
    login.user = user;
    login.password = password;
    return true;
}

void OnvifLink::Logout(const DeviceLogin&) {}

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
