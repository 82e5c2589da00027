#include "onvif/device_responses.h"

#include "onvif/soap.h"
#include "onvif/xml_reader.h"

#include <array>
#include <cstdio>

namespace onvif {
namespace {

// The response element of that name, or a null node (fault, other response).
std::optional<SoapResponse> Response(std::string_view text, std::string_view name) {
    return ParseResponseNamed(text, name);
}

template <typename Visit> void ForEachChild(const pugi::xml_node& node, std::string_view name, Visit visit) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == name) {
            visit(child);
        }
    }
}

// Date and Time children of a tt:DateTime; nullopt when a field is missing
// or out of range.
std::optional<std::array<int, 6>> DateTimeFields(const pugi::xml_node& node) {
    const pugi::xml_node date = Child(node, "Date");
    const pugi::xml_node time = Child(node, "Time");
    const std::array<int, 6> fields{
        static_cast<int>(Number(Child(date, "Year"), 9999)),
        static_cast<int>(Number(Child(date, "Month"), 12)),
        static_cast<int>(Number(Child(date, "Day"), 31)),
        static_cast<int>(Number(Child(time, "Hour"), 23)),
        static_cast<int>(Number(Child(time, "Minute"), 59)),
        static_cast<int>(Number(Child(time, "Second"), 60)),
    };
    if (fields[0] < 1970 || fields[1] < 1 || fields[2] < 1 || fields[3] < 0 || fields[4] < 0 ||
        fields[5] < 0) {
        return std::nullopt;
    }
    return fields;
}

std::string FormatLocal(const std::array<int, 6>& f) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", f[0], f[1], f[2], f[3], f[4], f[5]);
    return text;
}

// The IPv4 addresses listed as <name> children of node.
std::vector<std::string> Addresses(const pugi::xml_node& node, std::string_view name) {
    std::vector<std::string> addresses;
    ForEachChild(node, name, [&](const pugi::xml_node& child) {
        std::string address = Text(Child(child, "IPv4Address"));
        if (address.empty() && LocalName(child) == "IPv4Address") {
            address = Text(child);
        }
        if (!address.empty()) {
            addresses.push_back(std::move(address));
        }
    });
    return addresses;
}

} // namespace

std::string PrefixToMask(int prefixLength) {
    if (prefixLength < 0 || prefixLength > 32) {
        return {};
    }
    const uint32_t mask = prefixLength == 0 ? 0 : 0xFFFFFFFFu << (32 - prefixLength);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", mask >> 24, (mask >> 16) & 0xFF, (mask >> 8) & 0xFF,
                  mask & 0xFF);
    return text;
}

std::string NormalizeMac(std::string_view text) {
    std::string mac;
    int digits = 0;
    for (const char c : text) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (hex) {
            if (digits > 0 && digits % 2 == 0) {
                mac += '-';
            }
            mac += static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
            ++digits;
        } else if ((c != ':' && c != '-') || digits % 2 != 0) {
            return {};
        }
    }
    return digits == 12 ? mac : std::string{};
}

std::optional<SystemDateAndTime> ParseSystemDateAndTime(std::string_view text) {
    const auto response = Response(text, "GetSystemDateAndTimeResponse");
    if (!response) {
        return std::nullopt;
    }
    const pugi::xml_node node = Child(response->content, "SystemDateAndTime");
    const auto utc = DateTimeFields(Child(node, "UTCDateTime"));
    if (!utc) {
        return std::nullopt;
    }
    SystemDateAndTime result;
    result.utcSeconds = UtcSeconds((*utc)[0], (*utc)[1], (*utc)[2], (*utc)[3], (*utc)[4], (*utc)[5]);
    const auto local = DateTimeFields(Child(node, "LocalDateTime"));
    result.localTime = FormatLocal(local ? *local : *utc);
    return result;
}

std::optional<DeviceInformation> ParseDeviceInformation(std::string_view text) {
    const auto response = Response(text, "GetDeviceInformationResponse");
    if (!response) {
        return std::nullopt;
    }
    const pugi::xml_node node = response->content;
    return DeviceInformation{Text(Child(node, "Manufacturer")), Text(Child(node, "Model")),
                             Text(Child(node, "FirmwareVersion")), Text(Child(node, "SerialNumber")),
                             Text(Child(node, "HardwareId"))};
}

