#include "discovery/device_entry.h"

#include <openssl/crypto.h>

std::string DeviceKey(const DeviceEntry& entry) {
    return entry.mac.empty() ? entry.onvif.endpointReference : entry.mac;
}

void MergeSupplement(DeviceTable& devices, const SupplementTable& supplement) {
    for (auto& [mac, entry] : devices) {
        const auto found = supplement.find(mac);
        if (found == supplement.end()) {
            continue;
        }
        const DeviceEntry& texts = found->second;
        entry.type = texts.type;
        entry.cloudId = texts.cloudId;
        entry.version = texts.version;
        entry.releaseTime = texts.releaseTime;
        entry.deviceTime = texts.deviceTime;
        entry.startTime = texts.startTime;
        entry.model = texts.model;
        entry.customerCode = texts.customerCode;
    }
}

void ParkLogin(DeviceEntry& entry, PendingLogoutList& pendingLogouts) {
    pendingLogouts.push_back(entry.loginHandle);
    entry.loginHandle = 0;
    entry.loggedIn = 0;
}

void EndLogins(DeviceTable& devices, PendingLogoutList& pendingLogouts,
               const std::function<void(int32_t loginHandle)>& logout) {
    for (auto& [mac, entry] : devices) {
        if (entry.loggedIn != 0) {
            logout(entry.loginHandle);
            entry.loggedIn = 0;
            entry.loginHandle = 0;
        }
        // The password a login kept ends with it.
        OPENSSL_cleanse(entry.loginPassword.data(), entry.loginPassword.size());
        entry.loginPassword.clear();
    }
    for (const int32_t handle : pendingLogouts) {
        logout(handle);
    }
    pendingLogouts.clear();
}

void EndLoginsAndClear(DeviceTable& devices, PendingLogoutList& pendingLogouts,
                       const std::function<void(int32_t loginHandle)>& logout) {
    EndLogins(devices, pendingLogouts, logout);
    devices.clear();
}
