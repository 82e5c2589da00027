#include "onvif/wsd_server.h"

#include "net/udp_socket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <ifaddrs.h>
#include <limits>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <queue>
#include <span>
#include <sys/socket.h>
#include <unistd.h>

namespace onvifsim {

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Pending {
    int64_t dueMs;
    std::size_t device;
    uint32_t toAddress;
    uint16_t toPort;
    std::string relatesTo;
    bool operator>(const Pending& other) const { return dueMs > other.dueMs; }
};

} // namespace

WsdServer::WsdServer(std::vector<SimDevice> devices, uint64_t seed) : m_random(seed ^ 0x57D5u) {
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].onvif.Speaks()) {
            m_devices.push_back(std::move(devices[i]));
            m_labIndex.push_back(i);
        }
    }
    m_silentUntilMs.assign(m_devices.size(), 0);
    // One instance per run of the simulator, as after a device's restart.
    m_sequences.assign(m_devices.size(), {static_cast<uint64_t>(std::time(nullptr)), 0});
    m_present.assign(m_devices.size(), false);
}

WsdServer::~WsdServer() {
    Stop();
}

std::string WsdServer::NewMessageId() {
    const uint64_t high = m_random();
    const uint64_t low = m_random();
    char text[64];
    std::snprintf(text, sizeof text, "urn:uuid:%08x-%04x-4%03x-%04x-%012llx",
                  static_cast<unsigned>(high >> 32), static_cast<unsigned>(high >> 16) & 0xFFFF,
                  static_cast<unsigned>(high) & 0xFFF, 0x8000 | (static_cast<unsigned>(low >> 48) & 0x3FFF),
                  static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFULL));
    return text;
}

namespace {

// The index of the interface the route to the group leaves by (0 when
// there is none): the interface holding the local address a socket
// connected to the group gets.
int GroupInterface(uint32_t group, uint16_t port) {
    const int probe = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(group);
    to.sin_port = htons(port);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    const bool routed = probe >= 0 &&
                        connect(probe, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
                        getsockname(probe, reinterpret_cast<sockaddr*>(&local), &length) == 0;
    if (probe >= 0) {
        close(probe);
    }
    ifaddrs* interfaces = nullptr;
    if (!routed || getifaddrs(&interfaces) != 0) {
        return 0;
    }
    int index = 0;
    for (const ifaddrs* at = interfaces; at != nullptr && index == 0; at = at->ifa_next) {
        if (at->ifa_addr != nullptr && at->ifa_addr->sa_family == AF_INET &&
            reinterpret_cast<const sockaddr_in*>(at->ifa_addr)->sin_addr.s_addr == local.sin_addr.s_addr) {
            index = static_cast<int>(if_nametoindex(at->ifa_name));
        }
    }
    freeifaddrs(interfaces);
    return index;
}

} // namespace

bool WsdServer::Start() {
    if (m_devices.empty()) {
        return true;
    }
    m_socket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(kDiscoveryPort);
    ip_mreqn group{};
    group.imr_multiaddr.s_addr = htonl(kDiscoveryGroup);
    if (m_socket < 0 || setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        setsockopt(m_socket, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0 ||
        bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        setsockopt(m_socket, IPPROTO_IP, IP_ADD_MEMBERSHIP, &group, sizeof group) != 0) {
        std::fprintf(stderr, "corvane-devsim: cannot open WS-Discovery port %u: %s\n", kDiscoveryPort,
                     std::strerror(errno));
        return false;
    }
    m_groupInterface = GroupInterface(kDiscoveryGroup, kDiscoveryPort);
    m_startMs = NowMs();
    Announce(0);
    m_thread = std::thread([this] { Run(); });
    return true;
}

void WsdServer::Announce(int64_t sinceStartMs) {
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        const OnvifConfig& onvif = m_devices[i].onvif;
        const bool gone = onvif.byeAfterMs > 0 && sinceStartMs >= onvif.byeAfterMs;
        const bool present =
            sinceStartMs >= onvif.helloAfterMs && !gone && sinceStartMs >= m_silentUntilMs[i];
        if (present && !m_present[i]) {
            SendFrom(m_devices[i].fields.ip, kDiscoveryGroup, kDiscoveryPort,
                     BuildHello(m_devices[i], NewMessageId(), m_sequences[i]));
        } else if (!present && m_present[i]) {
            SendFrom(m_devices[i].fields.ip, kDiscoveryGroup, kDiscoveryPort,
                     BuildBye(m_devices[i], NewMessageId(), m_sequences[i]));
        }
        m_present[i] = present;
    }
}

void WsdServer::Update(std::size_t labIndex, const SimDevice& device, int restartMs) {
    std::lock_guard lock(m_updateMutex);
    m_updates.push_back({labIndex, device, restartMs});
}

void WsdServer::TakeUpdates(int64_t sinceStartMs) {
    std::vector<DeviceUpdate> updates;
    {
        std::lock_guard lock(m_updateMutex);
        updates.swap(m_updates);
    }
    for (DeviceUpdate& update : updates) {
        const auto at = std::lower_bound(m_labIndex.begin(), m_labIndex.end(), update.labIndex);
        if (at == m_labIndex.end() || *at != update.labIndex) {
            continue;
        }
        const auto i = static_cast<std::size_t>(at - m_labIndex.begin());
        const bool moved = m_devices[i].fields.ip != update.device.fields.ip ||
                           m_devices[i].onvif.port != update.device.onvif.port;
        m_devices[i] = std::move(update.device);
        if (update.restartMs != 0) {
            // Gone without a word; back as a new instance, with a Hello.
            m_silentUntilMs[i] =
                update.restartMs < 0 ? std::numeric_limits<int64_t>::max() : sinceStartMs + update.restartMs;
            m_present[i] = false;
            m_sequences[i] = {m_sequences[i].instanceId + 1, 0};
        } else if (moved && m_present[i]) {
            SendFrom(m_devices[i].fields.ip, kDiscoveryGroup, kDiscoveryPort,
                     BuildHello(m_devices[i], NewMessageId(), m_sequences[i]));
        }
    }
}

void WsdServer::Stop() {
    if (!m_thread.joinable()) {
        return;
    }
    m_stop = true;
    m_thread.join();
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        if (m_present[i]) {
            SendFrom(m_devices[i].fields.ip, kDiscoveryGroup, kDiscoveryPort,
                     BuildBye(m_devices[i], NewMessageId(), m_sequences[i]));
        }
    }
    close(m_socket);
    m_socket = -1;
}

