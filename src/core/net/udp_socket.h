#pragma once
// UDP over IPv4: the only part of the platform the discovery protocol needs.
// DatagramSocket is an interface so tests can hand the engine sockets that
// fail at a chosen step; CreateUdpSocket gives the real one.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace net {

inline constexpr uint32_t kAnyAddress = 0x00000000;
inline constexpr uint32_t kBroadcastAddress = 0xFFFFFFFF;
inline constexpr uint32_t kLoopbackAddress = 0x7F000001;

// An IPv4 address in host order (first octet in the most significant byte)
// and a port.
struct Ipv4Endpoint {
    uint32_t address = kAnyAddress;
    uint16_t port = 0;
    bool operator==(const Ipv4Endpoint&) const = default;
};

// Where a datagram came in: the interface (its platform index, 0 when
// unknown), the local address it was received on and the address it was
// sent to (a group's or broadcast address, or the local one).
struct ReceivedOn {
    unsigned interfaceIndex = 0;
    uint32_t localAddress = 0; // host order
    uint32_t destination = 0;  // host order
};

class DatagramSocket {
public:
    virtual ~DatagramSocket() = default;
    virtual bool SetReuseAddress() = 0;
    virtual bool SetBroadcast() = 0;
    virtual bool Bind(Ipv4Endpoint local) = 0;
    virtual bool SetNonBlocking() = 0;
    // Best effort: a larger kernel queue for bursts of replies.
    virtual void SetReceiveBufferSize(int bytes) = 0;
    // True when the whole datagram was handed to the network.
    virtual bool SendTo(std::span<const uint8_t> datagram, Ipv4Endpoint to) = 0;
    // Length of the received datagram (a longer one is cut to the buffer), or
    // -1 when nothing is waiting (non-blocking) or the receive failed.
    virtual int ReceiveFrom(std::span<uint8_t> buffer, Ipv4Endpoint* from) = 0;
    // Asks the platform to tell, for every received datagram, where it came
    // in (see ReceiveWithInfo); false when it cannot.
    virtual bool EnableReceivedOn() { return false; }
    // As ReceiveFrom, and fills on (zeroed when the platform did not tell).
    virtual int ReceiveWithInfo(std::span<uint8_t> buffer, Ipv4Endpoint* from, ReceivedOn* on) {
        if (on != nullptr) {
            *on = {};
        }
        return ReceiveFrom(buffer, from);
    }
    // Sends out of the interface of the given index, from the given local
    // address, whatever the routing table would choose (a limited broadcast
    // leaves through that interface). Needs no privilege.
    virtual bool SendVia(std::span<const uint8_t> datagram, Ipv4Endpoint to, unsigned interfaceIndex,
                         uint32_t localAddress) {
        (void)interfaceIndex, (void)localAddress;
        return SendTo(datagram, to);
    }
    // Waits up to timeoutMs for a datagram; false on time-out.
    virtual bool WaitReadable(int timeoutMs) = 0;
    // The port the socket is bound to (useful after binding port 0).
    virtual uint16_t LocalPort() const = 0;
};

// Makes a socket; nullptr when the platform refused to create one.
using DatagramSocketFactory = std::function<std::unique_ptr<DatagramSocket>()>;

std::unique_ptr<DatagramSocket> CreateUdpSocket();

// The same over a plain descriptor, for sockets set up elsewhere. Receives
// one datagram (cut to the buffer; flags as for recvmsg): its length, or -1.
// on is filled when the socket has IP_PKTINFO on, else zeroed.
int ReceiveMessage(int fd, std::span<uint8_t> buffer, Ipv4Endpoint* from, ReceivedOn* on, int flags = 0);
// Sends one datagram from localAddress, out of the interface of
// interfaceIndex (0: where the routing table sends it).
bool SendMessageVia(int fd, std::span<const uint8_t> datagram, Ipv4Endpoint to, unsigned interfaceIndex,
                    uint32_t localAddress);

// "a.b.c.d" for a host-order address.
std::string AddressToText(uint32_t address);

} // namespace net
