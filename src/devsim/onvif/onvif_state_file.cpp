#include "onvif/onvif_state_file.h"

#include <cstdio>
#include <map>
#include <sstream>

namespace onvifsim {
namespace {

std::string MacText(const SimDevice& device) {
    const auto& mac = device.fields.mac;
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                  mac[5]);
    return text;
}

std::string Clean(const std::string& value) {
    std::string out = value;
    for (char& c : out) {
        if (c < 0x20 || c > 0x7E || c == '|') {
            c = '?';
        }
    }
    return out;
}

} // namespace

std::string OnvifStatePath(const std::string& statePath) {
    return statePath + ".onvif";
}

std::string WriteOnvifState(const std::vector<const SimDevice*>& devices) {
    std::string text;
    for (const SimDevice* device : devices) {
        const std::string mac = MacText(*device);
        text += mac + "|version|" + Clean(device->texts.version) + "\n";
        text += mac + "|location|" + Clean(device->onvif.location) + "\n";
    }
    return text;
}

void ApplyOnvifState(const std::string& text, std::vector<SimDevice*>& devices) {
    std::map<std::string, std::vector<SimDevice*>> byMac;
    for (SimDevice* device : devices) {
        byMac[MacText(*device)].push_back(device);
    }
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t first = line.find('|');
        const std::size_t second = first == std::string::npos ? first : line.find('|', first + 1);
        if (second == std::string::npos) {
            continue;
        }
        const std::string field = line.substr(first + 1, second - first - 1);
        const std::string value = line.substr(second + 1);
        for (SimDevice* device : byMac[line.substr(0, first)]) {
            if (field == "version") {
                device->texts.version = value;
            } else if (field == "location") {
                device->onvif.location = value;
            }
        }
    }
}

} // namespace onvifsim
