#pragma once
// What a lab is made of: the simulated devices with everything either side
// of the simulator needs (the UDP side reads the discovery and configuration
// values; the SDK side reads users, reboot time and its own fault text), and
// the faults the UDP side injects.
#include "discovery/datagrams.h"
#include "onvif/onvif_config.h"

#include <cstdint>
#include <string>
#include <vector>

// Ways a device corrupts its discovery replies (bit mask).
enum MalformedReplies : unsigned {
    kMalformedNone = 0,
    kMalformedLength = 1,       // one byte too many: not a reply of the protocol
    kMalformedLowercase = 2,    // magic in lower case: still a valid reply
    kMalformedUnterminated = 4, // V3 texts fill their fields with no zero byte
};

struct FaultSettings {
    double replyLoss = 0.0; // probability that a reply is not sent
    int duplicates = 0;     // extra copies of every reply
    int delayMs = 0;        // every reply leaves this much later...
    int jitterMs = 0;       // ...plus a random 0..jitterMs
    unsigned malformed = kMalformedNone;
    bool noAck = false;     // CFG.V3 applied but never acknowledged
    bool wrongEcho = false; // CFG.V3 acknowledged with a different gateway
};

struct SimUser {
    std::string name;
    std::string password;
};

struct SimDevice {
    std::string name; // a label for messages
    DiscoveryFields fields;
    DiscoveryTexts texts;
    bool answersV1 = true;
    bool answersV3 = true;
    std::string adminPassword;
    // The SDK side's users; "admin" has adminPassword unless listed here.
    std::vector<SimUser> users;
    int rebootSeconds = 20;
    std::string sdkFaults; // free-form, read by the SDK side
    bool away = false;     // restarting (set by the SDK side): silent on UDP
    FaultSettings faults;
    OnvifConfig onvif; // the ONVIF side, when the device speaks it
};

// A device's address settings (what a network change sets), from one of
// its sides to another.
inline void CopyNetworkSettings(DiscoveryFields& to, const DiscoveryFields& from) {
    to.ip = from.ip;
    to.mask = from.mask;
    to.gateway = from.gateway;
    to.dns1 = from.dns1;
    to.dns2 = from.dns2;
    to.dhcpMode = from.dhcpMode;
}

struct Lab {
    uint64_t seed = 1;    // drives loss and jitter
    FaultSettings faults; // defaults of every device
    std::vector<SimDevice> devices;
};
