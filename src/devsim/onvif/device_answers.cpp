#include "onvif/device_answers.h"

#include "net/udp_socket.h"
#include "onvif/device_settings_answers.h"
#include "onvif/media_answers.h"
#include "onvif/onvif_defaults.h"
#include "onvif/soap_text.h"

#include <array>
#include <bit>
#include <cstdio>
#include <ctime>
#include <map>

namespace onvifsim {

namespace {

OperationResult Answer(const std::string& name, const std::string& inner) {
    return {"<tds:" + name + "Response>" + inner + "</tds:" + name + "Response>"};
}

std::string Element(const char* name, const std::string& text) {
    return std::string("<") + name + ">" + XmlEscape(text) + "</" + name + ">";
}

std::string Flag(bool on) {
    return on ? "true" : "false";
}

std::string DateTimeParts(int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&time, &parts);
    return "<tt:Time><tt:Hour>" + std::to_string(parts.tm_hour) + "</tt:Hour><tt:Minute>" +
           std::to_string(parts.tm_min) + "</tt:Minute><tt:Second>" + std::to_string(parts.tm_sec) +
           "</tt:Second></tt:Time><tt:Date><tt:Year>" + std::to_string(parts.tm_year + 1900) +
           "</tt:Year><tt:Month>" + std::to_string(parts.tm_mon + 1) + "</tt:Month><tt:Day>" +
           std::to_string(parts.tm_mday) + "</tt:Day></tt:Date>";
}

std::string MacWithColons(const MacBytes& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3], mac[4],
                  mac[5]);
    return text;
}

OperationResult GetSystemDateAndTime(const pugi::xml_node&, DeviceServiceState& state, int64_t deviceNowS) {
    const OnvifSettings& settings = state.device.onvif.settings;
    return Answer("GetSystemDateAndTime",
                  std::string("<tds:SystemDateAndTime><tt:DateTimeType>") +
                      (settings.ntp ? "NTP" : "Manual") + "</tt:DateTimeType><tt:DaylightSavings>" +
                      Flag(settings.daylightSavings) + "</tt:DaylightSavings><tt:TimeZone>" +
                      Element("tt:TZ", settings.tz) + "</tt:TimeZone><tt:UTCDateTime>" +
                      DateTimeParts(deviceNowS) + "</tt:UTCDateTime><tt:LocalDateTime>" +
                      DateTimeParts(deviceNowS + StandardOffsetOf(settings.tz)) +
                      "</tt:LocalDateTime></tds:SystemDateAndTime>");
}

OperationResult GetDeviceInformation(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    const SimDevice& d = state.device;
    return Answer("GetDeviceInformation",
                  Element("tds:Manufacturer", OnvifManufacturer(d)) +
                      Element("tds:Model", d.texts.model.empty() ? "SIM" : d.texts.model) +
                      Element("tds:FirmwareVersion", d.texts.version) +
                      Element("tds:SerialNumber", OnvifSerial(d)) +
                      Element("tds:HardwareId", OnvifHardwareId(d)));
}

OperationResult GetNetworkInterfaces(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    const DiscoveryFields& f = state.device.fields;
    const bool dhcp = f.dhcpMode == 1;
    const std::string address = "<tt:Address>" + net::AddressToText(f.ip) + "</tt:Address><tt:PrefixLength>" +
                                std::to_string(std::popcount(f.mask)) + "</tt:PrefixLength>";
    return Answer(
        "GetNetworkInterfaces",
        "<tds:NetworkInterfaces token=\"eth0\"><tt:Enabled>true</tt:Enabled><tt:Info><tt:Name>eth0</tt:Name>"
        "<tt:HwAddress>" +
            MacWithColons(f.mac) +
            "</tt:HwAddress><tt:MTU>1500</tt:MTU></tt:Info><tt:IPv4><tt:Enabled>true</tt:Enabled>"
            "<tt:Config>" +
            (dhcp ? "<tt:FromDHCP>" + address + "</tt:FromDHCP>" : "<tt:Manual>" + address + "</tt:Manual>") +
            "<tt:DHCP>" + Flag(dhcp) + "</tt:DHCP></tt:Config></tt:IPv4></tds:NetworkInterfaces>");
}

OperationResult GetNetworkDefaultGateway(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    return Answer("GetNetworkDefaultGateway", "<tds:NetworkGateway><tt:IPv4Address>" +
                                                  net::AddressToText(state.device.fields.gateway) +
                                                  "</tt:IPv4Address></tds:NetworkGateway>");
}

