#pragma once
// Runs a UdpResponder on the network: receives requests on the device port
// and sends each answer when it is due, to the reply address.
#include "net/udp_socket.h"
#include "udp_responder.h"

#include <atomic>
#include <cstdint>

struct UdpServerOptions {
    uint16_t listenPort = 5000;
    // Devices broadcast their answers, so a tool on another subnet hears them.
    net::Ipv4Endpoint replyTo{net::kBroadcastAddress, 5001};
};

class UdpServer {
public:
    UdpServer(UdpResponder& responder, UdpServerOptions options);
    // Opens the socket; false with a message on stderr when it cannot.
    bool Open();
    // Serves until stop is set.
    void Run(const std::atomic<bool>& stop);

private:
    UdpResponder& m_responder;
    UdpServerOptions m_options;
    std::unique_ptr<net::DatagramSocket> m_socket;
};
