#pragma once
// What a simulated ONVIF device's service lets a client change beyond its
// network fields: protocol ports, the clock's settings and the accounts it
// created; and what waits for the device's next restart.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct OnvifProtocol {
    bool enabled = true;
    uint16_t port = 0;
    bool operator==(const OnvifProtocol&) const = default;
};

struct OnvifSettings {
    bool httpEnabled = true; // the HTTP port itself is OnvifConfig::port
    OnvifProtocol https{false, 443};
    OnvifProtocol rtsp{true, 554};
    bool ntp = false; // DateTimeType NTP (else Manual)
    bool daylightSavings = false;
    std::string tz = "UTC0";
    std::vector<std::string> ntpServers;
    std::vector<std::string> createdUsers; // by CreateUsers: never fixed
    bool operator==(const OnvifSettings&) const = default;
};

// A network change that waits for a restart (onvif-network-reboot).
struct PendingNetwork {
    bool dhcp = false;
    uint32_t ip = 0;
    uint32_t mask = 0;
};

struct OnvifPending {
    std::optional<PendingNetwork> network;
    bool restart = false; // the device restarts once its answer is sent
};
