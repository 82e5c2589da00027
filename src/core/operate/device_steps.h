#pragma once
// The per-device steps of the password, port and model changes over the SDK
// data blocks (user table, blocks 81, 155 and 191).
#include "discovery/device_entry.h"
#include "operate/device_login.h"
#include "operate/sdk_calls.h"

#include <cstdint>
#include <string>

struct PortTriple {
    int32_t http = 80; // also the ONVIF port
    int32_t tcp = 34567;
    int32_t rtsp = 554; // low 16 bits are sent
};

// Result of ModifyUser (1 = changed, -1 = the old password is wrong); 0 when
// the user table cannot be read or holds no record of the login user.
// The login's user is the one whose password changes.
int ChangePassword(const DeviceLogin& login, const std::string& oldPassword, const std::string& newPassword,
                   const SdkCalls& sdk = RealSdk());

struct PortChangeResult {
    // -1 nothing written; 1 both blocks; 2 only the port block; 3 only RTSP.
    int written = -1;
    bool restarted = false; // the device accepted the restart
};
// Writes both blocks and restarts the device when anything was written. The
// record's ports change only when the port block was written and the device
// restarted, because only then does the device use them.
PortChangeResult ChangePorts(DeviceEntry& entry, const DeviceLogin& login, const PortTriple& ports,
                             const SdkCalls& sdk = RealSdk());

// Writes the model block and reads it back. 1 when the device holds the new
// model (the record's model then changes), else 0.
int ChangeModel(DeviceEntry& entry, const DeviceLogin& login, const std::string& newModel,
                const SdkCalls& sdk = RealSdk());
