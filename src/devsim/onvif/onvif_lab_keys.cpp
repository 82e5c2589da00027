#include "onvif/onvif_lab_keys.h"

#include "discovery/ip_rules.h"
#include "lab_file.h"
#include "net/udp_socket.h"
#include "onvif/onvif_defaults.h"

#include <cstdlib>
#include <map>
#include <sstream>
#include <type_traits>

namespace {

std::optional<int64_t> Number(const std::string& text, int64_t minimum, int64_t maximum) {
    if (text.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || value < minimum || value > maximum) {
        return std::nullopt;
    }
    return value;
}

template <typename T>
std::optional<bool> Choose(const std::map<std::string, T>& words, const std::string& value, T& field) {
    const auto it = words.find(value);
    if (it == words.end()) {
        return false;
    }
    field = it->second;
    return true;
}

const std::map<std::string, OnvifUserLevel>& Levels() {
    static const std::map<std::string, OnvifUserLevel> levels{
        {"Administrator", OnvifUserLevel::Administrator},
        {"Operator", OnvifUserLevel::Operator},
        {"User", OnvifUserLevel::User}};
    return levels;
}

const std::map<std::string, ProbeAnswers>& ProbeWords() {
    static const std::map<std::string, ProbeAnswers> words{{"both", ProbeAnswers::Both},
                                                           {"nvt", ProbeAnswers::Nvt},
                                                           {"device", ProbeAnswers::Device},
                                                           {"untyped-only", ProbeAnswers::UntypedOnly},
                                                           {"none", ProbeAnswers::None}};
    return words;
}

std::optional<bool> ApplyUser(OnvifConfig& onvif, const std::string& value) {
    // NAME:PASSWORD:LEVEL; the password may hold ':' itself.
    const std::string text = UnescapeLabValue(value);
    const auto first = text.find(':');
    const auto last = text.rfind(':');
    if (first == std::string::npos || first == 0 || last == first) {
        return false;
    }
    OnvifUser user{text.substr(0, first), text.substr(first + 1, last - first - 1), {}};
    if (!Choose(Levels(), text.substr(last + 1), user.level).value_or(false)) {
        return false;
    }
    onvif.users.push_back(std::move(user));
    return true;
}

template <typename T> std::string WordOf(const std::map<std::string, T>& words, T value) {
    for (const auto& [word, item] : words) {
        if (item == value) {
            return word;
        }
    }
    return {};
}

} // namespace

std::optional<bool> ApplyOnvifKey(SimDevice& device, const std::string& key, const std::string& value) {
    OnvifConfig& onvif = device.onvif;
    const std::map<std::string, std::string*> texts{
        {"endpoint", &onvif.endpoint},         {"xaddr", &onvif.xaddr},   {"location", &onvif.location},
        {"manufacturer", &onvif.manufacturer}, {"serial", &onvif.serial}, {"hardware-id", &onvif.hardwareId}};
    if (const auto text = texts.find(key); text != texts.end()) {
        *text->second = UnescapeLabValue(value);
        return true;
    }
    if (key == "family") {
        return Choose<LabFamily>(
            {{"native", LabFamily::Native}, {"onvif", LabFamily::Onvif}, {"both", LabFamily::Both}}, value,
            onvif.family);
    }
    if (key == "onvif-type") {
        return Choose<OnvifKind>({{"camera", OnvifKind::Camera}, {"recorder", OnvifKind::Recorder}}, value,
                                 onvif.kind);
    }
    if (key == "onvif-auth") {
        static const std::map<std::string, OnvifAuthMethods> methods{
            {"digest", {true, false}}, {"wsse", {false, true}}, {"both", {true, true}}};
        return Choose(methods, value, onvif.auth);
    }
    if (key == "onvif-probe") {
        return Choose(ProbeWords(), value, onvif.probe);
    }
    if (key == "scopes") {
        onvif.scopes.clear();
        std::istringstream items(UnescapeLabValue(value));
        for (std::string scope; items >> scope;) {
            onvif.scopes.push_back(scope);
        }
        return true;
    }
    if (key == "onvif-codec") {
        return Choose<bool>({{"h264", false}, {"h265", true}}, value, onvif.media.h265);
    }
    if (key == "onvif-user") {
        return ApplyUser(onvif, value);
    }
    const std::map<std::string, bool*> switches{{"onvif-malformed", &onvif.malformed},
                                                {"onvif-network-reboot", &onvif.networkNeedsReboot},
                                                {"onvif-fixed-users", &onvif.fixedUsers},
                                                {"onvif-multicast", &onvif.multicast},
                                                {"onvif-no-start-upgrade", &onvif.noStartFirmwareUpgrade},
                                                {"onvif-no-system-uris", &onvif.noSystemUris},
                                                {"onvif-stays-down", &onvif.staysDownAfterUpgrade},
                                                {"onvif-media1", &onvif.media.media1},
                                                {"onvif-media2", &onvif.media.media2}};
    if (const auto on = switches.find(key); on != switches.end()) {
        if (value != "on" && value != "off") {
            return false;
        }
        *on->second = value == "on";
        return true;
    }
    const auto number = [&value](int64_t minimum, int64_t maximum, auto& field) {
        const auto parsed = Number(value, minimum, maximum);
        field = static_cast<std::remove_reference_t<decltype(field)>>(parsed.value_or(0));
        return parsed.has_value();
    };
    if (key == "onvif-dhcp-lease") {
        onvif.dhcpLease = AddressFromText(value);
        return onvif.dhcpLease != kInvalidAddress && onvif.dhcpLease != 0;
    }
    if (key == "onvif-port") {
        return number(1, 0xFFFF, onvif.port);
    }
    if (key == "clock-offset-s") {
        return number(-10LL * 365 * 86400, 10LL * 365 * 86400, onvif.clockOffsetS);
    }
    if (key == "onvif-slow-ms") {
        return number(0, 60000, onvif.slowMs);
    }
    if (key == "onvif-lock-after") {
        return number(0, 100, onvif.lockAfter);
    }
    if (key == "onvif-hello-after-ms") {
        return number(0, 3600000, onvif.helloAfterMs);
    }
    if (key == "onvif-bye-after-ms") {
        return number(0, 3600000, onvif.byeAfterMs);
    }
    if (key == "onvif-reboot-ms") {
        return number(0, 600000, onvif.rebootMs);
    }
    if (key == "rtsp-port") {
        return number(1, 0xFFFF, onvif.settings.rtsp.port);
    }
    if (key == "rtsp-stop-after-ms") {
        return number(0, 3600000, onvif.media.stopAfterMs);
    }
    return std::nullopt;
}

