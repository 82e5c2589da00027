#include "discovery/device_entry.h"

std::string DeviceKey(const DeviceEntry& entry) {
    return entry.mac.empty() ? entry.onvif.endpointReference : entry.mac;
}

bool MaySameDevice(const DeviceEntry& record, const DeviceEntry& entry) {
    return record.onvif.endpointReference.empty() || entry.onvif.endpointReference.empty() ||
           record.onvif.endpointReference == entry.onvif.endpointReference;
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
