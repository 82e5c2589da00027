#pragma once
// What a login to an ONVIF device reads: its identity, its network settings,
// its protocol ports and its services. One call per item, each
// authenticated as device_call.h describes; the first refusal ends the read
// so that a wrong password costs at most two attempts.
#include "discovery/onvif_facts.h"
#include "onvif/device_call.h"
#include "onvif/device_responses.h"

#include <string>
#include <vector>

namespace onvif {

struct OnvifDeviceInfo {
    DeviceInformation device;
    NetworkInterface network;
    std::vector<std::string> gateways;
    DnsInformation dns;
    NetworkProtocols protocols;
    std::vector<ServiceAddress> services;
};

enum class InfoOutcome : uint8_t { Ok, WrongPassword, Locked, Unreachable, Timeout, Failed };

struct OnvifInfoResult {
    InfoOutcome outcome = InfoOutcome::Failed;
    std::string errorKey; // language key of the failure; empty on success
    OnvifDeviceInfo info;
    AuthMethod method = AuthMethod::Unknown; // the method that worked
};

// Reads the device's information with a login. The device information
// itself is required; the other items are left empty when the device does
// not support them (GetCapabilities stands in for GetServices).
// nowUtcSeconds: this computer's clock (seconds since 1970, UTC).
OnvifInfoResult ReadOnvifInfo(const OnvifFacts& facts, const OnvifCredentials& credentials,
                              AuthMemory& memory, SoapTransport& transport, int64_t nowUtcSeconds);

// The language key shown for an outcome ("" for Ok).
const char* InfoOutcomeKey(InfoOutcome outcome);

} // namespace onvif
