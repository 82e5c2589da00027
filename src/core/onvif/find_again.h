#pragma once
// Finds an ONVIF device again after a network change: a unicast probe to
// its new address, repeated a few times with pauses while the device
// restarts its network, until a reply carries the device's endpoint
// reference. A device told to take its address from DHCP may come back
// anywhere on its network: a search of the whole segment looks for it. The
// probes and the pause are seams for tests. A change whose device is not
// found again is told with kNotFoundAgainKey.
#include "onvif/onvif_discovery.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace onvif {

inline constexpr const char* kNotFoundAgainKey = "info.Network_not_found_again";

struct FindAgainPlan {
    int tries = 3;
    int pauseMs = 2000;
};

// The endpoint references that answered a probe of one address.
using AddressProbe = std::function<std::vector<std::string>(uint32_t address)>;

bool FindAtAddress(const AddressProbe& probe, const std::function<void(int ms)>& pause,
                   const std::string& endpoint, uint32_t address, FindAgainPlan plan = {});

// The discovery source's unicast probe, each try a search window of
// windowMs (the defaults: three tries within about ten seconds).
AddressProbe UnicastProbeOf(OnvifDiscovery& discovery, SearchOptions options, int64_t windowMs = 2000);

// The devices a search of the whole segment heard: endpoint reference and
// address of each.
using SegmentProbe = std::function<std::vector<std::pair<std::string, uint32_t>>()>;

// The address endpoint answers at, as FindAtAddress tries; nullopt when no
// try heard it.
std::optional<uint32_t> FindOnSegment(const SegmentProbe& probe, const std::function<void(int ms)>& pause,
                                      const std::string& endpoint, FindAgainPlan plan = {});

// The discovery source's multicast search, each try a search window of
// windowMs.
SegmentProbe MulticastProbeOf(OnvifDiscovery& discovery, SearchOptions options, int64_t windowMs = 2000);

// Sleeps on the calling thread: the pause of a worker.
void SleepMs(int ms);

} // namespace onvif
