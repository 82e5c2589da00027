#include "net/udp_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
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
        sockaddr_in source{};
        socklen_t sourceLength = sizeof source;
        ssize_t received;
        do {
            received = ::recvfrom(m_fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&source),
                                  &sourceLength);
        } while (received < 0 && errno == EINTR);
        if (received < 0) {
            return -1;
        }
        if (from != nullptr) {
            from->address = ntohl(source.sin_addr.s_addr);
            from->port = ntohs(source.sin_port);
        }
        return static_cast<int>(received);
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
    bool SetFlag(int option) {
        const int on = 1;
        return ::setsockopt(m_fd, SOL_SOCKET, option, &on, sizeof on) == 0;
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

std::string AddressToText(uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFF, (address >> 16) & 0xFF,
                  (address >> 8) & 0xFF, address & 0xFF);
    return text;
}

} // namespace net
