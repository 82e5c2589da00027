#pragma once
// What can be done with a device, as its device family says: the menu
// items, panels and batch operations that apply to its record. A device
// found by several families holds the union of theirs.
#include <cstdint>
#include <initializer_list>

enum class DeviceOperation : uint32_t {
    Login = 1u << 0,
    Reboot = 1u << 1,
    FactoryDefault = 1u << 2,
    Password = 1u << 3,
    Ports = 1u << 4,
    Network = 1u << 5,
    Upgrade = 1u << 6,
    ConfigExport = 1u << 7,
    ConfigImport = 1u << 8,
    ModelChange = 1u << 9,
    Preview = 1u << 10,
    WebPage = 1u << 11,
    Time = 1u << 12,      // the device clock, from this computer or NTP servers
    DataPort = 1u << 13,  // a TCP port of the native protocol beside HTTP and RTSP
    SoftReset = 1u << 14, // factory default that keeps the network settings
};

class OperationSet {
public:
    constexpr OperationSet() = default;
    constexpr OperationSet(std::initializer_list<DeviceOperation> operations) {
        for (const DeviceOperation operation : operations) {
            m_bits |= static_cast<uint32_t>(operation);
        }
    }

    constexpr bool Has(DeviceOperation operation) const {
        return (m_bits & static_cast<uint32_t>(operation)) != 0;
    }
    constexpr bool Empty() const { return m_bits == 0; }
    constexpr OperationSet& operator|=(OperationSet other) {
        m_bits |= other.m_bits;
        return *this;
    }
    constexpr bool operator==(const OperationSet&) const = default;

private:
    uint32_t m_bits = 0;
};

// The device families that found a device: one record may have both.
enum class DeviceFamily : uint8_t {
    Native = 1u << 0,
    Onvif = 1u << 1,
};

class DeviceFamilies {
public:
    constexpr DeviceFamilies() = default;
    constexpr DeviceFamilies(std::initializer_list<DeviceFamily> families) {
        for (const DeviceFamily family : families) {
            m_bits |= static_cast<uint8_t>(family);
        }
    }

    constexpr bool Has(DeviceFamily family) const { return (m_bits & static_cast<uint8_t>(family)) != 0; }
    constexpr bool Empty() const { return m_bits == 0; }
    constexpr uint8_t Bits() const { return m_bits; }
    constexpr DeviceFamilies& operator|=(DeviceFamilies other) {
        m_bits |= other.m_bits;
        return *this;
    }
    constexpr bool operator==(const DeviceFamilies&) const = default;

private:
    uint8_t m_bits = 0;
};

// The native family: everything but the reset that keeps the network
// settings (its reset is always complete), the model change where the device's
// capability byte allows it (bit 0).
OperationSet NativeOperations(uint8_t capabilityByte);

// The ONVIF family before a login: what every device service offers (the
// login, reboot, factory default with or without the network settings,
// password, ports, clock, firmware upgrade,
// configuration export and import). A login reads what the device itself
// lists.
OperationSet OnvifOperations();
