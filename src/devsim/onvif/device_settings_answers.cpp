#include "onvif/device_settings_answers.h"

#include "discovery/ip_rules.h"
#include "onvif/onvif_auth.h"
#include "onvif/onvif_defaults.h"
#include "onvif/soap_text.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace onvifsim {

namespace {

OperationResult Done(const std::string& name, const std::string& inner = {}) {
    return {"<tds:" + name + "Response>" + inner + "</tds:" + name + "Response>"};
}

OperationResult Refuse(const char* subcode, const char* reason) {
    return {{}, "env:Sender", subcode, reason};
}

std::string TextOf(const pugi::xml_node& node, std::string_view child) {
    return ChildByLocalName(node, child).text().as_string();
}

bool FlagOf(const pugi::xml_node& node, std::string_view child) {
    const std::string text = TextOf(node, child);
    return text == "true" || text == "1";
}

// A usable unicast IPv4 address, or 0.
uint32_t AddressOf(const std::string& text) {
    const uint32_t address = AddressFromText(text);
    return address == kInvalidAddress || address == 0 ? 0 : address;
}

template <typename Visit> void EachChild(const pugi::xml_node& node, std::string_view name, Visit visit) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == name) {
            visit(child);
        }
    }
}

void ApplyNetwork(SimDevice& device, const PendingNetwork& network) {
    device.fields.dhcpMode = network.dhcp ? 1 : 2;
    if (!network.dhcp) {
        device.fields.ip = network.ip;
        device.fields.mask = network.mask;
    } else if (device.onvif.dhcpLease != 0) {
        device.fields.ip = device.onvif.dhcpLease;
    }
}

std::optional<OnvifUserLevel> LevelOf(const std::string& text) {
    static const std::map<std::string, OnvifUserLevel> levels{
        {"Administrator", OnvifUserLevel::Administrator},
        {"Operator", OnvifUserLevel::Operator},
        {"User", OnvifUserLevel::User}};
    const auto found = levels.find(text);
    return found == levels.end() ? std::nullopt : std::optional(found->second);
}

OperationResult SetDNS(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    std::vector<uint32_t> servers;
    bool bad = false;
    EachChild(request, "DNSManual", [&](const pugi::xml_node& host) {
        const uint32_t address = AddressOf(TextOf(host, "IPv4Address"));
        bad = bad || address == 0;
        servers.push_back(address);
    });
    if (bad || servers.size() > 2) {
        return Refuse("ter:InvalidIPv4Address", "Bad DNS server");
    }
    if (!FlagOf(request, "FromDHCP")) {
        state.device.fields.dns1 = servers.empty() ? 0 : servers[0];
        state.device.fields.dns2 = servers.size() < 2 ? 0 : servers[1];
    }
    return Done("SetDNS");
}

OperationResult SetNetworkDefaultGateway(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    const uint32_t gateway = AddressOf(TextOf(request, "IPv4Address"));
    if (gateway == 0) {
        return Refuse("ter:InvalidGatewayAddress", "Bad gateway");
    }
    state.device.fields.gateway = gateway;
    return Done("SetNetworkDefaultGateway");
}

OperationResult SetNetworkInterfaces(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    if (TextOf(request, "InterfaceToken") != "eth0") {
        return Refuse("ter:InvalidNetworkInterface", "No such interface");
    }
    const pugi::xml_node ipv4 = ChildByLocalName(ChildByLocalName(request, "NetworkInterface"), "IPv4");
    PendingNetwork network{FlagOf(ipv4, "DHCP"), 0, 0};
    if (!network.dhcp) {
        const pugi::xml_node manual = ChildByLocalName(ipv4, "Manual");
        const int prefix = ChildByLocalName(manual, "PrefixLength").text().as_int(-1);
        network.ip = AddressOf(TextOf(manual, "Address"));
        if (network.ip == 0 || prefix < 1 || prefix > 31) {
            return Refuse("ter:InvalidIPv4Address", "Bad address or prefix length");
        }
        network.mask = 0xFFFFFFFFu << (32 - prefix);
    }
    const bool wait = state.device.onvif.networkNeedsReboot;
    if (wait) {
        state.pending.network = network;
    } else {
        ApplyNetwork(state.device, network);
    }
    return Done("SetNetworkInterfaces",
                std::string("<tds:RebootNeeded>") + (wait ? "true" : "false") + "</tds:RebootNeeded>");
}

OperationResult SystemReboot(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    if (state.pending.network) {
        ApplyNetwork(state.device, *state.pending.network);
        state.pending.network.reset();
    }
    state.pending.restart = true;
    return Done("SystemReboot", "<tds:Message>Rebooting</tds:Message>");
}

