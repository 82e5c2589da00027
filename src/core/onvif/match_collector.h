#pragma once
// The bookkeeping of one WS-Discovery search, apart from sockets and time:
// which probes were sent, which replies belong to them, and the devices they
// describe, one per endpoint reference. Replies that relate to no probe of
// ours, repeated messages and our own probes heard back are dropped.
#include "discovery/device_entry.h"
#include "onvif/ws_discovery.h"
#include "onvif/wsd_channel.h"

#include <set>
#include <string>
#include <vector>

namespace onvif {

// The record of a device a match describes, heard from sourceAddress:
// keyed by its endpoint reference, no MAC yet, the ONVIF family's operations.
DeviceEntry OnvifRecord(const WsdMatch& match, uint32_t sourceAddress);

class MatchCollector {
public:
    void AddSentProbe(const std::string& messageId);
    // The devices of the datagram that are new to this search; via, when
    // named, is the interface the datagram came in on.
    std::vector<DeviceEntry> Take(const WsdDatagram& datagram, const net::InterfaceAddress* via = nullptr);
    const DeviceTable& Devices() const { return m_devices; }
    DeviceTable& Devices() { return m_devices; }

private:
    std::set<std::string> m_sent;
    std::set<std::string> m_seen; // MessageIDs of replies already handled
    DeviceTable m_devices;        // keyed by endpoint reference
};

} // namespace onvif
