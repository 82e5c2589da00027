#include "net/interfaces.h"

#include <algorithm>
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace net {
namespace {

uint32_t AddressOf(const sockaddr* address) {
    return address == nullptr ? 0 : ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

std::string Trimmed(const std::string& text, std::size_t first, std::size_t last) {
    while (first < last && (text[first] == ' ' || text[first] == '\t')) {
        ++first;
    }
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) {
        --last;
    }
    return text.substr(first, last - first);
}

} // namespace

std::vector<InterfaceAddress> LocalInterfaces() {
    std::vector<InterfaceAddress> interfaces;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return interfaces;
    }
    for (const ifaddrs* item = list; item != nullptr; item = item->ifa_next) {
        const unsigned flags = item->ifa_flags;
        if (item->ifa_addr == nullptr || item->ifa_addr->sa_family != AF_INET || (flags & IFF_UP) == 0 ||
            (flags & (IFF_LOOPBACK | IFF_POINTOPOINT)) != 0) {
            continue;
        }
        InterfaceAddress entry;
        entry.name = item->ifa_name;
        entry.index = ::if_nametoindex(item->ifa_name);
        entry.address = AddressOf(item->ifa_addr);
        entry.mask = AddressOf(item->ifa_netmask);
        entry.broadcast = (flags & IFF_BROADCAST) != 0;
        entry.multicast = (flags & IFF_MULTICAST) != 0;
        interfaces.push_back(std::move(entry));
    }
    ::freeifaddrs(list);
    return interfaces;
}

std::string InterfaceNameOf(unsigned index) {
    char name[IF_NAMESIZE] = {};
    return index != 0 && ::if_indextoname(index, name) != nullptr ? std::string(name) : std::string();
}

std::vector<InterfaceAddress> BroadcastInterfaces(const std::vector<InterfaceAddress>& interfaces) {
    std::vector<InterfaceAddress> kept;
    for (const InterfaceAddress& item : interfaces) {
        const bool named = std::any_of(
            kept.begin(), kept.end(), [&](const InterfaceAddress& other) { return other.name == item.name; });
        if (item.broadcast && !named) {
            kept.push_back(item);
        }
    }
    return kept;
}

std::vector<InterfaceAddress> ChosenInterfaces(const std::vector<InterfaceAddress>& interfaces,
                                               const std::vector<std::string>& chosen) {
    if (chosen.empty()) {
        return interfaces;
    }
    std::vector<InterfaceAddress> kept;
    std::copy_if(interfaces.begin(), interfaces.end(), std::back_inserter(kept),
                 [&](const InterfaceAddress& item) {
                     return std::find(chosen.begin(), chosen.end(), item.name) != chosen.end();
                 });
    return kept;
}

std::vector<std::string> InterfaceNames(const std::vector<InterfaceAddress>& interfaces) {
    std::vector<std::string> names;
    for (const InterfaceAddress& item : interfaces) {
        if (std::find(names.begin(), names.end(), item.name) == names.end()) {
            names.push_back(item.name);
        }
    }
    return names;
}

std::vector<std::string> ParseInterfaceList(const std::string& text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        std::string name = Trimmed(text, start, comma);
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(std::move(name));
        }
        start = comma + 1;
    }
    return names;
}

} // namespace net
