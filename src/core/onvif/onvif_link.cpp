#include "onvif/onvif_link.h"

#include "discovery/ip_rules.h"
#include "net/udp_socket.h"
#include "onvif/clock_reader.h"
#include "onvif/find_again.h"
#include "sdk/firmware_cache.h"
#include "sdk/wire_messages.h"

#include <algorithm>
#include <utility>

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

DeviceTarget EntryTarget(const DeviceEntry& entry) {
    return {entry.onvif.deviceServiceUrl, entry.onvif.clockKnown ? entry.onvif.clockOffsetSeconds : 0};
}

BackupResult UnknownLogin() {
    BackupResult failed;
    failed.errorKey = BackupOutcomeKey(failed.outcome);
    return failed;
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
        login.handle = ++m_lastHandle;
        m_media[login.handle] = MediaServicesOf(read.info.services, entry.onvif.deviceServiceUrl);
        m_read[DeviceKey(entry)] = std::move(read.info);
        m_logins[login.handle] = EntryTarget(entry);
    }
    login.link = this;
    login.user = user;
    login.password = password;
    return true;
}

void OnvifLink::Logout(const DeviceLogin& login) {
    std::lock_guard lock(m_mutex);
    m_logins.erase(login.handle);
    m_media.erase(login.handle);
}

MediaServices OnvifLink::MediaOf(const DeviceLogin& login) {
    std::lock_guard lock(m_mutex);
    const auto found = m_media.find(login.handle);
    return found == m_media.end() ? MediaServices{} : found->second;
}

std::optional<DeviceTarget> OnvifLink::TargetOf(const DeviceLogin& login) {
    std::lock_guard lock(m_mutex);
    const auto found = m_logins.find(login.handle);
    if (login.link != this || found == m_logins.end()) {
        return std::nullopt;
    }
    return found->second;
}

void OnvifLink::SetTarget(const DeviceLogin& login, const std::string& url) {
    std::lock_guard lock(m_mutex);
    if (const auto found = m_logins.find(login.handle); found != m_logins.end()) {
        found->second.url = url;
    }
}

// Runs run(session) for a login this link knows; nullopt otherwise.
template <typename Run>
auto OnvifLink::WithSession(const DeviceLogin& login, const std::string& password, Run run) {
    const std::optional<DeviceTarget> target = TargetOf(login);
    using Result = decltype(run(std::declval<const OnvifSession&>()));
    if (!target) {
        return std::optional<Result>();
    }
    OnvifCredentials credentials;
    credentials.user = login.user;
    credentials.password = password;
    const OnvifSession session{*m_transport, m_auth, *target, credentials, m_now()};
    return std::optional<Result>(run(session));
}

bool OnvifLink::Reboot(const DeviceLogin& login) {
    return WithSession(login, login.password,
                       [](const OnvifSession& session) { return RebootOnvif(session); }) == OpsOutcome::Ok;
}

bool OnvifLink::FactoryDefault(const DeviceLogin& login) {
    return FactoryDefault(login, false) == OpsOutcome::Ok;
}

bool OnvifLink::FactoryDefaultKeepingNetwork(const DeviceLogin& login) {
    return FactoryDefault(login, true) == OpsOutcome::Ok;
}

OpsOutcome OnvifLink::FactoryDefault(const DeviceLogin& login, bool keepNetwork) {
    return WithSession(login, login.password,
                       [keepNetwork](const OnvifSession& session) {
                           return FactoryDefaultOnvif(session, keepNetwork);
                       })
        .value_or(OpsOutcome::Failed);
}

int OnvifLink::ChangePassword(const DeviceLogin& login, const std::string& oldPassword,
                              const std::string& newPassword) {
    return WithSession(login, oldPassword,
                       [&newPassword](const OnvifSession& session) {
                           return ChangeOnvifPassword(session, newPassword);
                       })
        .value_or(0);
}

