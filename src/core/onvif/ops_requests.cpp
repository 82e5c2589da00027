#include "onvif/ops_requests.h"

#include "discovery/ip_rules.h"
#include "onvif/soap.h"
#include "onvif/xml_reader.h"

#include <bit>
#include <cstdio>
#include <ctime>

namespace onvif {
namespace {

std::string Element(std::string_view name, std::string_view text) {
    return "<" + std::string(name) + ">" + Escape(text) + "</" + std::string(name) + ">";
}

const char* Flag(bool on) {
    return on ? "true" : "false";
}

bool IsDottedAddress(std::string_view text) {
    return AddressFromText(text) != kInvalidAddress;
}

std::string DateTimeElement(int64_t utcSeconds) {
    const std::time_t time = static_cast<std::time_t>(utcSeconds);
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[320];
    std::snprintf(text, sizeof text,
                  "<tds:UTCDateTime><tt:Time><tt:Hour>%d</tt:Hour><tt:Minute>%d</tt:Minute>"
                  "<tt:Second>%d</tt:Second></tt:Time><tt:Date><tt:Year>%d</tt:Year><tt:Month>%d</tt:Month>"
                  "<tt:Day>%d</tt:Day></tt:Date></tds:UTCDateTime>",
                  parts.tm_hour, parts.tm_min, parts.tm_sec, parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday);
    return text;
}

} // namespace

std::optional<int> MaskToPrefix(std::string_view mask) {
    const uint32_t value = AddressFromText(mask);
    if (value == kInvalidAddress && mask != "255.255.255.255") {
        return std::nullopt;
    }
    const int prefix = std::countl_one(value);
    if (prefix < 32 && (value << prefix) != 0) {
        return std::nullopt; // ones after the first zero
    }
    return prefix;
}

std::string SetDnsRequest(bool fromDhcp, const std::vector<std::string>& servers) {
    std::string body = std::string("<tds:SetDNS><tds:FromDHCP>") + Flag(fromDhcp) + "</tds:FromDHCP>";
    if (!fromDhcp) {
        for (const std::string& server : servers) {
            if (!server.empty()) {
                body += "<tds:DNSManual><tt:Type>IPv4</tt:Type>" + Element("tt:IPv4Address", server) +
                        "</tds:DNSManual>";
            }
        }
    }
    return body + "</tds:SetDNS>";
}

std::string SetGatewayRequest(std::string_view gateway) {
    return "<tds:SetNetworkDefaultGateway>" + Element("tds:IPv4Address", gateway) +
           "</tds:SetNetworkDefaultGateway>";
}

std::string SetInterfaceRequest(std::string_view token, bool dhcp, std::string_view address,
                                int prefixLength) {
    std::string ipv4 = "<tt:Enabled>true</tt:Enabled>";
    if (dhcp) {
        ipv4 += "<tt:DHCP>true</tt:DHCP>";
    } else {
        ipv4 += "<tt:Manual>" + Element("tt:Address", address) + "<tt:PrefixLength>" +
                std::to_string(prefixLength) + "</tt:PrefixLength></tt:Manual><tt:DHCP>false</tt:DHCP>";
    }
    return "<tds:SetNetworkInterfaces>" + Element("tds:InterfaceToken", token) +
           "<tds:NetworkInterface><tt:Enabled>true</tt:Enabled><tt:IPv4>" + ipv4 +
           "</tt:IPv4></tds:NetworkInterface></tds:SetNetworkInterfaces>";
}

std::string FactoryDefaultRequest(bool soft) {
    return std::string("<tds:SetSystemFactoryDefault><tds:FactoryDefault>") + (soft ? "Soft" : "Hard") +
           "</tds:FactoryDefault></tds:SetSystemFactoryDefault>";
}

std::string SetUserRequest(std::string_view user, std::string_view password, std::string_view level) {
    return "<tds:SetUser><tds:User>" + Element("tt:Username", user) + Element("tt:Password", password) +
           Element("tt:UserLevel", level) + "</tds:User></tds:SetUser>";
}

std::optional<std::vector<ProtocolSetting>> ParseProtocolSettings(std::string_view text) {
    const std::optional<SoapResponse> response = ParseSoapResponse(text);
    if (!response || response->fault || LocalName(response->content) != "GetNetworkProtocolsResponse") {
        return std::nullopt;
    }
    std::vector<ProtocolSetting> protocols;
    for (pugi::xml_node node = response->content.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element || LocalName(node) != "NetworkProtocols") {
            continue;
        }
        ProtocolSetting setting{Text(Child(node, "Name")), Flag(Child(node, "Enabled")), {}};
        for (pugi::xml_node port = node.first_child(); port; port = port.next_sibling()) {
            const long value = LocalName(port) == "Port" ? Number(port, 65535, 0) : 0;
            if (value > 0) {
                setting.ports.push_back(static_cast<uint16_t>(value));
            }
        }
        if (!setting.name.empty()) {
            protocols.push_back(std::move(setting));
        }
    }
    return protocols;
}

std::string SetProtocolsRequest(const std::vector<ProtocolSetting>& protocols) {
    std::string body = "<tds:SetNetworkProtocols>";
    for (const ProtocolSetting& protocol : protocols) {
        body += "<tds:NetworkProtocols>" + Element("tt:Name", protocol.name) + "<tt:Enabled>" +
                Flag(protocol.enabled) + "</tt:Enabled>";
        for (const uint16_t port : protocol.ports) {
            body += "<tt:Port>" + std::to_string(port) + "</tt:Port>";
        }
        body += "</tds:NetworkProtocols>";
    }
    return body + "</tds:SetNetworkProtocols>";
}

std::string SetDateTimeRequest(bool ntp, bool daylightSavings, std::string_view posixTz, int64_t utcSeconds) {
    std::string body = std::string("<tds:SetSystemDateAndTime><tds:DateTimeType>") +
                       (ntp ? "NTP" : "Manual") + "</tds:DateTimeType><tds:DaylightSavings>" +
                       Flag(daylightSavings) + "</tds:DaylightSavings><tds:TimeZone>" +
                       Element("tt:TZ", posixTz) + "</tds:TimeZone>";
    if (!ntp) {
        body += DateTimeElement(utcSeconds);
    }
    return body + "</tds:SetSystemDateAndTime>";
}

std::string SetNtpRequest(const std::vector<std::string>& servers) {
    std::string body = "<tds:SetNTP><tds:FromDHCP>false</tds:FromDHCP>";
    for (const std::string& server : servers) {
        if (server.empty()) {
            continue;
        }
        body += IsDottedAddress(server)
                    ? "<tds:NTPManual><tt:Type>IPv4</tt:Type>" + Element("tt:IPv4Address", server)
                    : "<tds:NTPManual><tt:Type>DNS</tt:Type>" + Element("tt:DNSname", server);
        body += "</tds:NTPManual>";
    }
    return body + "</tds:SetNTP>";
}

std::optional<bool> ParseRebootNeeded(std::string_view text) {
    const std::optional<SoapResponse> response = ParseSoapResponse(text);
    if (!response || response->fault || LocalName(response->content) != "SetNetworkInterfacesResponse") {
        return std::nullopt;
    }
    return Flag(Child(response->content, "RebootNeeded"));
}

bool IsResponse(std::string_view text, std::string_view name) {
    const std::optional<SoapResponse> response = ParseSoapResponse(text);
    return response && !response->fault && LocalName(response->content) == name;
}

} // namespace onvif
