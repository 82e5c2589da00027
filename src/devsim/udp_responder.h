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
    // Told each address a device moves to (by CFG or by the other sides'
    // changes), with the devices locked. Set before serving.
    void SetAddressListener(std::function<void(uint32_t address)> listener);

private:
    void AnswerSearch(SearchVersion version, int64_t nowMs, std::vector<OutgoingDatagram>& out);
    void ApplyConfigV2(const NetworkConfig& config);
    void ApplyConfigV3(const NetworkConfig& config, int64_t nowMs, std::vector<OutgoingDatagram>& out);
    void Moved(uint32_t before, const SimDevice& device);
    void Emit(const SimDevice& device, Datagram reply, int64_t nowMs, std::vector<OutgoingDatagram>& out);

    mutable std::mutex m_mutex;
    std::vector<SimDevice> m_devices;
    ConfigPasswordCheck m_configPasswordCheck;
    std::function<void(uint32_t)> m_addressListener;
    std::mt19937_64 m_random;
};
