#pragma once
// Runs WS-Discovery for the lab's ONVIF devices on one socket: port 3702
// joined to 239.255.255.250, answering each Probe (multicast, or unicast
// to one device's address) from the device's own address after a random
// 0-500 ms, a Hello per device at the start (or when the lab says) and a
// Bye per device at the end (or when the lab says).
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
    // The device at address restarts: silent from now on, and a Hello (of a
    // new instance) after awayMs; awayMs < 0: it never comes back. Safe
    // from any thread.
    void Restart(uint32_t address, int64_t awayMs);

private:
    void Run();
    // Hello and Bye that are due by nowMs since the start.
    void Announce(int64_t sinceStartMs);
    bool SendFrom(uint32_t source, uint32_t toAddress, uint16_t toPort, const std::string& text);
    std::string NewMessageId();

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
    // Restarts told by other threads, taken by Announce; per device the
    // time since the start it is back (0: not away, -1: for good).
    std::mutex m_restartMutex;
    std::vector<std::pair<uint32_t, int64_t>> m_restarts;
    std::vector<int64_t> m_backAtMs;
    std::thread m_thread;
};

} // namespace onvifsim
