#pragma once
// A scripted network for the search engine and the configuration sender:
// sockets that fail at a chosen set-up step, a clock that moves only when
// the code under test sleeps or waits, and an inbox of datagrams that
// arrive at given times. Everything sent is recorded with its time.
#include "discovery/datagrams.h"
#include "net/udp_socket.h"
#include "platform/clock.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

enum class FailStep { None, CreateSend, Reuse, Broadcast, BindSend, CreateReceive, BindReceive, NonBlocking };

struct FakeNetwork : Clock {
    int64_t now = 1000;
    FailStep failAt = FailStep::None;
    bool failSends = false;
    int failSendsAfter = -1; // sends that succeed before every later one fails
    int created = 0;
    int open = 0;
    std::vector<uint16_t> boundPorts;
    struct Sent {
        int64_t at;
        Datagram bytes;
        net::Ipv4Endpoint to;
        unsigned via = 0; // the interface index it was sent out of; 0: as routed
    };
    std::vector<Sent> sent;
    struct Arrival {
        int64_t at;
        Datagram bytes;
        net::ReceivedOn on;
    };
    std::deque<Arrival> inbox; // in order of arrival time
    // Called for every datagram sent, to script answers.
    std::function<void(const Datagram&)> onSend;
    // Time of every receive attempt and its length (-1: nothing waiting).
    std::vector<std::pair<int64_t, int>> receiveLog;

    int64_t NowMs() override { return now; }
    void SleepMs(int64_t ms) override { now += ms; }

    void Deliver(int64_t at, Datagram bytes, net::ReceivedOn on = {}) {
        auto it = inbox.begin();
        while (it != inbox.end() && it->at <= at) {
            ++it;
        }
        inbox.insert(it, {at, std::move(bytes), on});
    }

    net::DatagramSocketFactory Factory();
};

class FakeSocket final : public net::DatagramSocket {
public:
    FakeSocket(FakeNetwork& network, bool isSender) : m_network(network), m_isSender(isSender) {
        ++network.open;
    }
    ~FakeSocket() override { --m_network.open; }

    bool SetReuseAddress() override { return m_network.failAt != FailStep::Reuse; }
    bool SetBroadcast() override { return m_network.failAt != FailStep::Broadcast; }
    bool Bind(net::Ipv4Endpoint local) override {
        if (m_network.failAt == (m_isSender ? FailStep::BindSend : FailStep::BindReceive)) {
            return false;
        }
        m_network.boundPorts.push_back(local.port);
        return true;
    }
    bool SetNonBlocking() override { return m_network.failAt != FailStep::NonBlocking; }
    void SetReceiveBufferSize(int) override {}
    bool SendTo(std::span<const uint8_t> datagram, net::Ipv4Endpoint to) override {
        return SendVia(datagram, to, 0, 0);
    }
    bool SendVia(std::span<const uint8_t> datagram, net::Ipv4Endpoint to, unsigned via, uint32_t) override {
        if (m_network.failSends || (m_network.failSendsAfter >= 0 &&
                                    static_cast<int>(m_network.sent.size()) >= m_network.failSendsAfter)) {
            return false;
        }
        Datagram bytes(datagram.begin(), datagram.end());
        m_network.sent.push_back({m_network.now, bytes, to, via});
        if (m_network.onSend) {
            m_network.onSend(bytes);
        }
        return true;
    }
    int ReceiveFrom(std::span<uint8_t> buffer, net::Ipv4Endpoint* from) override {
        return ReceiveWithInfo(buffer, from, nullptr);
    }
    int ReceiveWithInfo(std::span<uint8_t> buffer, net::Ipv4Endpoint*, net::ReceivedOn* on) override {
        if (m_network.inbox.empty() || m_network.inbox.front().at > m_network.now) {
            m_network.receiveLog.push_back({m_network.now, -1});
            return -1;
        }
        const Datagram bytes = std::move(m_network.inbox.front().bytes);
        if (on != nullptr) {
            *on = m_network.inbox.front().on;
        }
        m_network.inbox.pop_front();
        const std::size_t length = std::min(bytes.size(), buffer.size());
        std::copy_n(bytes.begin(), length, buffer.begin());
        m_network.receiveLog.push_back({m_network.now, static_cast<int>(length)});
        return static_cast<int>(length);
    }
    bool WaitReadable(int timeoutMs) override {
        const int64_t until = m_network.now + timeoutMs;
        if (!m_network.inbox.empty() && m_network.inbox.front().at <= until) {
            m_network.now = std::max(m_network.now, m_network.inbox.front().at);
            return true;
        }
        m_network.now = until;
        return false;
    }
    uint16_t LocalPort() const override { return 0; }

private:
    FakeNetwork& m_network;
    bool m_isSender;
};

inline net::DatagramSocketFactory FakeNetwork::Factory() {
    return [this]() -> std::unique_ptr<net::DatagramSocket> {
        const bool isSender = created % 2 == 0;
        ++created;
        if (failAt == (isSender ? FailStep::CreateSend : FailStep::CreateReceive)) {
            return nullptr;
        }
        return std::make_unique<FakeSocket>(*this, isSender);
    };
}
