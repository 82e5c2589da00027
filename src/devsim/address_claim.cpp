#include "address_claim.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/if_addr.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

namespace devsim {

namespace {

void AddAttribute(nlmsghdr& message, std::size_t capacity, unsigned short type, const void* data,
                  std::size_t length) {
    const std::size_t attributeLength = RTA_LENGTH(length);
    if (NLMSG_ALIGN(message.nlmsg_len) + RTA_ALIGN(attributeLength) > capacity) {
        return;
    }
    auto* attribute =
        reinterpret_cast<rtattr*>(reinterpret_cast<char*>(&message) + NLMSG_ALIGN(message.nlmsg_len));
    attribute->rta_type = type;
    attribute->rta_len = static_cast<unsigned short>(attributeLength);
    std::memcpy(RTA_DATA(attribute), data, length);
    message.nlmsg_len = static_cast<uint32_t>(NLMSG_ALIGN(message.nlmsg_len) + RTA_ALIGN(attributeLength));
}

} // namespace

bool ClaimAddress(uint32_t address) {
    const unsigned loopback = if_nametoindex("lo");
    const int route = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (loopback == 0 || route < 0) {
        if (route >= 0) {
            ::close(route);
        }
        return false;
    }
    alignas(nlmsghdr) char buffer[256] = {};
    auto& message = *reinterpret_cast<nlmsghdr*>(buffer);
    message.nlmsg_len = NLMSG_LENGTH(sizeof(ifaddrmsg));
    message.nlmsg_type = RTM_NEWADDR;
    message.nlmsg_flags = NLM_F_REQUEST | NLM_F_CREATE | NLM_F_EXCL | NLM_F_ACK;
    auto* info = static_cast<ifaddrmsg*>(NLMSG_DATA(&message));
    info->ifa_family = AF_INET;
    info->ifa_prefixlen = 32;
    info->ifa_index = loopback;
    const uint32_t network = htonl(address);
    AddAttribute(message, sizeof buffer, IFA_LOCAL, &network, sizeof network);
    AddAttribute(message, sizeof buffer, IFA_ADDRESS, &network, sizeof network);
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    bool added = ::sendto(route, buffer, message.nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel),
                          sizeof kernel) == static_cast<ssize_t>(message.nlmsg_len);
    char reply[512];
    const ssize_t length = added ? ::recv(route, reply, sizeof reply, 0) : -1;
    if (length >= static_cast<ssize_t>(NLMSG_LENGTH(sizeof(nlmsgerr)))) {
        const auto* header = reinterpret_cast<const nlmsghdr*>(reply);
        if (header->nlmsg_type == NLMSG_ERROR) {
            const int error = -static_cast<const nlmsgerr*>(NLMSG_DATA(header))->error;
            added = error == 0 || error == EEXIST;
        }
    }
    ::close(route);
    return added;
}

} // namespace devsim
