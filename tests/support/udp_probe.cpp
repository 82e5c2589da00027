// A small UDP tool for the hermetic-wrapper test.
//   udp_probe listen PORT MILLISECONDS  prints how many datagrams arrived
//   udp_probe send PORT                 sends one limited broadcast
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int OpenSocket() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) {
        std::perror("socket");
        std::exit(2);
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    return fd;
}

int Listen(unsigned short port, int milliseconds) {
    const int fd = OpenSocket();
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        std::perror("bind");
        return 2;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    int count = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) > 0) {
            char buffer[2048];
            if (::recv(fd, buffer, sizeof buffer, 0) >= 0) {
                ++count;
            }
        }
    }
    std::printf("%d\n", count);
    ::close(fd);
    return 0;
}

int Send(unsigned short port) {
    const int fd = OpenSocket();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    const char payload[] = "corvane-probe";
    const auto sent =
        ::sendto(fd, payload, sizeof payload, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    ::close(fd);
    if (sent < 0) {
        std::perror("sendto");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "listen") == 0) {
        return Listen(static_cast<unsigned short>(std::atoi(argv[2])), std::atoi(argv[3]));
    }
    if (argc >= 3 && std::strcmp(argv[1], "send") == 0) {
        return Send(static_cast<unsigned short>(std::atoi(argv[2])));
    }
    std::fprintf(stderr, "usage: udp_probe listen PORT MS | send PORT\n");
    return 2;
}
