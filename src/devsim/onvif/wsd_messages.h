#pragma once
// WS-Discovery (2005/04) as the simulated devices speak it, pure: reading a
// Probe, deciding whether a device answers it, and writing ProbeMatches,
// Hello and Bye.
#include "lab.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace onvifsim {

constexpr uint16_t kDiscoveryPort = 3702;
constexpr uint32_t kDiscoveryGroup = 0xEFFFFFFA; // 239.255.255.250
constexpr int kAppMaxDelayMs = 500;
constexpr std::size_t kMaxProbeBytes = 32 * 1024;

struct QualifiedName {
    std::string ns;
    std::string local;
    bool operator==(const QualifiedName&) const = default;
};

struct Probe {
    std::string messageId;
    std::vector<QualifiedName> types;
    std::vector<std::string> scopes;
    std::string matchBy; // empty: the RFC 3986 rule
};

// nullopt for anything that is not a well-formed Probe.
std::optional<Probe> ParseProbe(const std::string& text);
// Whether the device answers this probe: its types and scopes match and
// its probe faults let it.
bool DeviceAnswersProbe(const SimDevice& device, const Probe& probe);

// Numbers the messages of one device for the receivers' AppSequence.
struct AppSequence {
    uint64_t instanceId = 1;
    uint64_t messageNumber = 0;
};

std::string BuildProbeMatches(const SimDevice& device, const std::string& relatesTo,
                              const std::string& messageId, AppSequence& sequence);
std::string BuildHello(const SimDevice& device, const std::string& messageId, AppSequence& sequence);
std::string BuildBye(const SimDevice& device, const std::string& messageId, AppSequence& sequence);

} // namespace onvifsim
