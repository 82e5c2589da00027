#include "udp_server.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <queue>

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Scheduled {
    int64_t dueMs;
    uint64_t order; // keeps the order of equal due times
    Datagram bytes;
    bool operator>(const Scheduled& other) const {
        return dueMs != other.dueMs ? dueMs > other.dueMs : order > other.order;
    }
};

} // namespace

UdpServer::UdpServer(UdpResponder& responder, UdpServerOptions options)
    : m_responder(responder), m_options(options) {}

bool UdpServer::Open() {
    m_socket = net::CreateUdpSocket();
    if (!m_socket || !m_socket->SetReuseAddress() || !m_socket->SetBroadcast() ||
        !m_socket->Bind({net::kAnyAddress, m_options.listenPort}) || !m_socket->SetNonBlocking()) {
        std::fprintf(stderr, "corvane-devsim: cannot open UDP port %u\n", m_options.listenPort);
        return false;
    }
    m_socket->SetReceiveBufferSize(1 << 20);
    return true;
}

void UdpServer::Run(const std::atomic<bool>& stop) {
    std::priority_queue<Scheduled, std::vector<Scheduled>, std::greater<>> pending;
    uint64_t order = 0;
    std::vector<OutgoingDatagram> answers;
    std::array<uint8_t, 2048> buffer{};
    while (!stop.load()) {
        int64_t now = NowMs();
        while (!pending.empty() && pending.top().dueMs <= now) {
            m_socket->SendTo(pending.top().bytes, m_options.replyTo);
            pending.pop();
        }
        const int64_t wait = pending.empty() ? 100 : std::clamp<int64_t>(pending.top().dueMs - now, 0, 100);
        if (wait > 0 && !m_socket->WaitReadable(static_cast<int>(wait))) {
            continue;
        }
        // Take everything waiting before sending, so a burst of requests is
        // not starved by the answers to the first.
        for (int i = 0; i < 256; ++i) {
            const int length = m_socket->ReceiveFrom(buffer, nullptr);
            if (length < 0) {
                break;
            }
            answers.clear();
            m_responder.Handle(std::span(buffer).first(static_cast<std::size_t>(length)), NowMs(), answers);
            for (OutgoingDatagram& answer : answers) {
                pending.push({answer.dueMs, order++, std::move(answer.bytes)});
            }
        }
    }
}
