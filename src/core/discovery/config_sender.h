#pragma once
// Changes one device's network settings without a login: CFG.V3 (address,
// gateway, mask, DNS, DHCP; password-guarded and acknowledged) for devices
// with capability bit 3, CFG.V2 (address, gateway, mask; not acknowledged)
// for the others. Each call sets up its own socket pair and closes it. The
// broadcasts leave out of the interface the device was found on while that
// interface is up, so a device on a second network is reached there and not
// where the routing table points.
#include "discovery/device_entry.h"
#include "discovery/socket_pair.h"
#include "platform/clock.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Result codes: 1 done; -1 failed (sockets, no answer, refused, not
// confirmed); -3 CFG.V3 not answered; -8 the first datagram was not sent.
inline constexpr int kConfigSuccess = 1;
inline constexpr int kConfigFailed = -1;
inline constexpr int kConfigTimeout = -3;

struct ConfigSenderOptions {
    DiscoveryEndpoints endpoints;
    int64_t waitMs = 3000;  // how long the probe or the acknowledgement is awaited
    int64_t resendMs = 500; // CFG.V2: the V1 probe is repeated once more than this has passed
    int64_t pauseMs = 50;
    net::DatagramSocketFactory socketFactory = net::CreateUdpSocket;
    // This computer's interfaces (null: the broadcasts go where the routing
    // table sends them).
    std::function<std::vector<net::InterfaceAddress>()> localInterfaces = net::LocalInterfaces;
    Clock* clock = nullptr; // nullptr: the steady clock
};

// entry: the target's mac and the new ip, gateway, mask (CFG.V3 also dns1,
// dns2 and dhcpMode); CFG.V3 is guarded by the administrator password.
int SendNetworkConfigV2(const DeviceEntry& entry, const ConfigSenderOptions& options = {});
int SendNetworkConfigV3(const DeviceEntry& entry, const std::string& adminPassword,
                        const ConfigSenderOptions& options = {});
// The exchange the device's capabilities call for.
int SendNetworkConfig(const DeviceEntry& entry, const std::string& adminPassword,
                      const ConfigSenderOptions& options = {});

// After a successful change: the entry takes the new values (dns and DHCP
// only for CFG.V3). The caller ends the device's login (the device moved).
void ApplyNetworkChange(DeviceEntry& target, const DeviceEntry& changed, bool viaConfigV3);
