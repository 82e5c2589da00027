#pragma once
// The UDP socket pair that the search and the configuration sender use: a
// send socket (broadcast, port 5003) and a non-blocking receive socket
// (port 5001). Created anew for each search or change, closed at its end.
#include "net/interfaces.h"
#include "net/udp_socket.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// Result codes of SetUpSockets; the failing step is in the name.
enum SocketSetUpResult : int {
    kSocketsReady = 1,
    kSendSocketCreateFailed = -1,
    kSendSocketReuseFailed = -2,
    kSendSocketBroadcastFailed = -3,
    kSendSocketBindFailed = -4,
    kReceiveSocketCreateFailed = -5,
    kReceiveSocketBindFailed = -6,
    kReceiveSocketNonBlockingFailed = -7,
};
// A request could not be sent.
inline constexpr int kSendFailed = -8;

// Where requests go and where replies come back. The defaults are the
// protocol's; tests pass ports and a destination of their own.
struct DiscoveryEndpoints {
    net::Ipv4Endpoint destination{net::kBroadcastAddress, 5000};
    uint16_t sendPort = 5003;
    uint16_t receivePort = 5001;
};

class SocketPair {
public:
    explicit SocketPair(net::DatagramSocketFactory factory = net::CreateUdpSocket);

    // Closes any open socket, then creates, configures and binds both in
    // order; the first failing step's code (both sockets closed then), or 1.
    int SetUpSockets(const DiscoveryEndpoints& endpoints);
    void Close();

    // A limited broadcast then leaves once out of each of these interfaces
    // (the same bytes, from its address) instead of once where the routing
    // table sends it; other destinations are sent to once, as before.
    void SendOutOf(std::vector<net::InterfaceAddress> interfaces) { m_outOf = std::move(interfaces); }
    // True when the datagram left (out of one interface at least).
    bool Send(std::span<const uint8_t> datagram);
    // Zeroes the whole buffer, then receives one datagram without waiting.
    // The datagram's length, or -1 when nothing was waiting; on, when
    // given, says where it came in.
    int Receive(std::span<uint8_t> buffer, net::ReceivedOn* on = nullptr);
    // Waits up to timeoutMs for a datagram on the receive socket.
    bool WaitForDatagram(int64_t timeoutMs);

private:
    net::DatagramSocketFactory m_factory;
    std::unique_ptr<net::DatagramSocket> m_sender;
    std::unique_ptr<net::DatagramSocket> m_receiver;
    net::Ipv4Endpoint m_destination;
    std::vector<net::InterfaceAddress> m_outOf;
};
