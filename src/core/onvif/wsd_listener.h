#pragma once
// Hears WS-Discovery announcements while the program runs: a socket joined
// to the discovery group on every multicast-capable interface, read by a
// thread of its own. Hello gives the device's record (as a search would make
// it, without its clock, with the interface it was heard on); Bye gives its
// endpoint reference.
#include "discovery/device_entry.h"
#include "onvif/wsd_channel.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace onvif {

class WsDiscoveryListener {
public:
    struct Callbacks {
        std::function<void(DeviceEntry)> hello;                 // on the listener's thread
        std::function<void(std::string endpointReference)> bye; // on the listener's thread
    };

    explicit WsDiscoveryListener(Callbacks callbacks, WsdNetwork network = {});
    ~WsDiscoveryListener();
    WsDiscoveryListener(const WsDiscoveryListener&) = delete;
    WsDiscoveryListener& operator=(const WsDiscoveryListener&) = delete;

    // False when no socket could join the group (no interface, port taken
    // without address reuse); then nothing is heard.
    bool Start();
    void Stop();

private:
    void Listen(std::unique_ptr<WsdChannel> channel);

    Callbacks m_callbacks;
    WsdNetwork m_network;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace onvif
