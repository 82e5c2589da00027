#include "net/neighbour_probe.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace net {

namespace {

constexpr uint16_t kDiscardPort = 9;
constexpr unsigned kCompleteFlag = 0x2; // ATF_COM

std::string ReadArpTable() {
    std::ifstream file("/proc/net/arp");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

std::set<uint32_t> CompleteNeighbours(std::string_view arpTable, const std::string& interfaceName) {
    // "IP address  HW type  Flags  HW address  Mask  Device", a heading line first.
    std::set<uint32_t> complete;
    std::istringstream lines{std::string(arpTable)};
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string ip, type, flags, hardware, mask, device;
        if (!(fields >> ip >> type >> flags >> hardware >> mask >> device)) {
            continue;
        }
        in_addr parsed{};
        char* end = nullptr;
        const unsigned long flagBits = std::strtoul(flags.c_str(), &end, 16);
        if (inet_pton(AF_INET, ip.c_str(), &parsed) != 1 || end == flags.c_str() ||
            (flagBits & kCompleteFlag) == 0 || (!interfaceName.empty() && device != interfaceName)) {
            continue;
        }
        complete.insert(ntohl(parsed.s_addr));
    }
    return complete;
}

std::set<uint32_t> ProbeNeighbours(const std::vector<uint32_t>& addresses, const std::string& interfaceName,
                                   int waitMs) {
    std::set<uint32_t> answered;
    const int socketFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socketFd < 0) {
        return answered;
    }
    const uint8_t nothing = 0;
    for (const uint32_t address : addresses) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(kDiscardPort);
        to.sin_addr.s_addr = htonl(address);
        // Unanswered resolutions drop the datagram; a full queue only
        // delays it: either way the kernel asks by ARP.
        (void)::sendto(socketFd, &nothing, 0, MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&to),
                       sizeof to);
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    const std::set<uint32_t> wanted(addresses.begin(), addresses.end());
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        answered.clear();
        for (const uint32_t address : CompleteNeighbours(ReadArpTable(), interfaceName)) {
            if (wanted.count(address) != 0) {
                answered.insert(address);
            }
        }
    } while (answered.size() < wanted.size() && std::chrono::steady_clock::now() < until);
    ::close(socketFd);
    return answered;
}

} // namespace net
