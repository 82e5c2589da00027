#pragma once
// What WS-Discovery and the pre-login device service tell about an ONVIF
// device: kept in its record beside the native facts. Texts are as the
// device sent them (scope values percent-decoded).
#include <cstdint>
#include <string>
#include <vector>

enum class OnvifDeviceType : uint8_t { Unknown, Camera, Recorder };

struct OnvifFacts {
    std::string endpointReference; // the device's stable WS-Discovery address, "urn:uuid:..."
    std::vector<std::string> xaddrs;
    std::vector<std::string> types; // qualified names as sent, "dn:NetworkVideoTransmitter"
    std::string name;               // from the scopes
    std::string hardware;
    std::string location;
    OnvifDeviceType deviceType = OnvifDeviceType::Unknown;
    // The device service this program talks to: the XAddr, with the host
    // replaced by the reply's source address when the XAddr named another
    // or a link-local one.
    std::string deviceServiceUrl;
    uint16_t httpPort = 0;
    // Device clock minus this computer's clock, from GetSystemDateAndTime.
    int64_t clockOffsetSeconds = 0;
    bool clockKnown = false;

    bool operator==(const OnvifFacts&) const = default;
};
