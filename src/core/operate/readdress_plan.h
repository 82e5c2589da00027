#pragma once
// The plan of a re-addressing batch: one new address per chosen device, in
// the order of the devices' keys (their MACs), from a first address or a
// range, skipping every address that is taken (another listed device's,
// one that answered an ARP probe, this computer's own) or that the address
// rules refuse. "Into my subnet" moves only the troubled devices: those
// this computer cannot reach or that share their address with another
// listed device.
// Pure: the caller gathers the taken addresses and applies the plan.
// Addresses are host-order values, first octet most significant.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

struct ReaddressDevice {
    std::string key;      // the record's key (MAC, or endpoint reference)
    uint32_t address = 0; // where it is now
    // This computer cannot reach it from the interface it was found on, or
    // another listed device has its address: into-subnet moves it.
    bool troubled = false;
};

struct ReaddressRequest {
    uint32_t first = 0;
    uint32_t last = 0; // 0: up to the end of the first address's subnet
    uint32_t mask = 0;
    uint32_t gateway = 0;
    uint32_t dns = 0; // 0: none given
    bool intoSubnet = false;
};

// Why an address was passed over (language keys).
namespace skipkey {
inline constexpr char kListed[] = "rd.Skip_listed";     // another listed device has it
inline constexpr char kAnswered[] = "rd.Skip_answered"; // something answered the ARP probe
inline constexpr char kThisPc[] = "rd.Skip_this_pc";    // this computer's own address
inline constexpr char kRules[] = "rd.Skip_rules";       // network, broadcast, gateway or DNS address
} // namespace skipkey

struct SkippedAddress {
    uint32_t address = 0;
    std::string reasonKey;
};

enum class PlanStep {
    Move, // to the planned address
    Keep, // into-subnet: reachable and alone at its address
    None, // the range has no address left for it
};

struct PlannedDevice {
    std::string key;
    uint32_t from = 0;
    uint32_t to = 0; // Move only
    PlanStep step = PlanStep::Move;
};

struct ReaddressPlan {
    // Empty when the request is refused: the language key of the refusal.
    std::string errorKey;
    std::vector<PlannedDevice> devices; // in key order
    std::vector<SkippedAddress> skipped;
};

struct TakenAddresses {
    std::multiset<uint32_t> listed; // every listed device's address (the chosen ones too), once per device
    std::set<uint32_t> answered;    // answered the ARP probe
    std::set<uint32_t> local;       // this computer's addresses
};

// The addresses the plan may hand out, in order: the range, or from the
// first address to the end of its subnet; at most kMaxProbeAddresses. The
// ARP probe asks these.
std::vector<uint32_t> CandidateAddresses(const ReaddressRequest& request);

// Refused ("info.IP_set_error"): a first address, mask or gateway the
// address rules refuse, or a last address before the first or outside the
// first address's subnet.
ReaddressPlan PlanReaddress(std::vector<ReaddressDevice> devices, const ReaddressRequest& request,
                            const TakenAddresses& taken);
