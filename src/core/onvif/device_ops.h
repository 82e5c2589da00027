#pragma once
// What an installer changes on an ONVIF device: its network settings, a
// restart or factory default, the login's password, the protocol ports and
// the clock. Each operation is a short sequence of authenticated calls
// (device_call.h); the first refusal ends it, so a wrong password costs at
// most two attempts however many calls the operation has.
#include "discovery/device_operations.h"
#include "onvif/device_call.h"
#include "onvif/device_info.h"

#include <cstdint>
#include <string>
#include <vector>

namespace onvif {

enum class OpsOutcome : uint8_t {
    Ok,
    WrongPassword, // the device refused the login
    Locked,        // the account or address is locked
    NotAllowed,    // the device refused the step (a fault: rights, a fixed account, a bad value)
    Unreachable,
    Timeout,
    Failed, // an answer that is no answer to the request
};

// The language key shown for an outcome ("" for Ok).
const char* OpsOutcomeKey(OpsOutcome outcome);

// What a login may do with an ONVIF device, from what it read: the device
// service's settings, and the network change when the device reported its
// interface (GetNetworkInterfaces gave the token SetNetworkInterfaces needs).
OperationSet LoginOperations(const OnvifDeviceInfo& info);

// Everything an operation needs to reach the device and log in.
struct OnvifSession {
    SoapTransport& transport;
    AuthMemory& memory;
    const DeviceTarget& target;
    const OnvifCredentials& credentials;
    int64_t nowUtcSeconds; // this computer's clock
};

struct NetworkChange {
    bool dhcp = false;
    std::string ip; // dotted; with mask required unless dhcp
    std::string mask;
    std::string gateway; // empty: left as it is
    std::string dns1;    // both empty: left as they are
    std::string dns2;
};

struct NetworkChangeResult {
    OpsOutcome outcome = OpsOutcome::Failed;
    bool rebooted = false; // the device needed a restart for the change and was told to
    // SetNetworkInterfaces went out and was not refused: the device may be
    // at its new address even when no answer came (some switch at once).
    bool mayHaveMoved = false;
};

// SetDNS, SetNetworkDefaultGateway, then SetNetworkInterfaces on the
// interface GetNetworkInterfaces names; SystemReboot when the device answers
// RebootNeeded. A mask that is not contiguous or a missing address is
// refused (NotAllowed) before anything is sent.
NetworkChangeResult ChangeOnvifNetwork(const OnvifSession& session, const NetworkChange& change);

OpsOutcome RebootOnvif(const OnvifSession& session);
// Hard, or Soft to keep the network settings.
OpsOutcome FactoryDefaultOnvif(const OnvifSession& session, bool keepNetwork);

// The login's user gets newPassword, keeping its user level. The session's
// credentials carry the old password. As DeviceLink::ChangePassword: 1
// changed, -1 the old password is wrong, 0 refused.
int ChangeOnvifPassword(const OnvifSession& session, const std::string& newPassword);

// Ports to set; 0 keeps a protocol's port. Each protocol keeps its
// Enabled and the other ports it listed.
struct OnvifPorts {
    uint16_t http = 0;
    uint16_t https = 0;
    uint16_t rtsp = 0;
};
OpsOutcome ChangeOnvifPorts(const OnvifSession& session, const OnvifPorts& ports);

struct TimeChange {
    bool useNtp = false;
    std::vector<std::string> ntpServers; // addresses or names, with useNtp
};
// Manual: this computer's UTC time and time zone; NTP: SetNTP with the
// servers, then the NTP date-time type (with this computer's time zone).
OpsOutcome SetOnvifTime(const OnvifSession& session, const TimeChange& change);

// This computer's time zone as a POSIX TZ text ("CET-1CEST,M3.5.0,M10.5.0/3"),
// from the C library's zone rules; "UTC0" when they cannot be read.
std::string PosixTimeZoneNow();

} // namespace onvif