std::optional<NetworkInterface> ParseNetworkInterfaces(std::string_view text) {
    const auto response = Response(text, "GetNetworkInterfacesResponse");
    if (!response) {
        return std::nullopt;
    }
    pugi::xml_node chosen;
    ForEachChild(response->content, "NetworkInterfaces", [&](const pugi::xml_node& node) {
        const bool usable = Flag(Child(node, "Enabled")) && Flag(Path(node, {"IPv4", "Enabled"}));
        if (!chosen ||
            (usable && !(Flag(Child(chosen, "Enabled")) && Flag(Path(chosen, {"IPv4", "Enabled"}))))) {
            chosen = node;
        }
    });
    if (!chosen) {
        return std::nullopt;
    }
    NetworkInterface result;
    result.token = chosen.attribute("token").value();
    result.name = Text(Path(chosen, {"Info", "Name"}));
    result.mac = NormalizeMac(Text(Path(chosen, {"Info", "HwAddress"})));
    const pugi::xml_node config = Path(chosen, {"IPv4", "Config"});
    result.dhcp = Flag(Child(config, "DHCP"));
    pugi::xml_node address = Child(config, result.dhcp ? "FromDHCP" : "Manual");
    if (!address) {
        address = Child(config, result.dhcp ? "Manual" : "FromDHCP");
    }
    result.address = Text(Child(address, "Address"));
    result.prefixLength = static_cast<int>(Number(Child(address, "PrefixLength"), 32));
    result.mask = PrefixToMask(result.prefixLength);
    return result;
}

std::optional<std::vector<std::string>> ParseDefaultGateway(std::string_view text) {
    const auto response = Response(text, "GetNetworkDefaultGatewayResponse");
    if (!response) {
        return std::nullopt;
    }
    return Addresses(Child(response->content, "NetworkGateway"), "IPv4Address");
}

std::optional<DnsInformation> ParseDns(std::string_view text) {
    const auto response = Response(text, "GetDNSResponse");
    if (!response) {
        return std::nullopt;
    }
    const pugi::xml_node node = Child(response->content, "DNSInformation");
    DnsInformation result;
    result.fromDhcp = Flag(Child(node, "FromDHCP"));
    result.servers = Addresses(node, result.fromDhcp ? "DNSFromDHCP" : "DNSManual");
    return result;
}

std::optional<NetworkProtocols> ParseNetworkProtocols(std::string_view text) {
    const auto response = Response(text, "GetNetworkProtocolsResponse");
    if (!response) {
        return std::nullopt;
    }
    NetworkProtocols result;
    ForEachChild(response->content, "NetworkProtocols", [&](const pugi::xml_node& node) {
        if (!Flag(Child(node, "Enabled"))) {
            return;
        }
        const auto port = static_cast<uint16_t>(Number(Child(node, "Port"), 65535, 0));
        const std::string name = Text(Child(node, "Name"));
        uint16_t* slot = name == "HTTP"    ? &result.http
                         : name == "HTTPS" ? &result.https
                         : name == "RTSP"  ? &result.rtsp
                                           : nullptr;
        if (slot != nullptr && *slot == 0) {
            *slot = port;
        }
    });
    return result;
}

std::optional<std::vector<ServiceAddress>> ParseServices(std::string_view text) {
    const auto response = Response(text, "GetServicesResponse");
    if (!response) {
        return std::nullopt;
    }
    std::vector<ServiceAddress> services;
    ForEachChild(response->content, "Service", [&](const pugi::xml_node& node) {
        ServiceAddress service{Text(Child(node, "Namespace")), Text(Child(node, "XAddr"))};
        if (!service.ns.empty() && !service.xaddr.empty()) {
            services.push_back(std::move(service));
        }
    });
    return services;
}

std::optional<std::vector<ServiceAddress>> ParseCapabilities(std::string_view text) {
    const auto response = Response(text, "GetCapabilitiesResponse");
    if (!response) {
        return std::nullopt;
    }
    static constexpr std::pair<const char*, const char*> kCategories[] = {
        {"Device", "http://www.onvif.org/ver10/device/wsdl"},
        {"Media", "http://www.onvif.org/ver10/media/wsdl"},
        {"Events", "http://www.onvif.org/ver10/events/wsdl"},
        {"Imaging", "http://www.onvif.org/ver20/imaging/wsdl"},
        {"PTZ", "http://www.onvif.org/ver20/ptz/wsdl"},
        {"Analytics", "http://www.onvif.org/ver20/analytics/wsdl"},
    };
    const pugi::xml_node capabilities = Child(response->content, "Capabilities");
    std::vector<ServiceAddress> services;
    for (const auto& [category, ns] : kCategories) {
        std::string xaddr = Text(Path(capabilities, {category, "XAddr"}));
        if (!xaddr.empty()) {
            services.push_back({ns, std::move(xaddr)});
        }
    }
    return services;
}

std::optional<std::vector<OnvifUser>> ParseUsers(std::string_view text) {
    const auto response = Response(text, "GetUsersResponse");
    if (!response) {
        return std::nullopt;
    }
    std::vector<OnvifUser> users;
    ForEachChild(response->content, "User", [&](const pugi::xml_node& node) {
        users.push_back({Text(Child(node, "Username")), Text(Child(node, "UserLevel"))});
    });
    return users;
}

} // namespace onvif
