#pragma once
// The sockets of WS-Discovery behind a seam: the list of interfaces to probe
// from, and a channel of datagrams over one socket per interface. Tests give
// a fake list and channel; the real ones are the platform's.
#include "net/interfaces.h"
#include "net/udp_socket.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace onvif {

// Up, multicast-capable IPv4 interfaces other than loopback and
// point-to-point links.
std::vector<net::InterfaceAddress> MulticastInterfaces();

struct WsdDatagram {
    std::size_t socket = 0; // index of the socket it came in on
    net::Ipv4Endpoint from;
    std::string text;
    net::ReceivedOn on; // the group socket's: the interface it came in on
};

class WsdChannel {
public:
    virtual ~WsdChannel() = default;
    virtual std::size_t SocketCount() const = 0;
    virtual bool Send(std::size_t socket, std::string_view datagram, net::Ipv4Endpoint to) = 0;
    // The next datagram from any socket, waiting up to timeoutMs.
    virtual std::optional<WsdDatagram> Receive(int timeoutMs) = 0;
};

// One socket per interface, bound to its address on a free port, sending
// multicast out of that interface (time to live 1). Sockets that cannot be
// set up are left out; nullptr when none could.
std::unique_ptr<WsdChannel> OpenProbeChannel(const std::vector<net::InterfaceAddress>& interfaces);

// One socket on the discovery port, joined to the group on every interface:
// hears Hello and Bye, and tells the interface each came in on. nullptr
// when it cannot be set up.
std::unique_ptr<WsdChannel> OpenGroupChannel(const std::vector<net::InterfaceAddress>& interfaces);

// The platform side, replaceable as a whole.
struct WsdNetwork {
    std::function<std::vector<net::InterfaceAddress>()> interfaces = MulticastInterfaces;
    std::function<std::unique_ptr<WsdChannel>(const std::vector<net::InterfaceAddress>&)> openProbe =
        OpenProbeChannel;
    std::function<std::unique_ptr<WsdChannel>(const std::vector<net::InterfaceAddress>&)> openGroup =
        OpenGroupChannel;
};

} // namespace onvif