PortChangeResult OnvifLink::ChangePorts(DeviceEntry& entry, const DeviceLogin& login,
                                        const PortTriple& ports) {
    const auto port = [](int32_t value) {
        return value > 0 && value <= 0xFFFF ? static_cast<uint16_t>(value) : uint16_t{0};
    };
    const OnvifPorts wanted{port(ports.http), 0, port(ports.rtsp)};
    const std::optional<DeviceTarget> target = TargetOf(login);
    const OpsOutcome outcome = WithSession(login, login.password, [&wanted](const OnvifSession& session) {
                                   return ChangeOnvifPorts(session, wanted);
                               }).value_or(OpsOutcome::Failed);
    if (outcome != OpsOutcome::Ok || !target) {
        return {};
    }
    if (wanted.http != 0) {
        const std::string url = ServiceUrlAt(target->url, {}, wanted.http);
        SetTarget(login, url);
        entry.webPort = wanted.http;
        entry.onvif.httpPort = wanted.http;
        entry.onvif.deviceServiceUrl = url;
        if (entry.onvifPort != 0) {
            entry.onvifPort = wanted.http;
        }
    }
    return {1, true};
}

NetworkChangeResult OnvifLink::ChangeNetwork(const DeviceLogin& login, const NetworkChange& change) {
    const std::optional<NetworkChangeResult> result =
        WithSession(login, login.password,
                    [&change](const OnvifSession& session) { return ChangeOnvifNetwork(session, change); });
    if (!result) {
        return {};
    }
    if (result->outcome == OpsOutcome::Ok && !change.dhcp) {
        if (const std::optional<DeviceTarget> target = TargetOf(login)) {
            SetTarget(login, ServiceUrlAt(target->url, change.ip));
        }
    }
    return *result;
}

OpsOutcome OnvifLink::SetTime(const DeviceLogin& login, const TimeChange& change) {
    return WithSession(login, login.password,
                       [&change](const OnvifSession& session) { return SetOnvifTime(session, change); })
        .value_or(OpsOutcome::Failed);
}

bool OnvifLink::SendNetworkChange(const DeviceEntry&, const DeviceLogin& login, const DeviceEntry& changed,
                                  std::string& failKey) {
    const NetworkChange change{changed.dhcpMode == 1, changed.ip,   changed.mask,
                               changed.gateway,       changed.dns1, changed.dns2};
    const NetworkChangeResult result = ChangeNetwork(login, change);
    // Some devices move before they answer: a static address is looked for
    // either way.
    if (result.outcome != OpsOutcome::Ok && (!result.mayHaveMoved || change.dhcp)) {
        failKey = OpsOutcomeKey(result.outcome);
        return false;
    }
    return true;
}

bool OnvifLink::ChangeNetwork(const DeviceEntry& entry, const DeviceLogin& login, DeviceEntry& changed,
                              std::string& failKey) {
    if (!SendNetworkChange(entry, login, changed, failKey)) {
        return false;
    }
    OnvifDiscovery discovery(m_transport);
    if (changed.dhcpMode == 1) {
        // Its new address is the DHCP server's choice: a search finds it.
        const std::optional<uint32_t> found = FindOnSegment(MulticastProbeOf(discovery, SearchOptions{}),
                                                            SleepMs, entry.onvif.endpointReference);
        if (!found) {
            failKey = kNotFoundAgainKey;
            return false;
        }
        changed.ip = net::AddressToText(*found);
        return true;
    }
    if (!FindAtAddress(UnicastProbeOf(discovery, SearchOptions{}), SleepMs, entry.onvif.endpointReference,
                       AddressFromText(changed.ip))) {
        failKey = kNotFoundAgainKey;
        return false;
    }
    return true;
}

bool OnvifLink::SetTime(DeviceEntry& entry, const DeviceLogin& login, const TimeSetting& time) {
    if (SetTime(login, TimeChange{time.ntp, time.ntpServers}) != OpsOutcome::Ok) {
        return false;
    }
    ReadDeviceClock(*m_transport, entry, m_now());
    return true;
}