OperationResult SetSystemFactoryDefault(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    const std::string kind = TextOf(request, "FactoryDefault");
    if (kind != "Hard" && kind != "Soft") {
        return Refuse("ter:InvalidArgVal", "FactoryDefault is Hard or Soft");
    }
    const DiscoveryFields network = state.device.fields;
    state.device = state.factory;
    if (kind == "Soft") {
        state.device.fields = network;
    }
    state.pending = {};
    state.pending.restart = true;
    return Done("SetSystemFactoryDefault");
}

OperationResult CreateUsers(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    std::vector<OnvifUser> users = OnvifUsers(state.device);
    std::vector<std::string> created;
    bool bad = false;
    EachChild(request, "User", [&](const pugi::xml_node& node) {
        const std::string name = TextOf(node, "Username");
        const auto level = LevelOf(TextOf(node, "UserLevel"));
        const bool clash =
            std::any_of(users.begin(), users.end(), [&](const OnvifUser& u) { return u.name == name; });
        bad = bad || name.empty() || !level || clash;
        if (!bad) {
            users.push_back({name, TextOf(node, "Password"), *level});
            created.push_back(name);
        }
    });
    if (bad || created.empty()) {
        return Refuse("ter:UsernameClash", "Bad or existing user");
    }
    state.device.onvif.users = std::move(users);
    auto& names = state.device.onvif.settings.createdUsers;
    names.insert(names.end(), created.begin(), created.end());
    return Done("CreateUsers");
}

OperationResult SetUser(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    std::vector<OnvifUser> users = OnvifUsers(state.device);
    const auto& created = state.device.onvif.settings.createdUsers;
    const char* refusal = nullptr;
    EachChild(request, "User", [&](const pugi::xml_node& node) {
        const std::string name = TextOf(node, "Username");
        const auto user =
            std::find_if(users.begin(), users.end(), [&](const OnvifUser& u) { return u.name == name; });
        const auto level = LevelOf(TextOf(node, "UserLevel"));
        if (user == users.end()) {
            refusal = "ter:UsernameMissing";
        } else if (state.device.onvif.fixedUsers &&
                   std::find(created.begin(), created.end(), name) == created.end()) {
            refusal = "ter:FixedUser";
        } else if (!level) {
            refusal = "ter:InvalidArgVal";
        } else if (refusal == nullptr) {
            user->level = *level;
            if (ChildByLocalName(node, "Password")) {
                user->password = TextOf(node, "Password");
            }
        }
    });
    if (refusal != nullptr) {
        return Refuse(refusal, "The user cannot be changed");
    }
    state.device.onvif.users = std::move(users);
    return Done("SetUser");
}

OperationResult SetNetworkProtocols(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    OnvifConfig changed = state.device.onvif;
    bool bad = false;
    EachChild(request, "NetworkProtocols", [&](const pugi::xml_node& node) {
        const std::string name = TextOf(node, "Name");
        const int port = ChildByLocalName(node, "Port").text().as_int(0);
        const bool enabled = FlagOf(node, "Enabled");
        bad = bad || port < 1 || port > 0xFFFF;
        if (name == "HTTP") {
            changed.port = static_cast<uint16_t>(port);
            changed.settings.httpEnabled = enabled;
        } else if (name == "HTTPS") {
            changed.settings.https = {enabled, static_cast<uint16_t>(port)};
        } else if (name == "RTSP") {
            changed.settings.rtsp = {enabled, static_cast<uint16_t>(port)};
        } else {
            bad = true;
        }
    });
    if (bad) {
        return Refuse("ter:ServiceNotSupported", "Bad protocol or port");
    }
    state.device.onvif = std::move(changed);
    return Done("SetNetworkProtocols");
}

OperationResult SetSystemDateAndTime(const pugi::xml_node& request, DeviceServiceState& state,
                                     int64_t deviceNowS) {
    const std::string type = TextOf(request, "DateTimeType");
    const std::string tz = TextOf(ChildByLocalName(request, "TimeZone"), "TZ");
    if ((type != "Manual" && type != "NTP") ||
        (!tz.empty() && tz[0] != '<' && std::isalpha(static_cast<unsigned char>(tz[0])) == 0)) {
        return Refuse(type == "Manual" || type == "NTP" ? "ter:InvalidTimeZone" : "ter:InvalidArgVal",
                      "Bad date-time type or time zone");
    }
    OnvifConfig& onvif = state.device.onvif;
    if (type == "Manual") {
        const pugi::xml_node utc = ChildByLocalName(request, "UTCDateTime");
        const pugi::xml_node date = ChildByLocalName(utc, "Date");
        const pugi::xml_node time = ChildByLocalName(utc, "Time");
        char text[32];
        std::snprintf(
            text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ",
            ChildByLocalName(date, "Year").text().as_int(), ChildByLocalName(date, "Month").text().as_int(),
            ChildByLocalName(date, "Day").text().as_int(), ChildByLocalName(time, "Hour").text().as_int(-1),
            ChildByLocalName(time, "Minute").text().as_int(),
            ChildByLocalName(time, "Second").text().as_int());
        const auto seconds = ParseUtcTime(text);
        if (!seconds || *seconds < 0) {
            return Refuse("ter:InvalidDateTime", "Bad date or time");
        }
        // The device's clock is the true time plus its offset.
        onvif.clockOffsetS = *seconds - (deviceNowS - onvif.clockOffsetS);
    }
    onvif.settings.ntp = type == "NTP";
    onvif.settings.daylightSavings = FlagOf(request, "DaylightSavings");
    if (!tz.empty()) {
        onvif.settings.tz = tz;
    }
    return Done("SetSystemDateAndTime");
}