OperationResult GetDNS(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    std::string servers;
    for (const uint32_t server : {state.device.fields.dns1, state.device.fields.dns2}) {
        if (server != 0) {
            servers += "<tt:DNSManual><tt:Type>IPv4</tt:Type><tt:IPv4Address>" + net::AddressToText(server) +
                       "</tt:IPv4Address></tt:DNSManual>";
        }
    }
    return Answer("GetDNS", "<tds:DNSInformation><tt:FromDHCP>" + Flag(state.device.fields.dhcpMode == 1) +
                                "</tt:FromDHCP>" + servers + "</tds:DNSInformation>");
}

OperationResult GetNetworkProtocols(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    std::string protocols;
    const OnvifConfig& onvif = state.device.onvif;
    const std::array<std::tuple<const char*, bool, unsigned>, 3> list{
        {{"HTTP", onvif.settings.httpEnabled, onvif.port},
         {"HTTPS", onvif.settings.https.enabled, onvif.settings.https.port},
         {"RTSP", onvif.settings.rtsp.enabled, onvif.settings.rtsp.port}}};
    for (const auto& [name, enabled, port] : list) {
        protocols += std::string("<tds:NetworkProtocols><tt:Name>") + name + "</tt:Name><tt:Enabled>" +
                     Flag(enabled) + "</tt:Enabled><tt:Port>" + std::to_string(port) +
                     "</tt:Port></tds:NetworkProtocols>";
    }
    return Answer("GetNetworkProtocols", protocols);
}

std::string DeviceServiceCapabilities() {
    return "<tds:Network IPFilter=\"false\" ZeroConfiguration=\"false\" IPVersion6=\"false\" "
           "DynDNS=\"false\"/>"
           "<tds:Security UsernameToken=\"true\" HttpDigest=\"true\"/>"
           "<tds:System DiscoveryResolve=\"false\" DiscoveryBye=\"true\" RemoteDiscovery=\"false\""
           " SystemBackup=\"false\" SystemLogging=\"false\" FirmwareUpgrade=\"false\"/>";
}

OperationResult GetServices(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    const std::string capability = ChildByLocalName(request, "IncludeCapability").text().as_string();
    std::string capabilities;
    if (capability == "true" || capability == "1") {
        capabilities = "<tds:Capabilities><tds:Capabilities>" + DeviceServiceCapabilities() +
                       "</tds:Capabilities></tds:Capabilities>";
    }
    return Answer("GetServices",
                  "<tds:Service><tds:Namespace>" + std::string(kDeviceNs) + "</tds:Namespace><tds:XAddr>" +
                      XmlEscape(OnvifServiceUrl(state.device)) + "</tds:XAddr>" + capabilities +
                      "<tds:Version><tt:Major>2</tt:Major><tt:Minor>60</tt:Minor></tds:Version>"
                      "</tds:Service>" +
                      MediaServicesEntries(state.device, !capabilities.empty()));
}

OperationResult GetServiceCapabilities(const pugi::xml_node&, DeviceServiceState&, int64_t) {
    return Answer("GetServiceCapabilities",
                  "<tds:Capabilities>" + DeviceServiceCapabilities() + "</tds:Capabilities>");
}

