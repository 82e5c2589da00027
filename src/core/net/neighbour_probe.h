#pragma once
// Which addresses on a local link are in use, without root: the RFC 5227
// question ("does anyone hold this address?") asked through the kernel.
// One zero-byte datagram to the discard port (9) of each address makes the
// kernel resolve it by ARP on the interface that reaches it; after a short
// wait its neighbour table (/proc/net/arp) holds a complete entry for every
// address some host answered for. Nothing needs a raw socket, and a host
// that drops every datagram and ping still answers ARP. Unprivileged ICMP
// sockets are no second source: most systems leave them off
// (net.ipv4.ping_group_range) and many hosts do not answer ping.
// Only addresses on a directly attached subnet are resolved; an address
// behind a router never shows as in use. Host-order addresses.
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace net {

// The addresses of arpTable (the text of /proc/net/arp) whose entries are
// complete and, unless interfaceName is empty, on that interface.
std::set<uint32_t> CompleteNeighbours(std::string_view arpTable, const std::string& interfaceName);

// Asks every address at once and waits waitMs (a few hundred: a host on the
// link answers ARP within milliseconds); the ones that answered on
// interfaceName (empty: any interface).
std::set<uint32_t> ProbeNeighbours(const std::vector<uint32_t>& addresses, const std::string& interfaceName,
                                   int waitMs = 300);

} // namespace net
