#include "operate/readdress_plan.h"

#include "discovery/address_range.h"
#include "discovery/ip_rules.h"

#include <algorithm>

namespace {

constexpr char kRefused[] = "info.IP_set_error";

bool RequestValid(const ReaddressRequest& request) {
    if (request.first == 0 || request.first == kInvalidAddress ||
        !CheckIpSettings(request.first, request.mask, request.gateway)) {
        return false;
    }
    if (request.last == 0) {
        return true;
    }
    return request.last >= request.first && (request.last & request.mask) == (request.first & request.mask);
}

// The skip reason of an address the rules refuse as a device's own, or
// nullptr when it may be handed out.
const char* RuleBreach(uint32_t address, const ReaddressRequest& request) {
    const uint32_t host = address & ~request.mask;
    const bool edge = host == 0 || host == ~request.mask;
    if (edge || address == request.gateway || address == request.dns ||
        !CheckIpSettings(address, request.mask, request.gateway)) {
        return skipkey::kRules;
    }
    return nullptr;
}

const char* TakenReason(uint32_t address, const TakenAddresses& taken) {
    if (taken.local.count(address) != 0) {
        return skipkey::kThisPc;
    }
    if (taken.listed.count(address) != 0) {
        return skipkey::kListed;
    }
    if (taken.answered.count(address) != 0) {
        return skipkey::kAnswered;
    }
    return nullptr;
}

} // namespace

std::vector<uint32_t> CandidateAddresses(const ReaddressRequest& request) {
    std::vector<uint32_t> addresses;
    if (!RequestValid(request)) {
        return addresses;
    }
    const uint32_t subnetEnd = request.first | ~request.mask;
    const uint32_t last = request.last != 0 ? request.last : subnetEnd;
    for (uint32_t address = request.first; addresses.size() < kMaxProbeAddresses; ++address) {
        addresses.push_back(address);
        if (address == last) {
            break;
        }
    }
    return addresses;
}

ReaddressPlan PlanReaddress(std::vector<ReaddressDevice> devices, const ReaddressRequest& request,
                            const TakenAddresses& taken) {
    ReaddressPlan plan;
    if (!RequestValid(request)) {
        plan.errorKey = kRefused;
        return plan;
    }
    std::sort(devices.begin(), devices.end(),
              [](const ReaddressDevice& a, const ReaddressDevice& b) { return a.key < b.key; });
    const std::vector<uint32_t> candidates = CandidateAddresses(request);
    std::size_t next = 0;
    for (const ReaddressDevice& device : devices) {
        PlannedDevice planned{device.key, device.address, 0, PlanStep::Move};
        if (request.intoSubnet && !device.troubled) {
            planned.step = PlanStep::Keep;
            plan.devices.push_back(planned);
            continue;
        }
        planned.step = PlanStep::None;
        while (next < candidates.size()) {
            const uint32_t address = candidates[next++];
            const char* reason = RuleBreach(address, request);
            if (reason == nullptr) {
                reason = TakenReason(address, taken);
            }
            if (reason != nullptr) {
                plan.skipped.push_back({address, reason});
                continue;
            }
            planned.to = address;
            planned.step = PlanStep::Move;
            break;
        }
        plan.devices.push_back(planned);
    }
    return plan;
}