OperationResult GetCapabilities(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    // The device service and Media1 live here: any other category is not
    // offered. No category asks for all.
    const std::string media = MediaCapabilitiesEntry(state.device);
    bool named = false;
    bool device = false;
    bool withMedia = false;
    for (pugi::xml_node category = ChildByLocalName(request, "Category"); category;
         category = category.next_sibling()) {
        if (LocalName(category) != "Category") {
            continue;
        }
        const std::string name = category.text().as_string();
        if (name != "All" && name != "Device" && (name != "Media" || media.empty())) {
            return {{}, "env:Receiver", "ter:ActionNotSupported", "No such service"};
        }
        named = true;
        device = device || name != "Media";
        withMedia = withMedia || name != "Device";
    }
    device = device || !named;
    withMedia = withMedia || !named;
    if (!device) {
        return Answer("GetCapabilities", "<tds:Capabilities>" + media + "</tds:Capabilities>");
    }
    return Answer(
        "GetCapabilities",
        "<tds:Capabilities><tt:Device><tt:XAddr>" + XmlEscape(OnvifServiceUrl(state.device)) +
            "</tt:XAddr><tt:Network><tt:IPFilter>false</tt:IPFilter><tt:ZeroConfiguration>false"
            "</tt:ZeroConfiguration><tt:IPVersion6>false</tt:IPVersion6><tt:DynDNS>false</tt:DynDNS>"
            "</tt:Network><tt:System><tt:DiscoveryResolve>false</tt:DiscoveryResolve><tt:DiscoveryBye>true"
            "</tt:DiscoveryBye><tt:RemoteDiscovery>false</tt:RemoteDiscovery><tt:SystemBackup>false"
            "</tt:SystemBackup><tt:SystemLogging>false</tt:SystemLogging><tt:FirmwareUpgrade>false"
            "</tt:FirmwareUpgrade><tt:SupportedVersions><tt:Major>2</tt:Major><tt:Minor>60</tt:Minor>"
            "</tt:SupportedVersions></tt:System><tt:Security><tt:TLS1.1>false</tt:TLS1.1><tt:TLS1.2>false"
            "</tt:TLS1.2><tt:OnboardKeyGeneration>false</tt:OnboardKeyGeneration><tt:AccessPolicyConfig>"
            "false</tt:AccessPolicyConfig><tt:X.509Token>false</tt:X.509Token><tt:SAMLToken>false"
            "</tt:SAMLToken><tt:KerberosToken>false</tt:KerberosToken><tt:RELToken>false</tt:RELToken>"
            "</tt:Security></tt:Device>" +
            (withMedia ? media : "") + "</tds:Capabilities>");
}

OperationResult GetUsers(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    std::string users;
    for (const OnvifUser& user : OnvifUsers(state.device)) {
        // Never the password.
        users += "<tds:User>" + Element("tt:Username", user.name) + "<tt:UserLevel>" +
                 OnvifLevelName(user.level) + "</tt:UserLevel></tds:User>";
    }
    return Answer("GetUsers", users);
}

OperationResult GetScopes(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    std::string scopes;
    for (const std::string& scope : OnvifScopes(state.device)) {
        scopes +=
            "<tds:Scopes><tt:ScopeDef>Fixed</tt:ScopeDef>" + Element("tt:ScopeItem", scope) + "</tds:Scopes>";
    }
    return Answer("GetScopes", scopes);
}

OperationResult GetHostname(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    return Answer("GetHostname", "<tds:HostnameInformation><tt:FromDHCP>false</tt:FromDHCP>" +
                                     Element("tt:Name", OnvifHostname(state.device)) +
                                     "</tds:HostnameInformation>");
}

} // namespace

const Operation* FindOperation(std::string_view name) {
    static const std::map<std::string_view, Operation> operations{
        {"GetSystemDateAndTime", {AccessClass::PreAuth, GetSystemDateAndTime}},
        {"GetServices", {AccessClass::PreAuth, GetServices}},
        {"GetServiceCapabilities", {AccessClass::PreAuth, GetServiceCapabilities}},
        {"GetCapabilities", {AccessClass::PreAuth, GetCapabilities}},
        {"GetHostname", {AccessClass::PreAuth, GetHostname}},
        {"GetDeviceInformation", {AccessClass::ReadSystem, GetDeviceInformation}},
        {"GetNetworkInterfaces", {AccessClass::ReadSystem, GetNetworkInterfaces}},
        {"GetNetworkDefaultGateway", {AccessClass::ReadSystem, GetNetworkDefaultGateway}},
        {"GetDNS", {AccessClass::ReadSystem, GetDNS}},
        {"GetNetworkProtocols", {AccessClass::ReadSystem, GetNetworkProtocols}},
        {"GetScopes", {AccessClass::ReadSystem, GetScopes}},
        {"GetUsers", {AccessClass::ReadSystemSecret, GetUsers}},
    };
    const auto it = operations.find(name);
    return it == operations.end() ? FindSettingOperation(name) : &it->second;
}

bool LevelMayUse(OnvifUserLevel level, AccessClass access) {
    switch (level) {
    case OnvifUserLevel::Administrator:
        return true;
    case OnvifUserLevel::Operator:
        return access == AccessClass::PreAuth || access == AccessClass::ReadSystem ||
               access == AccessClass::ReadSystemSensitive;
    case OnvifUserLevel::User:
        break;
    }
    return access == AccessClass::PreAuth || access == AccessClass::ReadSystem;
}

} // namespace onvifsim
