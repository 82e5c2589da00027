#pragma once
// WS-Discovery (2005/04) messages: the Probe this program sends, and the
// ProbeMatches, Hello and Bye it hears. Pure encode and decode: no sockets.
#include "discovery/onvif_facts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace onvif {

inline constexpr uint32_t kWsDiscoveryGroup = 0xEFFFFFFA; // 239.255.255.250
inline constexpr uint16_t kWsDiscoveryPort = 3702;

// The two probe types: cameras and recorders announce the first, every
// device service the second.
enum class ProbeType : uint8_t { NetworkVideoTransmitter, Device };

// A fresh "urn:uuid:..." (random, version 4).
std::string NewMessageId();

std::string BuildProbe(ProbeType type, std::string_view messageId);

enum class WsdKind : uint8_t { Probe, ProbeMatches, Hello, Bye };

// One device as a ProbeMatch, Hello or Bye describes it.
struct WsdMatch {
    std::string endpointReference;
    std::vector<std::string> types;
    std::vector<std::string> scopes;
    std::vector<std::string> xaddrs;
    uint32_t metadataVersion = 0;
};

struct WsdMessage {
    WsdKind kind = WsdKind::Probe;
    std::string messageId;
    std::string relatesTo;
    std::vector<WsdMatch> matches; // empty for a Probe; one for Hello and Bye
};

// nullopt for anything that is not a well-formed discovery message of
// these kinds (size, XML, a match without an endpoint reference, a missing
// MessageID, ProbeMatches without RelatesTo).
std::optional<WsdMessage> ParseWsdMessage(std::string_view text);

// What the scopes tell: name, hardware and location (percent-decoded; several
// locations joined by "/"), and the device type.
struct ScopeFacts {
    std::string name;
    std::string hardware;
    std::string location;
    OnvifDeviceType deviceType = OnvifDeviceType::Unknown;
};
ScopeFacts ParseScopes(const std::vector<std::string>& scopes, const std::vector<std::string>& types);

std::string PercentDecode(std::string_view text);

// An http or https URL taken apart; nullopt when it is neither.
struct HttpUrl {
    bool https = false;
    std::string host; // as written (an IPv6 host keeps its brackets)
    uint16_t port = 0;
    std::string path; // with its leading "/", "/" when none
};
std::optional<HttpUrl> ParseHttpUrl(std::string_view url);
std::string FormatHttpUrl(const HttpUrl& url);

// The device service to use and the address to show, from a device's
// XAddrs and the address its message came from (host order): an XAddr on
// that address when there is one, else the first usable XAddr with its host
// replaced by the source address (it named another or a link-local host).
struct DeviceService {
    std::string url;
    std::string address; // "a.b.c.d"
    uint16_t httpPort = 0;
};
std::optional<DeviceService> ChooseDeviceService(const std::vector<std::string>& xaddrs,
                                                 uint32_t sourceAddress);

// The record facts of a match heard from sourceAddress; deviceServiceUrl and
// httpPort stay empty when no XAddr is usable.
OnvifFacts FactsFromMatch(const WsdMatch& match, uint32_t sourceAddress);

} // namespace onvif
