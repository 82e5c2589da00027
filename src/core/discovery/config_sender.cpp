#include "discovery/config_sender.h"

#include "discovery/datagrams.h"

#include <array>
#include <cctype>
#include <cstring>
#include <string>

namespace {

using ReceiveBuffer = std::array<uint8_t, kReceiveBufferSize>;

std::string LettersAndDigits(const std::string& text) {
    std::string kept;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            kept += c;
        }
    }
    return kept;
}

bool EqualIgnoringCase(const std::string& target, const std::string& replyMac) {
    if (replyMac.size() < target.size()) {
        return false;
    }
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(target[i])) !=
            std::toupper(static_cast<unsigned char>(replyMac[i]))) {
            return false;
        }
    }
    return true;
}

int RunConfigV2Exchange(SocketPair& sockets, const DeviceEntry& entry, const ConfigSenderOptions& options,
                        Clock& clock) {
    const std::string target = LettersAndDigits(entry.mac);
    const Datagram probe = BuildSearchRequest(SearchVersion::V1);
    int64_t now = clock.NowMs();
    const int64_t start = now;
    int64_t lastSend = now;
    if (!sockets.Send(probe)) {
        return kSendFailed;
    }
    ReceiveBuffer buffer;
    while (now - start < options.waitMs) {
        if (now > lastSend + options.resendMs) {
            if (!sockets.Send(probe)) {
                return kConfigFailed;
            }
            lastSend = now;
        }
        const int length = sockets.Receive(buffer);
        now = clock.NowMs();
        if (length != static_cast<int>(kV1ReplySize)) {
            clock.SleepMs(options.pauseMs);
            now = clock.NowMs();
            continue;
        }
        if (!HasMagic(buffer, kSearchV1Magic)) {
            continue;
        }
        const std::optional<DiscoveryFields> fields =
            ParseDiscoveryFields(std::span(buffer).first(kV1ReplySize), 0);
        if (!fields || !EqualIgnoringCase(target, MacToPlainText(fields->mac))) {
            continue;
        }
        const Datagram request = BuildConfigV2Request(NetworkConfigFromEntry(entry));
        return sockets.Send(request) ? kConfigSuccess : kConfigFailed;
    }
    return kConfigFailed;
}

// Overwrites what held the administrator password once the exchange ends,
// however it ends.
template <typename Buffer> class WipedOnExit {
public:
    explicit WipedOnExit(Buffer& buffer) : m_buffer(buffer) {}
    ~WipedOnExit() { ::explicit_bzero(m_buffer.data(), m_buffer.size() * sizeof(*m_buffer.data())); }
    WipedOnExit(const WipedOnExit&) = delete;
    WipedOnExit& operator=(const WipedOnExit&) = delete;

private:
    Buffer& m_buffer;
};

int RunConfigV3Exchange(SocketPair& sockets, const DeviceEntry& entry, const std::string& adminPassword,
                        const ConfigSenderOptions& options, Clock& clock) {
    NetworkConfig config = NetworkConfigFromEntry(entry, adminPassword);
    const WipedOnExit wipeCopy(config.password);
    Datagram request = BuildConfigV3Request(config);
    const WipedOnExit wipeRequest(request);
    if (!sockets.Send(request)) {
        return kSendFailed;
    }
    const int64_t start = clock.NowMs();
    ReceiveBuffer buffer;
    while (clock.NowMs() - start < options.waitMs) {
        const int length = sockets.Receive(buffer);
        if (length == static_cast<int>(kConfigV3Size)) {
            switch (MatchConfigV3Reply(std::span(buffer).first(kConfigV3Size), request)) {
            case ConfigV3ReplyMatch::Confirmed:
                return kConfigSuccess;
            case ConfigV3ReplyMatch::Refused:
            case ConfigV3ReplyMatch::EchoMismatch:
                return kConfigFailed;
            case ConfigV3ReplyMatch::NotAReply:
                break;
            }
        }
        clock.SleepMs(options.pauseMs);
    }
    return kConfigTimeout;
}

template <typename Exchange>
int WithSockets(const ConfigSenderOptions& options, const DeviceEntry& entry, Exchange&& exchange) {
    Clock& clock = options.clock != nullptr ? *options.clock : SteadyClock();
    SocketPair sockets(options.socketFactory);
    if (sockets.SetUpSockets(options.endpoints) != kSocketsReady) {
        return kConfigFailed;
    }
    if (!entry.interfaceName.empty() && options.localInterfaces) {
        std::vector<net::InterfaceAddress> found =
            net::BroadcastInterfaces(net::ChosenInterfaces(options.localInterfaces(), {entry.interfaceName}));
        if (!found.empty()) {
            sockets.SendOutOf(std::move(found));
        }
    }
    const int result = exchange(sockets, clock);
    sockets.Close();
    return result;
}

} // namespace

int SendNetworkConfigV2(const DeviceEntry& entry, const ConfigSenderOptions& options) {
    return WithSockets(options, entry, [&](SocketPair& sockets, Clock& clock) {
        return RunConfigV2Exchange(sockets, entry, options, clock);
    });
}

int SendNetworkConfigV3(const DeviceEntry& entry, const std::string& adminPassword,
                        const ConfigSenderOptions& options) {
    return WithSockets(options, entry, [&](SocketPair& sockets, Clock& clock) {
        return RunConfigV3Exchange(sockets, entry, adminPassword, options, clock);
    });
}

int SendNetworkConfig(const DeviceEntry& entry, const std::string& adminPassword,
                      const ConfigSenderOptions& options) {
    return entry.AcceptsConfigV3() ? SendNetworkConfigV3(entry, adminPassword, options)
                                   : SendNetworkConfigV2(entry, options);
}

void ApplyNetworkChange(DeviceEntry& target, const DeviceEntry& changed, bool viaConfigV3) {
    target.ip = changed.ip;
    target.gateway = changed.gateway;
    target.mask = changed.mask;
    if (viaConfigV3) {
        target.dns1 = changed.dns1;
        target.dns2 = changed.dns2;
        target.dhcpMode = changed.dhcpMode;
    }
}
