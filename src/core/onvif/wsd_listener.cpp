#include "onvif/wsd_listener.h"

#include "net/interfaces.h"
#include "onvif/match_collector.h"
#include "onvif/ws_discovery.h"

#include <deque>
#include <set>

namespace onvif {
namespace {

constexpr int kPollMs = 200;
constexpr std::size_t kRememberedMessages = 256; // Hello and Bye are sent more than once

} // namespace

WsDiscoveryListener::WsDiscoveryListener(Callbacks callbacks, WsdNetwork network)
    : m_callbacks(std::move(callbacks)), m_network(std::move(network)) {}

WsDiscoveryListener::~WsDiscoveryListener() {
    Stop();
}

bool WsDiscoveryListener::Start() {
    if (m_thread.joinable()) {
        return true;
    }
    std::unique_ptr<WsdChannel> channel = m_network.openGroup(m_network.interfaces());
    if (!channel) {
        return false;
    }
    m_stop = false;
    m_thread = std::thread([this, owned = std::move(channel)]() mutable { Listen(std::move(owned)); });
    return true;
}

void WsDiscoveryListener::Stop() {
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void WsDiscoveryListener::Listen(std::unique_ptr<WsdChannel> channel) {
    std::set<std::string> seen;
    std::deque<std::string> order;
    while (!m_stop) {
        const std::optional<WsdDatagram> datagram = channel->Receive(kPollMs);
        if (!datagram) {
            continue;
        }
        std::optional<WsdMessage> message = ParseWsdMessage(datagram->text);
        if (!message || (message->kind != WsdKind::Hello && message->kind != WsdKind::Bye) ||
            !seen.insert(message->messageId).second) {
            continue;
        }
        order.push_back(message->messageId);
        if (order.size() > kRememberedMessages) {
            seen.erase(order.front());
            order.pop_front();
        }
        const WsdMatch& match = message->matches.front();
        if (message->kind == WsdKind::Hello && m_callbacks.hello) {
            DeviceEntry entry = OnvifRecord(match, datagram->from.address);
            if (datagram->on.interfaceIndex != 0) {
                entry.interfaceName = net::InterfaceNameOf(datagram->on.interfaceIndex);
                entry.localAddress = net::AddressToText(datagram->on.localAddress);
            }
            m_callbacks.hello(std::move(entry));
        } else if (message->kind == WsdKind::Bye && m_callbacks.bye) {
            m_callbacks.bye(match.endpointReference);
        }
    }
}

} // namespace onvif
