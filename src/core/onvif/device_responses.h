#pragma once
// The device service's requests this program sends and the parsers of their
// responses. Pure: each parser takes the response envelope's text and gives
// nullopt when it is not that response (a fault included).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace onvif {

// The request bodies (inside s:Body).
inline constexpr const char* kGetSystemDateAndTime = "<tds:GetSystemDateAndTime/>";
inline constexpr const char* kGetDeviceInformation = "<tds:GetDeviceInformation/>";
inline constexpr const char* kGetNetworkInterfaces = "<tds:GetNetworkInterfaces/>";
inline constexpr const char* kGetNetworkDefaultGateway = "<tds:GetNetworkDefaultGateway/>";
inline constexpr const char* kGetDns = "<tds:GetDNS/>";
inline constexpr const char* kGetNetworkProtocols = "<tds:GetNetworkProtocols/>";
inline constexpr const char* kGetServices =
    "<tds:GetServices><tds:IncludeCapability>false</tds:IncludeCapability></tds:GetServices>";
inline constexpr const char* kGetCapabilities =
    "<tds:GetCapabilities><tds:Category>All</tds:Category></tds:GetCapabilities>";
inline constexpr const char* kGetUsers = "<tds:GetUsers/>";

struct SystemDateAndTime {
    int64_t utcSeconds = 0; // the device's UTC clock, seconds since 1970
    std::string localTime;  // "YYYY-MM-DD hh:mm:ss", the device's local time (its UTC time when absent)
};
std::optional<SystemDateAndTime> ParseSystemDateAndTime(std::string_view response);

struct DeviceInformation {
    std::string manufacturer;
    std::string model;
    std::string firmwareVersion;
    std::string serialNumber;
    std::string hardwareId;
};
std::optional<DeviceInformation> ParseDeviceInformation(std::string_view response);

// The first enabled interface with IPv4 (else the first interface).
struct NetworkInterface {
    std::string token; // what SetNetworkInterfaces names it by
    std::string name;
    std::string mac; // "%02X-%02X-..." as the device table writes MACs; empty when unreadable
    bool dhcp = false;
    std::string address;
    int prefixLength = -1;
    std::string mask; // from the prefix length
};
std::optional<NetworkInterface> ParseNetworkInterfaces(std::string_view response);

std::optional<std::vector<std::string>> ParseDefaultGateway(std::string_view response);

struct DnsInformation {
    bool fromDhcp = false;
    std::vector<std::string> servers; // the set in use (from DHCP or manual)
};
std::optional<DnsInformation> ParseDns(std::string_view response);

struct NetworkProtocols {
    uint16_t http = 0; // 0: disabled or not listed
    uint16_t https = 0;
    uint16_t rtsp = 0;
};
std::optional<NetworkProtocols> ParseNetworkProtocols(std::string_view response);

struct ServiceAddress {
    std::string ns; // the service's namespace
    std::string xaddr;
};
std::optional<std::vector<ServiceAddress>> ParseServices(std::string_view response);
// GetCapabilities' addresses, under the namespaces GetServices would name.
std::optional<std::vector<ServiceAddress>> ParseCapabilities(std::string_view response);

struct OnvifUser {
    std::string name;
    std::string level; // "Administrator", "Operator", "User", ...
};
std::optional<std::vector<OnvifUser>> ParseUsers(std::string_view response);

// "255.255.255.0" for 24; empty outside 0..32.
std::string PrefixToMask(int prefixLength);
// "00-11-AA-..." from "00:11:aa:..." (or with dashes); empty when not a MAC.
std::string NormalizeMac(std::string_view text);

} // namespace onvif
