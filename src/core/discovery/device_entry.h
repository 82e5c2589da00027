#pragma once
// The record of one device found on the network, and the tables that hold
// such records. Texts are the bytes exactly as the device sent them.
#include "discovery/device_operations.h"
#include "discovery/onvif_facts.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Shown in the V3 columns of a device that answered only the V1 search.
inline constexpr const char* kNoTextPlaceholder = "-- --";

struct DeviceEntry {
    std::string mac; // "%02X-%02X-%02X-%02X-%02X-%02X": the device's identity
    std::string ip;
    std::string gateway;
    std::string mask;
    std::string dns1;
    std::string dns2;
    uint16_t tcpPort = 0; // SDK (media) port
    uint16_t webPort = 0;
    uint16_t onvifPort = 0; // webPort when ONVIF is available, else 0
    uint8_t dhcpMode = 0;   // 1 DHCP, 2 static
    uint8_t onvifAvailable = 0;
    std::string type = kNoTextPlaceholder;
    std::string model = kNoTextPlaceholder;
    std::string cloudId = kNoTextPlaceholder;
    std::string deviceTime = kNoTextPlaceholder;
    std::string version = kNoTextPlaceholder;
    std::string releaseTime = kNoTextPlaceholder;
    std::string startTime = kNoTextPlaceholder;
    std::string customerCode;
    uint8_t processed = 0;
    uint8_t capabilities = 0; // bit 0: model may change; bit 3: accepts CFG.V3
    OperationSet operations;  // what the families that found the device can do with it
    DeviceFamilies families;  // the families that found it
    OnvifFacts onvif;         // empty unless the ONVIF family found it
    // Where the reply that made the record came in: the interface's name and
    // this computer's address on it ("a.b.c.d"); empty when unknown (a
    // device asked by address, a platform that does not tell).
    std::string interfaceName;
    std::string localAddress;
    // Further addresses the same MAC answered from in the search, in the
    // order heard; the record keeps the first reply's.
    std::vector<std::string> otherAddresses;

    bool AcceptsConfigV3() const { return (capabilities & 0x08) != 0; }
};

// Keyed by the mac text, in byte-wise key order; at most one entry per MAC.
// A device only the ONVIF family found has no MAC until a login reads it: it
// is keyed by its endpoint reference ("urn:uuid:..." and the like, never a
// MAC text), and its mac field stays empty.
using DeviceTable = std::map<std::string, DeviceEntry>;
// The key of an entry in a device table: its MAC, or its endpoint reference
// while the MAC is unknown.
std::string DeviceKey(const DeviceEntry& entry);

// Whether a record without MAC and a record at the same address may be one
// device: not when both carry ONVIF endpoint references and they differ
// (two devices sharing an address).
bool MaySameDevice(const DeviceEntry& record, const DeviceEntry& entry);

// Filled from V3 replies during a search, only to supplement the device table.
using SupplementTable = std::map<std::string, DeviceEntry>;
// Copies the eight V3 texts of each supplement entry into the device-table
// entry of the same MAC. Devices that answered only V3 are not added.
void MergeSupplement(DeviceTable& devices, const SupplementTable& supplement);
