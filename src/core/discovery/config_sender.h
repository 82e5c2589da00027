#pragma once
// Changes one device's network settings without a login: CFG.V3 (address,
// gateway, mask, DNS, DHCP; password-guarded and acknowledged) for devices
// with capability bit 3, CFG.V2 (address, gateway, mask; not acknowledged)
// for the others. Each call sets up its own socket pair and closes it.
#include "platform/clock.h"
#include "discovery/device_entry.h"
#include "discovery/socket_pair.h"

#include <cstdint>

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
    Clock* clock = nullptr; // nullptr: the steady clock
};

// entry: the target's mac and the new ip, gateway, mask (CFG.V3 also dns1,
// dns2, dhcpMode and the administrator password in loginPassword).
int SendNetworkConfigV2(const DeviceEntry& entry, const ConfigSenderOptions& options = {});
int SendNetworkConfigV3(const DeviceEntry& entry, const ConfigSenderOptions& options = {});
// The exchange the device's capabilities call for.
int SendNetworkConfig(const DeviceEntry& entry, const ConfigSenderOptions& options = {});

// After a successful change: the entry takes the new values (dns and DHCP
// only for CFG.V3) and gives up its login.
void ApplyNetworkChange(DeviceEntry& target, const DeviceEntry& changed, bool viaConfigV3,
                        PendingLogoutList& pendingLogouts);
