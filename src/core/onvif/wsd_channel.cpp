#include "onvif/wsd_channel.h"

#include "net/interfaces.h"
#include "onvif/ws_discovery.h"

#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace onvif {
namespace {

class PosixWsdChannel final : public WsdChannel {
public:
    ~PosixWsdChannel() override {
        for (const int fd : m_fds) {
            ::close(fd);
        }
    }

    void Add(int fd) { m_fds.push_back(fd); }
    bool Empty() const { return m_fds.empty(); }

    std::size_t SocketCount() const override { return m_fds.size(); }

    bool Send(std::size_t socket, std::string_view datagram, net::Ipv4Endpoint to) override {
        if (socket >= m_fds.size()) {
            return false;
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(to.port);
        address.sin_addr.s_addr = htonl(to.address);
        ssize_t sent;
        do {
            sent = ::sendto(m_fds[socket], datagram.data(), datagram.size(), 0,
                            reinterpret_cast<const sockaddr*>(&address), sizeof address);
        } while (sent < 0 && errno == EINTR);
        return sent == static_cast<ssize_t>(datagram.size());
    }

    std::optional<WsdDatagram> Receive(int timeoutMs) override {
        std::vector<pollfd> waits;
        for (const int fd : m_fds) {
            waits.push_back({fd, POLLIN, 0});
        }
        if (::poll(waits.data(), waits.size(), timeoutMs) <= 0) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < waits.size(); ++i) {
            if ((waits[i].revents & POLLIN) == 0) {
                continue;
            }
            // One byte over the document limit tells an oversized datagram,
            // which the parser then refuses.
            std::array<uint8_t, kMaxDatagram> buffer;
            WsdDatagram datagram;
            datagram.socket = i;
            const int received =
                net::ReceiveMessage(m_fds[i], buffer, &datagram.from, &datagram.on, MSG_DONTWAIT);
            if (received < 0) {
                continue;
            }
            datagram.text.assign(reinterpret_cast<const char*>(buffer.data()),
                                 static_cast<std::size_t>(received));
            return datagram;
        }
        return std::nullopt;
    }

private:
    static constexpr std::size_t kMaxDatagram = 64 * 1024 + 1;
    std::vector<int> m_fds;
};

int OpenSocket() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd >= 0) {
        const int size = 1 << 20;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
    return fd;
}

bool Bind(int fd, uint32_t address, uint16_t port) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(address);
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

} // namespace

std::vector<net::InterfaceAddress> MulticastInterfaces() {
    std::vector<net::InterfaceAddress> interfaces = net::LocalInterfaces();
    std::erase_if(interfaces, [](const net::InterfaceAddress& item) { return !item.multicast; });
    return interfaces;
}

std::unique_ptr<WsdChannel> OpenProbeChannel(const std::vector<net::InterfaceAddress>& interfaces) {
    auto channel = std::make_unique<PosixWsdChannel>();
    for (const net::InterfaceAddress& item : interfaces) {
        const int fd = OpenSocket();
        if (fd < 0) {
            continue;
        }
        in_addr outgoing{};
        outgoing.s_addr = htonl(item.address);
        const unsigned char ttl = 1;
        if (!Bind(fd, item.address, 0) ||
            ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &outgoing, sizeof outgoing) != 0 ||
            ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0) {
            ::close(fd);
            continue;
        }
        channel->Add(fd);
    }
    if (channel->Empty()) {
        return nullptr;
    }
    return channel;
}

std::unique_ptr<WsdChannel> OpenGroupChannel(const std::vector<net::InterfaceAddress>& interfaces) {
    const int fd = OpenSocket();
    if (fd < 0) {
        return nullptr;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on); // best effort: where each came in
    if (!Bind(fd, net::kAnyAddress, kWsDiscoveryPort)) {
        ::close(fd);
        return nullptr;
    }
    bool joined = false;
    for (const net::InterfaceAddress& item : interfaces) {
        ip_mreq request{};
        request.imr_multiaddr.s_addr = htonl(kWsDiscoveryGroup);
        request.imr_interface.s_addr = htonl(item.address);
        joined |= ::setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) == 0;
    }
    if (!joined) {
        ::close(fd);
        return nullptr;
    }
    auto channel = std::make_unique<PosixWsdChannel>();
    channel->Add(fd);
    return channel;
}

} // namespace onvif
