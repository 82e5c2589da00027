#pragma once
// Runs WS-Discovery for the lab's ONVIF devices on one socket: port 3702
// joined to 239.255.255.250, answering each Probe (multicast, or unicast
// to one device's address) from the device's own address after a random
// 0-500 ms, a Hello per device at the start (or when the lab says) and a
// Bye per device at the end (or when the lab says). A device that restarts
// is silent for its restart time (or for good) and says Hello (a new
// instance) when it is back; one that moved says Hello from its new address.
#include "lab.h"
#include "onvif/wsd_messages.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <random>
#include <thread>
#include <utility>
#include <vector>

namespace onvifsim {

class WsdServer {
public:
    explicit WsdServer(std::vector<SimDevice> devices, uint64_t seed);
    ~WsdServer();
    WsdServer(const WsdServer&) = delete;
    WsdServer& operator=(const WsdServer&) = delete;

    // Opens the socket, says Hello and starts answering; false with a
    // message on stderr when the socket cannot be opened.
    bool Start();
    // Says Bye for every device and stops.
    void Stop();
    // The device at labIndex changed (its address, a restart of restartMs
    // when > 0; restartMs < 0: it goes silent and never comes back). Safe
    // from any thread.
    void Update(std::size_t labIndex, const SimDevice& device, int restartMs);

private:
    void Run();
    // Hello and Bye that are due by nowMs since the start.
    void Announce(int64_t sinceStartMs);
    bool SendFrom(uint32_t source, uint32_t toAddress, uint16_t toPort, const std::string& text);
    std::string NewMessageId();
    // The device's reply-loss fault drops this reply, as it drops its
    // native replies.
    bool LosesReply(const SimDevice& device);
    void TakeUpdates(int64_t sinceStartMs);

    struct DeviceUpdate {
        std::size_t labIndex;
        SimDevice device;
        int restartMs;
    };
    std::mutex m_updateMutex;
    std::vector<DeviceUpdate> m_updates;
    std::vector<std::size_t> m_labIndex;  // each device's place in the lab
    std::vector<int64_t> m_silentUntilMs; // since the start: restarting until then

    std::vector<SimDevice> m_devices;
    std::vector<AppSequence> m_sequences;
    std::vector<bool> m_present; // said Hello and not yet Bye
    int64_t m_startMs = 0;
    std::mt19937_64 m_random;
    int m_socket = -1;
    // The interface the group is routed to: the devices' own addresses are
    // local routes without an interface, so announcements name it.
    int m_groupInterface = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace onvifsim