OperationResult SetNTP(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    std::vector<std::string> servers;
    bool bad = false;
    EachChild(request, "NTPManual", [&](const pugi::xml_node& host) {
        const std::string type = TextOf(host, "Type");
        const std::string server = TextOf(host, type == "DNS" ? "DNSname" : "IPv4Address");
        bad = bad || server.empty() || (type == "IPv4" && AddressOf(server) == 0) ||
              (type != "IPv4" && type != "DNS");
        servers.push_back(server);
    });
    if (bad) {
        return Refuse("ter:InvalidIPv4Address", "Bad NTP server");
    }
    state.device.onvif.settings.ntpServers = std::move(servers);
    return Done("SetNTP");
}

OperationResult GetNTP(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    std::string servers;
    for (const std::string& server : state.device.onvif.settings.ntpServers) {
        const bool address = AddressOf(server) != 0;
        servers += std::string("<tt:NTPManual><tt:Type>") + (address ? "IPv4" : "DNS") + "</tt:Type>" +
                   (address ? "<tt:IPv4Address>" : "<tt:DNSname>") + XmlEscape(server) +
                   (address ? "</tt:IPv4Address>" : "</tt:DNSname>") + "</tt:NTPManual>";
    }
    return Done("GetNTP",
                "<tds:NTPInformation><tt:FromDHCP>false</tt:FromDHCP>" + servers + "</tds:NTPInformation>");
}

} // namespace

const Operation* FindSettingOperation(std::string_view name) {
    static const std::map<std::string_view, Operation> operations{
        {"SetDNS", {AccessClass::WriteSystem, SetDNS}},
        {"SetNetworkDefaultGateway", {AccessClass::WriteSystem, SetNetworkDefaultGateway}},
        {"SetNetworkInterfaces", {AccessClass::WriteSystem, SetNetworkInterfaces}},
        {"SetNetworkProtocols", {AccessClass::WriteSystem, SetNetworkProtocols}},
        {"SystemReboot", {AccessClass::Unrecoverable, SystemReboot}},
        {"SetSystemFactoryDefault", {AccessClass::Unrecoverable, SetSystemFactoryDefault}},
        {"CreateUsers", {AccessClass::WriteSystem, CreateUsers}},
        {"SetUser", {AccessClass::WriteSystem, SetUser}},
        {"SetSystemDateAndTime", {AccessClass::WriteSystem, SetSystemDateAndTime}},
        {"SetNTP", {AccessClass::WriteSystem, SetNTP}},
        {"GetNTP", {AccessClass::ReadSystem, GetNTP}},
    };
    const auto it = operations.find(name);
    return it == operations.end() ? nullptr : &it->second;
}

int64_t StandardOffsetOf(const std::string& tz) {
    std::size_t at = 0;
    if (!tz.empty() && tz[0] == '<') {
        at = tz.find('>');
        at = at == std::string::npos ? tz.size() : at + 1;
    }
    while (at < tz.size() && std::isalpha(static_cast<unsigned char>(tz[at])) != 0) {
        ++at;
    }
    int sign = 1;
    if (at < tz.size() && (tz[at] == '+' || tz[at] == '-')) {
        sign = tz[at] == '-' ? -1 : 1;
        ++at;
    }
    int64_t fields[3] = {0, 0, 0};
    for (int field = 0; field < 3 && at < tz.size() && std::isdigit(static_cast<unsigned char>(tz[at])) != 0;
         ++field) {
        while (at < tz.size() && std::isdigit(static_cast<unsigned char>(tz[at])) != 0 &&
               fields[field] < 1000) {
            fields[field] = fields[field] * 10 + (tz[at++] - '0');
        }
        if (at < tz.size() && tz[at] == ':') {
            ++at;
        }
    }
    if (fields[0] > 24) {
        return 0;
    }
    // POSIX counts hours west of UTC: "CET-1" is one hour east.
    return -sign * (fields[0] * 3600 + fields[1] * 60 + fields[2]);
}

} // namespace onvifsim
