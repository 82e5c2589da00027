#include "net/udp_socket.h"

#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace net {
namespace {

sockaddr_in ToSockaddr(Ipv4Endpoint endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    address.sin_addr.s_addr = htonl(endpoint.address);
    return address;
}

// A datagram with room for one packet-information item (IP_PKTINFO): where
// it came in, or which interface and address it leaves by.
struct PacketMessage {
    PacketMessage(void* bytes, std::size_t size, sockaddr_in peer) : address(peer), data{bytes, size} {
        header.msg_name = &address;
        header.msg_namelen = sizeof address;
        header.msg_iov = &data;
        header.msg_iovlen = 1;
        header.msg_control = control.data();
        header.msg_controllen = control.size();
    }
    PacketMessage(const PacketMessage&) = delete;
    PacketMessage& operator=(const PacketMessage&) = delete;

    sockaddr_in address;
    iovec data;
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(in_pktinfo))> control{};
    msghdr header{};
};

class PosixUdpSocket final : public DatagramSocket {
public:
    explicit PosixUdpSocket(int fd) : m_fd(fd) {}
    ~PosixUdpSocket() override { ::close(m_fd); }
    PosixUdpSocket(const PosixUdpSocket&) = delete;
    PosixUdpSocket& operator=(const PosixUdpSocket&) = delete;

    bool SetReuseAddress() override { return SetFlag(SO_REUSEADDR); }
    bool SetBroadcast() override { return SetFlag(SO_BROADCAST); }

    bool Bind(Ipv4Endpoint local) override {
        const sockaddr_in address = ToSockaddr(local);
        return ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }

    bool SetNonBlocking() override {
        const int flags = ::fcntl(m_fd, F_GETFL, 0);
        return flags >= 0 && ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK) == 0;
    }

    void SetReceiveBufferSize(int bytes) override {
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }

    bool SendTo(std::span<const uint8_t> datagram, Ipv4Endpoint to) override {
        const sockaddr_in address = ToSockaddr(to);
        ssize_t sent;
        do {
            sent = ::sendto(m_fd, datagram.data(), datagram.size(), 0,
                            reinterpret_cast<const sockaddr*>(&address), sizeof address);
        } while (sent < 0 && errno == EINTR);
        return sent == static_cast<ssize_t>(datagram.size());
    }

    int ReceiveFrom(std::span<uint8_t> buffer, Ipv4Endpoint* from) override {
        return ReceiveWithInfo(buffer, from, nullptr);
    }

    bool EnableReceivedOn() override { return SetOption(IPPROTO_IP, IP_PKTINFO); }

    int ReceiveWithInfo(std::span<uint8_t> buffer, Ipv4Endpoint* from, ReceivedOn* on) override {
        return ReceiveMessage(m_fd, buffer, from, on);
    }

    bool SendVia(std::span<const uint8_t> datagram, Ipv4Endpoint to, unsigned interfaceIndex,
                 uint32_t localAddress) override {
        return SendMessageVia(m_fd, datagram, to, interfaceIndex, localAddress);
    }

    bool WaitReadable(int timeoutMs) override {
        pollfd request{m_fd, POLLIN, 0};
        return ::poll(&request, 1, timeoutMs) > 0 && (request.revents & POLLIN) != 0;
    }

    uint16_t LocalPort() const override {
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
            return 0;
        }
        return ntohs(local.sin_port);
    }

private:
    bool SetFlag(int option) { return SetOption(SOL_SOCKET, option); }
    bool SetOption(int level, int option) {
        const int on = 1;
        return ::setsockopt(m_fd, level, option, &on, sizeof on) == 0;
    }

    int m_fd;
};

} // namespace

std::unique_ptr<DatagramSocket> CreateUdpSocket() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_unique<PosixUdpSocket>(fd);
}

int ReceiveMessage(int fd, std::span<uint8_t> buffer, Ipv4Endpoint* from, ReceivedOn* on, int flags) {
    PacketMessage message(buffer.data(), buffer.size(), {});
    ssize_t received;
    do {
        received = ::recvmsg(fd, &message.header, flags);
    } while (received < 0 && errno == EINTR);
    if (on != nullptr) {
        *on = {};
    }
    if (received < 0) {
        return -1;
    }
    if (from != nullptr) {
        from->address = ntohl(message.address.sin_addr.s_addr);
        from->port = ntohs(message.address.sin_port);
    }
    for (cmsghdr* item = CMSG_FIRSTHDR(&message.header); on != nullptr && item != nullptr;
         item = CMSG_NXTHDR(&message.header, item)) {
        if (item->cmsg_level == IPPROTO_IP && item->cmsg_type == IP_PKTINFO &&
            item->cmsg_len >= CMSG_LEN(sizeof(in_pktinfo))) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(item), sizeof info);
            on->interfaceIndex = static_cast<unsigned>(info.ipi_ifindex);
            on->localAddress = ntohl(info.ipi_spec_dst.s_addr);
            on->destination = ntohl(info.ipi_addr.s_addr);
        }
    }
    return static_cast<int>(received);
}

bool SendMessageVia(int fd, std::span<const uint8_t> datagram, Ipv4Endpoint to, unsigned interfaceIndex,
                    uint32_t localAddress) {
    PacketMessage message(const_cast<uint8_t*>(datagram.data()), datagram.size(), ToSockaddr(to));
    cmsghdr* item = CMSG_FIRSTHDR(&message.header);
    item->cmsg_level = IPPROTO_IP;
    item->cmsg_type = IP_PKTINFO;
    item->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(interfaceIndex);
    info.ipi_spec_dst.s_addr = htonl(localAddress);
    std::memcpy(CMSG_DATA(item), &info, sizeof info);
    ssize_t sent;
    do {
        sent = ::sendmsg(fd, &message.header, 0);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(datagram.size());
}

std::string AddressToText(uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFF, (address >> 16) & 0xFF,
                  (address >> 8) & 0xFF, address & 0xFF);
    return text;
}

} // namespace net
