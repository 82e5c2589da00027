#pragma once
// Joins the SDK side to the simulator's lab: one SimSdkDevice per lab device
// (its address, TCP and web port, model, version, users, restart time and
// "sdk-faults"), and every change of the SDK side shown by the UDP side:
// silent while the device restarts, its ports, model, version and the
// administrator password after a change.
//
// The lab's "sdk-faults" text holds items separated by blanks or commas:
//   refuse-login=CODE    every login answered with CODE (7 = busy)
//   stall-upgrade=P      an upgrade stops reporting at P percent (50..100)
//   drop-upgrade=P       the connection drops at P percent (50..100)
//   refuse-writes        configuration writes, imports and resets refused
//   slow-ms=MS           every reply MS late
//   max-version=N        the highest protocol version spoken, 2 to 4 (default 4)
//   sessions=N           logged-in sessions at once (default 4)
//   flash-ms=MS          time to write a firmware image (default 1000)
//   fps=N                preview pictures per second (default 5)
#include "devsim/sdk/sim_device.h"
#include "lab.h"
#include "udp_responder.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace devsim {

// false with a message for an unknown item or a bad value.
bool ParseSdkFaults(const std::string& text, SimSdkSettings& settings, std::string& error);
// rebootMs < 0 keeps the lab's reboot-seconds.
SimSdkSettings SdkSettingsFor(const SimDevice& device, int rebootMs);

class SdkLab {
public:
    // statePath: the lab's state file, read at the start and written after
    // every change (empty: none).
    SdkLab(UdpResponder& responder, int rebootMs, std::string statePath = {})
        : m_responder(responder), m_rebootMs(rebootMs), m_statePath(std::move(statePath)) {}
    ~SdkLab();
    SdkLab(const SdkLab&) = delete;
    SdkLab& operator=(const SdkLab&) = delete;

    // Starts a server per device; false with a message for a bad
    // "sdk-faults" text. A device whose port cannot be opened is a warning.
    // storedKeys: every device derives its users' keys before it serves, as
    // real devices hold them from the time a password was set; otherwise a
    // key is derived at its first use (a quick start for large labs).
    bool Start(std::string& error, std::vector<std::string>& warnings, bool storedKeys = false);

private:
    void Publish(std::size_t index);

    void SaveState();
    void FollowAddresses();

    UdpResponder& m_responder;
    int m_rebootMs;
    std::string m_statePath;
    std::vector<std::string> m_macs;
    std::mutex m_saveMutex;
    std::mutex m_watchMutex;
    std::condition_variable m_watchSignal;
    bool m_stopping = false;
    std::thread m_addressWatcher;
    std::vector<std::unique_ptr<SimSdkDevice>> m_devices;
};

} // namespace devsim
