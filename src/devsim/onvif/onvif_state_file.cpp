#include "onvif/onvif_state_file.h"

#include "discovery/ip_rules.h"
#include "lab_file.h"
#include "net/udp_socket.h"
#include "onvif/onvif_defaults.h"
#include "onvif/onvif_lab_keys.h"

#include <cstdlib>
#include <map>
#include <sstream>

namespace onvifsim {

namespace {

std::string Protocol(const OnvifProtocol& protocol) {
    return std::string(protocol.enabled ? "on:" : "off:") + std::to_string(protocol.port);
}

bool ReadProtocol(const std::string& value, OnvifProtocol& protocol) {
    const auto colon = value.find(':');
    const int port = colon == std::string::npos ? 0 : std::atoi(value.c_str() + colon + 1);
    if (port < 1 || port > 0xFFFF) {
        return false;
    }
    protocol = {value.compare(0, colon, "on") == 0, static_cast<uint16_t>(port)};
    return true;
}

bool ReadAddress(const std::string& value, uint32_t& field) {
    const uint32_t address = AddressFromText(value);
    if (address == kInvalidAddress) {
        return false;
    }
    field = address;
    return true;
}

// One saved value into the device; false when it cannot be read.
bool Apply(SimDevice& device, const std::string& key, const std::string& value) {
    DiscoveryFields& f = device.fields;
    OnvifSettings& s = device.onvif.settings;
    const std::map<std::string, uint32_t*> addresses{
        {"ip", &f.ip}, {"mask", &f.mask}, {"gateway", &f.gateway}, {"dns1", &f.dns1}, {"dns2", &f.dns2}};
    if (const auto address = addresses.find(key); address != addresses.end()) {
        return ReadAddress(value, *address->second);
    }
    if (key == "dhcp") {
        f.dhcpMode = value == "on" ? 1 : 2;
    } else if (key == "http") {
        s.httpEnabled = value == "on";
    } else if (key == "https") {
        return ReadProtocol(value, s.https);
    } else if (key == "rtsp") {
        return ReadProtocol(value, s.rtsp);
    } else if (key == "time-type") {
        s.ntp = value == "ntp";
    } else if (key == "daylight") {
        s.daylightSavings = value == "on";
    } else if (key == "tz") {
        s.tz = UnescapeLabValue(value);
    } else if (key == "ntp") {
        s.ntpServers.push_back(UnescapeLabValue(value));
    } else if (key == "created-user") {
        s.createdUsers.push_back(UnescapeLabValue(value));
    } else if (key == "version") {
        device.texts.version = UnescapeLabValue(value);
    } else {
        return ApplyOnvifKey(device, key, value).value_or(false);
    }
    return true;
}

} // namespace

std::string OnvifStateLines(const SimDevice& device) {
    const DiscoveryFields& f = device.fields;
    const OnvifConfig& onvif = device.onvif;
    std::string out;
    const auto line = [&out](const std::string& key, const std::string& value) {
        out += key + "|" + value + "\n";
    };
    line("ip", net::AddressToText(f.ip));
    line("mask", net::AddressToText(f.mask));
    line("gateway", net::AddressToText(f.gateway));
    line("dns1", net::AddressToText(f.dns1));
    line("dns2", net::AddressToText(f.dns2));
    line("dhcp", f.dhcpMode == 1 ? "on" : "off");
    line("onvif-port", std::to_string(onvif.port));
    line("http", onvif.settings.httpEnabled ? "on" : "off");
    line("https", Protocol(onvif.settings.https));
    line("rtsp", Protocol(onvif.settings.rtsp));
    for (const OnvifUser& user : OnvifUsers(device)) {
        line("onvif-user",
             EscapeLabValue(user.name + ":" + user.password + ":") + OnvifLevelName(user.level));
    }
    for (const std::string& name : onvif.settings.createdUsers) {
        line("created-user", EscapeLabValue(name));
    }
    line("clock-offset-s", std::to_string(onvif.clockOffsetS));
    line("time-type", onvif.settings.ntp ? "ntp" : "manual");
    line("daylight", onvif.settings.daylightSavings ? "on" : "off");
    line("tz", EscapeLabValue(onvif.settings.tz));
    for (const std::string& server : onvif.settings.ntpServers) {
        line("ntp", EscapeLabValue(server));
    }
    line("version", EscapeLabValue(device.texts.version));
    line("location", EscapeLabValue(onvif.location));
    return out;
}

std::string WriteOnvifState(const std::vector<SimDevice>& devices) {
    std::string out;
    for (const SimDevice& device : devices) {
        if (!device.onvif.Speaks()) {
            continue;
        }
        std::istringstream lines(OnvifStateLines(device));
        for (std::string line; std::getline(lines, line);) {
            out += MacToText(device.fields.mac) + "|" + line + "\n";
        }
    }
    return out;
}

void ApplyOnvifState(std::vector<SimDevice>& devices, const std::string& text) {
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> saved;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const auto first = line.find('|');
        const auto second = first == std::string::npos ? first : line.find('|', first + 1);
        if (second != std::string::npos) {
            saved[line.substr(0, first)].emplace_back(line.substr(first + 1, second - first - 1),
                                                      line.substr(second + 1));
        }
    }
    for (SimDevice& device : devices) {
        const auto found = saved.find(MacToText(device.fields.mac));
        if (!device.onvif.Speaks() || found == saved.end()) {
            continue;
        }
        // Lists are replaced, not added to.
        SimDevice restored = device;
        restored.onvif.users.clear();
        restored.onvif.settings.ntpServers.clear();
        restored.onvif.settings.createdUsers.clear();
        for (const auto& [key, value] : found->second) {
            Apply(restored, key, value);
        }
        if (restored.onvif.users.empty()) {
            restored.onvif.users = device.onvif.users;
        }
        device = std::move(restored);
    }
}

} // namespace onvifsim
