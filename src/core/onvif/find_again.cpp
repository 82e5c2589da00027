#include "onvif/find_again.h"

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

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace onvif
