#pragma once
// The UDP side of the simulated devices: answers the discovery requests and
// applies the configuration requests, injecting the lab's faults. Pure: it
// turns one received datagram into the datagrams to send and when.
#include "lab.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <span>
#include <string>
#include <vector>

struct OutgoingDatagram {
    int64_t dueMs = 0;
    Datagram bytes;
};

class UdpResponder {
public:
    explicit UdpResponder(Lab lab);

    // Appends the answers of every device to one received datagram.
    void Handle(std::span<const uint8_t> datagram, int64_t nowMs, std::vector<OutgoingDatagram>& out);

    // A copy of the devices as they are now (addresses change with CFG requests).
    std::vector<SimDevice> Devices() const;
    // Lets the SDK side change device index (restarts, ports, model, version).
    void UpdateDevice(std::size_t index, const std::function<void(SimDevice&)>& change);
    // The SDK side's check of a CFG.V3 request's user and password for
    // device index (its stored key, lock and rate limit). Without one the
    // lab's administrator password is compared in constant time.
    using ConfigPasswordCheck =
        std::function<bool(std::size_t index, const std::string& user, const std::string& password)>;
    void SetConfigPasswordCheck(ConfigPasswordCheck check);
    // Told each device that moved to another address (by CFG or by the
    // other sides' changes), with its settings then, on the thread that
    // moved it and outside the devices' lock. Added before serving.
    using MoveListener = std::function<void(std::size_t index, const SimDevice& device)>;
    void AddMoveListener(MoveListener listener);

private:
    void AnswerSearch(SearchVersion version, int64_t nowMs, std::vector<OutgoingDatagram>& out);
    void ApplyConfigV2(const NetworkConfig& config);
    void ApplyConfigV3(const NetworkConfig& config, int64_t nowMs, std::vector<OutgoingDatagram>& out);
    // With the devices locked: notes the move of device index, if it moved.
    void Moved(uint32_t before, std::size_t index);
    // Without the lock: tells the listeners the moves noted so far.
    void TellMoves();
    void Emit(const SimDevice& device, Datagram reply, int64_t nowMs, std::vector<OutgoingDatagram>& out);

    mutable std::mutex m_mutex;
    std::vector<SimDevice> m_devices;
    ConfigPasswordCheck m_configPasswordCheck;
    std::vector<MoveListener> m_moveListeners;
    std::vector<std::pair<std::size_t, SimDevice>> m_moved; // not told yet
    std::mt19937_64 m_random;
};
