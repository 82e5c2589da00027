#include "onvif/onvif_defaults.h"

#include "discovery/datagrams.h"
#include "net/udp_socket.h"

#include <cctype>
#include <cstdio>

namespace {

const char* kScopeRoot = "onvif://www.onvif.org/";

} // namespace

std::string ScopeSegment(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '-' || c == '_' || c == '.' || c == '~') {
            out += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            out += escaped;
        }
    }
    return out;
}

std::string OnvifEndpoint(const SimDevice& device) {
    if (!device.onvif.endpoint.empty()) {
        return device.onvif.endpoint;
    }
    // Stable across runs: the MAC is the last group of the UUID.
    return "urn:uuid:c0a7e000-0000-4000-8000-" + MacToPlainText(device.fields.mac);
}

std::vector<std::string> OnvifScopes(const SimDevice& device) {
    if (!device.onvif.scopes.empty()) {
        return device.onvif.scopes;
    }
    std::vector<std::string> scopes;
    const std::string root = kScopeRoot;
    if (device.onvif.kind == OnvifKind::Recorder) {
        scopes.push_back(root + "type/Recorder");
    } else {
        scopes.push_back(root + "type/video_encoder");
    }
    scopes.push_back(root + "type/NetworkVideoTransmitter");
    scopes.push_back(root + "name/" + ScopeSegment(device.name));
    scopes.push_back(root + "hardware/" + ScopeSegment(OnvifHardwareId(device)));
    scopes.push_back(root + "location/" +
                     ScopeSegment(device.onvif.location.empty() ? "lab" : device.onvif.location));
    scopes.push_back(root + "Profile/Streaming");
    return scopes;
}

std::vector<std::string> OnvifTypes(const SimDevice& device) {
    std::vector<std::string> types{"dn:NetworkVideoTransmitter"};
    if (device.onvif.kind == OnvifKind::Recorder || device.onvif.probe == ProbeAnswers::Device) {
        types.push_back("tds:Device");
    }
    if (device.onvif.probe == ProbeAnswers::Device) {
        types.erase(types.begin());
    }
    return types;
}

std::string OnvifHttpUrl(const SimDevice& device, std::string_view path) {
    std::string url = "http://" + net::AddressToText(device.fields.ip);
    if (device.onvif.port != 80) {
        url += ":" + std::to_string(device.onvif.port);
    }
    return url.append(path);
}

std::string OnvifServiceUrl(const SimDevice& device) {
    return OnvifHttpUrl(device, "/onvif/device_service");
}

std::string OnvifXAddrs(const SimDevice& device) {
    return device.onvif.xaddr.empty() ? OnvifServiceUrl(device) : device.onvif.xaddr;
}

std::vector<OnvifUser> OnvifUsers(const SimDevice& device) {
    if (!device.onvif.users.empty()) {
        return device.onvif.users;
    }
    return {{"admin", device.adminPassword, OnvifUserLevel::Administrator}};
}

std::string OnvifManufacturer(const SimDevice& device) {
    return device.onvif.manufacturer.empty() ? "Corvane Lab" : device.onvif.manufacturer;
}

std::string OnvifSerial(const SimDevice& device) {
    return device.onvif.serial.empty() ? "SN" + MacToPlainText(device.fields.mac) : device.onvif.serial;
}

std::string OnvifHardwareId(const SimDevice& device) {
    if (!device.onvif.hardwareId.empty()) {
        return device.onvif.hardwareId;
    }
    return device.texts.model.empty() ? "SIM" : device.texts.model;
}

std::string OnvifHostname(const SimDevice& device) {
    std::string name;
    for (const char c : device.name) {
        name += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '-';
    }
    return name.empty() ? "device" : name;
}

const char* OnvifLevelName(OnvifUserLevel level) {
    switch (level) {
    case OnvifUserLevel::Administrator:
        return "Administrator";
    case OnvifUserLevel::Operator:
        return "Operator";
    case OnvifUserLevel::User:
        break;
    }
    return "User";
}
