#include "discovery/socket_pair.h"

#include <algorithm>

namespace {
// Room for a burst of replies from a large network; best effort.
constexpr int kReceiveQueueBytes = 4 * 1024 * 1024;
} // namespace

SocketPair::SocketPair(net::DatagramSocketFactory factory) : m_factory(std::move(factory)) {}

int SocketPair::SetUpSockets(const DiscoveryEndpoints& endpoints) {
    Close();
    const auto fail = [this](int code) {
        Close();
        return code;
    };
    m_sender = m_factory();
    if (!m_sender) {
        return kSendSocketCreateFailed;
    }
    if (!m_sender->SetReuseAddress()) {
        return fail(kSendSocketReuseFailed);
    }
    if (!m_sender->SetBroadcast()) {
        return fail(kSendSocketBroadcastFailed);
    }
    if (!m_sender->Bind({net::kAnyAddress, endpoints.sendPort})) {
        return fail(kSendSocketBindFailed);
    }
    m_receiver = m_factory();
    if (!m_receiver) {
        return fail(kReceiveSocketCreateFailed);
    }
    if (!m_receiver->Bind({net::kAnyAddress, endpoints.receivePort})) {
        return fail(kReceiveSocketBindFailed);
    }
    if (!m_receiver->SetNonBlocking()) {
        return fail(kReceiveSocketNonBlockingFailed);
    }
    m_receiver->SetReceiveBufferSize(kReceiveQueueBytes);
    // Best effort: without it the records do not say where replies came in.
    m_receiver->EnableReceivedOn();
    m_destination = endpoints.destination;
    return kSocketsReady;
}

void SocketPair::Close() {
    m_sender.reset();
    m_receiver.reset();
}

bool SocketPair::Send(std::span<const uint8_t> datagram) {
    if (!m_sender) {
        return false;
    }
    if (m_outOf.empty() || m_destination.address != net::kBroadcastAddress) {
        return m_sender->SendTo(datagram, m_destination);
    }
    bool sent = false;
    for (const net::InterfaceAddress& item : m_outOf) {
        sent |= m_sender->SendVia(datagram, m_destination, item.index, item.address);
    }
    return sent;
}

int SocketPair::Receive(std::span<uint8_t> buffer, net::ReceivedOn* on) {
    std::fill(buffer.begin(), buffer.end(), uint8_t{0});
    if (!m_receiver) {
        return -1;
    }
    return m_receiver->ReceiveWithInfo(buffer, nullptr, on);
}

bool SocketPair::WaitForDatagram(int64_t timeoutMs) {
    return m_receiver && m_receiver->WaitReadable(static_cast<int>(std::max<int64_t>(0, timeoutMs)));
}
