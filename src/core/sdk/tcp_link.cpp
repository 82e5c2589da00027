#include "sdk/tcp_link.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sdknet {

namespace {

constexpr int kSendTimeoutSeconds = 10;

bool MakeAddress(const std::string& ip, uint16_t port, sockaddr_in& address) {
    address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    return inet_pton(AF_INET, ip.c_str(), &address.sin_addr) == 1;
}

void SetBlocking(int fd, bool blocking) {
    const int flags = fcntl(fd, F_GETFL, 0);
    fcntl(fd, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK));
}

void PrepareStream(int fd) {
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    timeval timeout{};
    timeout.tv_sec = kSendTimeoutSeconds;
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

} // namespace

TcpLink::TcpLink(int fd) : m_fd(fd) {
    PrepareStream(m_fd);
}

TcpLink::~TcpLink() {
    close(m_fd);
}

std::unique_ptr<TcpLink> TcpLink::Connect(const std::string& ip, uint16_t port, int timeoutMs) {
    sockaddr_in address{};
    if (!MakeAddress(ip, port, address)) {
        return nullptr;
    }
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return nullptr;
    }
    SetBlocking(fd, false);
    int status = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (status != 0 && errno == EINPROGRESS) {
        pollfd waiting{fd, POLLOUT, 0};
        if (poll(&waiting, 1, timeoutMs) == 1) {
            int error = 0;
            socklen_t length = sizeof error;
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            status = error == 0 ? 0 : -1;
        }
    }
    if (status != 0) {
        close(fd);
        return nullptr;
    }
    SetBlocking(fd, true);
    return std::make_unique<TcpLink>(fd);
}

bool TcpLink::SendAll(std::span<const uint8_t> bytes) {
    std::lock_guard lock(m_sendMutex);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

int TcpLink::Receive(std::span<uint8_t> buffer, int timeoutMs) {
    pollfd waiting{m_fd, POLLIN, 0};
    const int ready = poll(&waiting, 1, timeoutMs);
    if (ready == 0) {
        return 0;
    }
    if (ready < 0) {
        return errno == EINTR ? 0 : -1;
    }
    const ssize_t count = recv(m_fd, buffer.data(), buffer.size(), 0);
    if (count <= 0) {
        return -1;
    }
    return static_cast<int>(count);
}

void TcpLink::Shutdown() {
    shutdown(m_fd, SHUT_RDWR);
}

TcpListener::~TcpListener() {
    close(m_fd);
}

std::unique_ptr<TcpListener> TcpListener::Listen(const std::string& ip, uint16_t port) {
    sockaddr_in address{};
    if (!MakeAddress(ip, port, address)) {
        return nullptr;
    }
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return nullptr;
    }
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0) {
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<TcpListener>(new TcpListener(fd));
}

std::unique_ptr<TcpLink> TcpListener::Accept(int timeoutMs) {
    pollfd waiting{m_fd, POLLIN, 0};
    if (poll(&waiting, 1, timeoutMs) != 1 || (waiting.revents & POLLIN) == 0) {
        return nullptr;
    }
    const int fd = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_unique<TcpLink>(fd);
}

void TcpListener::Shutdown() {
    shutdown(m_fd, SHUT_RDWR);
}

} // namespace sdknet