std::string OnvifLabLines(const SimDevice& device) {
    const OnvifConfig& onvif = device.onvif;
    if (!onvif.Speaks()) {
        return {};
    }
    std::string out = std::string("family = ") + (onvif.family == LabFamily::Both ? "both" : "onvif") + "\n";
    out += std::string("onvif-type = ") + (onvif.kind == OnvifKind::Recorder ? "recorder" : "camera") + "\n";
    if (!onvif.endpoint.empty()) {
        out += "endpoint = " + EscapeLabValue(onvif.endpoint) + "\n";
    }
    if (!onvif.scopes.empty()) {
        std::string scopes;
        for (const std::string& scope : onvif.scopes) {
            scopes += (scopes.empty() ? "" : " ") + scope;
        }
        out += "scopes = " + EscapeLabValue(scopes) + "\n";
    }
    const std::pair<const char*, const std::string*> texts[] = {{"location", &onvif.location},
                                                                {"xaddr", &onvif.xaddr},
                                                                {"manufacturer", &onvif.manufacturer},
                                                                {"serial", &onvif.serial},
                                                                {"hardware-id", &onvif.hardwareId}};
    for (const auto& [key, text] : texts) {
        if (!text->empty()) {
            out += std::string(key) + " = " + EscapeLabValue(*text) + "\n";
        }
    }
    out += "onvif-port = " + std::to_string(onvif.port) + "\n";
    for (const OnvifUser& user : onvif.users) {
        out += "onvif-user = " + EscapeLabValue(user.name + ":" + user.password + ":") +
               OnvifLevelName(user.level) + "\n";
    }
    const char* auth = onvif.auth.digest ? (onvif.auth.wsse ? "both" : "digest") : "wsse";
    out += std::string("onvif-auth = ") + auth + "\n";
    out += "clock-offset-s = " + std::to_string(onvif.clockOffsetS) + "\n";
    out += "onvif-probe = " + WordOf(ProbeWords(), onvif.probe) + "\n";
    out += "onvif-slow-ms = " + std::to_string(onvif.slowMs) + "\n";
    out += std::string("onvif-malformed = ") + (onvif.malformed ? "on" : "off") + "\n";
    out += "onvif-lock-after = " + std::to_string(onvif.lockAfter) + "\n";
    out += "onvif-hello-after-ms = " + std::to_string(onvif.helloAfterMs) + "\n";
    out += "onvif-bye-after-ms = " + std::to_string(onvif.byeAfterMs) + "\n";
    out += std::string("onvif-multicast = ") + (onvif.multicast ? "on" : "off") + "\n";
    out += "onvif-reboot-ms = " + std::to_string(onvif.rebootMs) + "\n";
    if (onvif.dhcpLease != 0) {
        out += "onvif-dhcp-lease = " + net::AddressToText(onvif.dhcpLease) + "\n";
    }
    out += std::string("onvif-network-reboot = ") + (onvif.networkNeedsReboot ? "on" : "off") + "\n";
    out += std::string("onvif-fixed-users = ") + (onvif.fixedUsers ? "on" : "off") + "\n";
    out += std::string("onvif-no-start-upgrade = ") + (onvif.noStartFirmwareUpgrade ? "on" : "off") + "\n";
    out += std::string("onvif-no-system-uris = ") + (onvif.noSystemUris ? "on" : "off") + "\n";
    out += std::string("onvif-stays-down = ") + (onvif.staysDownAfterUpgrade ? "on" : "off") + "\n";
    out += std::string("onvif-codec = ") + (onvif.media.h265 ? "h265" : "h264") + "\n";
    out += std::string("onvif-media1 = ") + (onvif.media.media1 ? "on" : "off") + "\n";
    out += std::string("onvif-media2 = ") + (onvif.media.media2 ? "on" : "off") + "\n";
    out += "rtsp-port = " + std::to_string(onvif.settings.rtsp.port) + "\n";
    out += "rtsp-stop-after-ms = " + std::to_string(onvif.media.stopAfterMs) + "\n";
    return out;
}