bool WsdServer::SendFrom(uint32_t source, uint32_t toAddress, uint16_t toPort, const std::string& text) {
    // From the device's own address; to the group out of the lab's link.
    const unsigned via = toAddress == kDiscoveryGroup ? static_cast<unsigned>(m_groupInterface) : 0;
    return net::SendMessageVia(m_socket,
                               std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                               {toAddress, toPort}, via, source);
}

bool WsdServer::LosesReply(const SimDevice& device) {
    const double loss = device.faults.replyLoss;
    return loss > 0 && std::uniform_real_distribution<double>(0, 1)(m_random) < loss;
}

void WsdServer::Run() {
    std::priority_queue<Pending, std::vector<Pending>, std::greater<>> pending;
    std::vector<char> buffer(kMaxProbeBytes + 1);
    while (!m_stop.load()) {
        const int64_t now = NowMs();
        TakeUpdates(now - m_startMs);
        Announce(now - m_startMs);
        while (!pending.empty() && pending.top().dueMs <= now) {
            const Pending& due = pending.top();
            if (!m_present[due.device]) {
                pending.pop(); // restarting since the probe came
                continue;
            }
            SendFrom(m_devices[due.device].fields.ip, due.toAddress, due.toPort,
                     BuildProbeMatches(m_devices[due.device], due.relatesTo, NewMessageId(),
                                       m_sequences[due.device]));
            pending.pop();
        }
        const int64_t wait = pending.empty() ? 100 : std::min<int64_t>(pending.top().dueMs - now, 100);
        pollfd readable{m_socket, POLLIN, 0};
        if (poll(&readable, 1, static_cast<int>(std::max<int64_t>(wait, 0))) <= 0) {
            continue;
        }
        net::Ipv4Endpoint from;
        net::ReceivedOn on;
        const int length =
            net::ReceiveMessage(m_socket, std::span(reinterpret_cast<uint8_t*>(buffer.data()), buffer.size()),
                                &from, &on, MSG_DONTWAIT);
        if (length <= 0 || static_cast<std::size_t>(length) > kMaxProbeBytes) {
            continue; // nothing, or too large to be a probe
        }
        const uint32_t destination = on.destination != 0 ? on.destination : kDiscoveryGroup;
        const auto probe = ParseProbe(std::string(buffer.data(), static_cast<std::size_t>(length)));
        if (!probe) {
            continue; // Hello, Bye, matches of others, anything broken
        }
        const bool multicast = destination == kDiscoveryGroup;
        for (std::size_t i = 0; i < m_devices.size(); ++i) {
            const SimDevice& device = m_devices[i];
            const bool reaches = multicast ? device.onvif.multicast : device.fields.ip == destination;
            if (m_present[i] && reaches && DeviceAnswersProbe(device, *probe) && !LosesReply(device)) {
                const auto delay = static_cast<int64_t>(m_random() % (kAppMaxDelayMs + 1));
                pending.push({NowMs() + delay, i, from.address, from.port, probe->messageId});
            }
        }
    }
}

} // namespace onvifsim