std::string ServiceUrlAt(const std::string& url, const std::string& host, uint16_t port) {
    const std::size_t scheme = url.find("://");
    const std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    const std::size_t pathAt = std::min(url.find('/', start), url.size());
    // An IPv6 host stands in brackets; the port's colon comes after them.
    const std::size_t bracket = url[start] == '[' ? url.find(']', start) : std::string::npos;
    const std::size_t colon = url.find(':', bracket == std::string::npos ? start : bracket);
    const std::size_t hostEnd = colon < pathAt ? colon : pathAt;
    std::string result = url.substr(0, start) + (host.empty() ? url.substr(start, hostEnd - start) : host);
    if (port != 0) {
        result += ":" + std::to_string(port);
    } else if (hostEnd < pathAt) {
        result += url.substr(hostEnd, pathAt - hostEnd);
    }
    return result + url.substr(pathAt);
}

void OnvifLink::UseFileTransport(std::shared_ptr<FileTransport> files) {
    m_files = std::move(files);
}

DeviceChannel OnvifLink::Channel(const DeviceTarget& target, const OnvifCredentials& credentials,
                                 const std::function<bool()>& cancel) {
    return {*m_transport, *m_files, m_auth, target, credentials, m_now, SteadyClock(), cancel};
}

UpgradeResult OnvifLink::Upgrade(const DeviceLogin& login,
                                 const std::shared_ptr<const std::vector<uint8_t>>& image,
                                 const std::function<void(int)>& progress,
                                 const std::function<bool()>& cancel) {
    const std::optional<DeviceTarget> target = TargetOf(login);
    if (!target) {
        UpgradeResult failed;
        failed.errorKey = UpgradeOutcomeKey(failed.outcome);
        return failed;
    }
    return UpgradeOnvifFirmware(Channel(*target, CredentialsOf(login), cancel),
                                image ? ByteRange(*image) : ByteRange(), progress);
}

BackupResult OnvifLink::ExportConfig(const DeviceLogin& login, const std::string& path) {
    const std::optional<DeviceTarget> target = TargetOf(login);
    if (!target) {
        return UnknownLogin();
    }
    return ExportOnvifBackup(Channel(*target, CredentialsOf(login), {}), path);
}

BackupResult OnvifLink::RestoreConfig(const DeviceLogin& login, const std::string& path) {
    const std::optional<DeviceTarget> target = TargetOf(login);
    if (!target) {
        return UnknownLogin();
    }
    return RestoreOnvifBackup(Channel(*target, CredentialsOf(login), {}), path);
}

bool OnvifLink::ImportConfig(const DeviceLogin& login, const std::string& path) {
    return RestoreConfig(login, path).outcome == BackupOutcome::Ok;
}

bool OnvifLink::ExportConfig(const DeviceEntry&, const DeviceLogin& login, const std::string& path,
                             std::string& failKey) {
    const BackupResult result = ExportConfig(login, path);
    failKey = result.errorKey;
    return result.outcome == BackupOutcome::Ok;
}

bool OnvifLink::Upgrade(DeviceEntry&, const DeviceLogin& login, const std::string& path,
                        const std::function<void(int)>& progress, const std::function<bool()>& cancelled,
                        std::string& failKey) {
    // One read-only copy of the file for every transfer that sends it.
    const std::shared_ptr<const std::vector<uint8_t>> image =
        sdkclient::SharedFirmware(path, sdkwire::kMaxFirmwareSize);
    if (!image) {
        failKey = "info.Fail_file";
        return false;
    }
    const UpgradeResult result = Upgrade(login, image, progress, cancelled);
    if (result.outcome != UpgradeOutcome::Ok) {
        failKey = result.errorKey.empty() ? "info.operate_fail" : result.errorKey;
        return false;
    }
    return true;
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
