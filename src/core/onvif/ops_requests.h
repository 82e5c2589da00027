#pragma once
// The device service's setting requests (network, users, protocols, clock,
// restarts) and the parsers of their responses. Pure: request builders
// escape every text they are given; parsers take the response envelope's
// text and give nullopt when it is not that response (a fault included).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace onvif {

inline constexpr const char* kSystemReboot = "<tds:SystemReboot/>";

// The prefix length of a contiguous IPv4 mask ("255.255.255.0" -> 24);
// nullopt for anything else.
std::optional<int> MaskToPrefix(std::string_view mask);

// SetDNS: manual servers (empty entries are skipped), or from DHCP.
std::string SetDnsRequest(bool fromDhcp, const std::vector<std::string>& servers);
std::string SetGatewayRequest(std::string_view gateway);
// SetNetworkInterfaces of one interface: DHCP, or the static address with
// its prefix length.
std::string SetInterfaceRequest(std::string_view token, bool dhcp, std::string_view address,
                                int prefixLength);
std::string FactoryDefaultRequest(bool soft);
std::string SetUserRequest(std::string_view user, std::string_view password, std::string_view level);

// One entry of GetNetworkProtocols, every port it lists.
struct ProtocolSetting {
    std::string name; // "HTTP", "HTTPS", "RTSP", ...
    bool enabled = false;
    std::vector<uint16_t> ports;
};
std::optional<std::vector<ProtocolSetting>> ParseProtocolSettings(std::string_view response);
std::string SetProtocolsRequest(const std::vector<ProtocolSetting>& protocols);

// SetSystemDateAndTime: Manual with the UTC time and a POSIX TZ text, or
// NTP (no time sent; the time zone still is).
std::string SetDateTimeRequest(bool ntp, bool daylightSavings, std::string_view posixTz, int64_t utcSeconds);
// SetNTP with manual servers: addresses as IPv4Address, names as DNSname.
std::string SetNtpRequest(const std::vector<std::string>& servers);

// SetNetworkInterfacesResponse's RebootNeeded.
std::optional<bool> ParseRebootNeeded(std::string_view response);
// True when the text is the (possibly empty) response of that name.
bool IsResponse(std::string_view response, std::string_view name);

} // namespace onvif
