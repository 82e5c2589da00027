#include "onvif/find_again.h"

#include "discovery/ip_rules.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace onvif {

bool FindAtAddress(const AddressProbe& probe, const std::function<void(int ms)>& pause,
                   const std::string& endpoint, uint32_t address, FindAgainPlan plan) {
    for (int attempt = 0; attempt < plan.tries; ++attempt) {
        if (attempt > 0) {
            pause(plan.pauseMs);
        }
        const std::vector<std::string> found = probe(address);
        if (!endpoint.empty() && std::find(found.begin(), found.end(), endpoint) != found.end()) {
            return true;
        }
    }
    return false;
}

AddressProbe UnicastProbeOf(OnvifDiscovery& discovery, SearchOptions options, int64_t windowMs) {
    options.timing.phaseMs = std::max<int64_t>(windowMs / 2, 1); // a window is two phases
    return [&discovery, options](uint32_t address) {
        std::vector<std::string> endpoints;
        for (const auto& [key, entry] : discovery.ProbeUnicast(address, address, options, nullptr).devices) {
            endpoints.push_back(entry.onvif.endpointReference);
        }
        return endpoints;
    };
}

std::optional<uint32_t> FindOnSegment(const SegmentProbe& probe, const std::function<void(int ms)>& pause,
                                      const std::string& endpoint, FindAgainPlan plan) {
    for (int attempt = 0; attempt < plan.tries && !endpoint.empty(); ++attempt) {
        if (attempt > 0) {
            pause(plan.pauseMs);
        }
        for (const auto& [heard, address] : probe()) {
            if (heard == endpoint) {
                return address;
            }
        }
    }
    return std::nullopt;
}

SegmentProbe MulticastProbeOf(OnvifDiscovery& discovery, SearchOptions options, int64_t windowMs) {
    options.timing.phaseMs = std::max<int64_t>(windowMs / 2, 1);
    return [&discovery, options] {
        std::vector<std::pair<std::string, uint32_t>> heard;
        for (const auto& [key, entry] : discovery.Run(options, nullptr).devices) {
            heard.emplace_back(entry.onvif.endpointReference, AddressFromText(entry.ip));
        }
        return heard;
    };
}

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace onvif
