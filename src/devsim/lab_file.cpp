#include "lab_file.h"

#include "discovery/ip_rules.h"
#include "net/udp_socket.h"
#include "onvif/onvif_lab_keys.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

namespace {

struct KeyValue {
    std::string key;
    std::string value;
    int line;
};

struct Section {
    std::string name;
    int line;
    std::vector<KeyValue> entries;
};

std::string Trim(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) {
        return {};
    }
    const auto end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::replace(text.begin(), text.end(), '_', '-');
    return text;
}

std::optional<uint64_t> ParseNumber(const std::string& text) {
    uint64_t value = 0;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* begin = text.data() + (hex ? 2 : 0);
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(begin, end, value, hex ? 16 : 10);
    if (error != std::errc() || ptr != end || begin == end) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseFraction(const std::string& text) {
    double value = 0;
    const auto [ptr, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || ptr != text.data() + text.size() || text.empty() || value < 0 || value > 1) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> ParseSwitch(const std::string& text) {
    const std::string lower = Lower(text);
    if (lower == "on" || lower == "yes" || lower == "1" || lower == "true") {
        return true;
    }
    if (lower == "off" || lower == "no" || lower == "0" || lower == "false") {
        return false;
    }
    return std::nullopt;
}

std::optional<MacBytes> ParseMac(const std::string& text) {
    if (text.size() != 17) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool separator = i % 3 == 2;
        if (separator ? (text[i] != '-' && text[i] != ':')
                      : std::isxdigit(static_cast<unsigned char>(text[i])) == 0) {
            return std::nullopt;
        }
    }
    return MacFromText(text);
}

std::optional<unsigned> ParseMalformed(const std::string& text) {
    unsigned mask = kMalformedNone;
    std::stringstream items(Lower(text));
    std::string item;
    while (std::getline(items, item, ',')) {
        item = Trim(item);
        if (item == "length") {
            mask |= kMalformedLength;
        } else if (item == "lowercase") {
            mask |= kMalformedLowercase;
        } else if (item == "unterminated") {
            mask |= kMalformedUnterminated;
        } else if (item != "none" && !item.empty()) {
            return std::nullopt;
        }
    }
    return mask;
}

// Applies one fault key; nullopt when the key is not a fault key, false when
// its value is wrong.
std::optional<bool> ApplyFaultKey(FaultSettings& faults, const std::string& key, const std::string& value) {
    if (key == "reply-loss") {
        const auto fraction = ParseFraction(value);
        faults.replyLoss = fraction.value_or(0);
        return fraction.has_value();
    }
    const auto number = [&](int& field, uint64_t maximum) {
        const auto parsed = ParseNumber(value);
        if (!parsed || *parsed > maximum) {
            return false;
        }
        field = static_cast<int>(*parsed);
        return true;
    };
    if (key == "duplicates") {
        return number(faults.duplicates, 100);
    }
    if (key == "delay-ms") {
        return number(faults.delayMs, 60000);
    }
    if (key == "jitter-ms") {
        return number(faults.jitterMs, 60000);
    }
    if (key == "malformed") {
        const auto mask = ParseMalformed(value);
        faults.malformed = mask.value_or(0);
        return mask.has_value();
    }
    if (key == "no-ack" || key == "wrong-echo") {
        const auto on = ParseSwitch(value);
        (key == "no-ack" ? faults.noAck : faults.wrongEcho) = on.value_or(false);
        return on.has_value();
    }
    return std::nullopt;
}

using TextSetter = std::function<std::string&(SimDevice&)>;

const std::map<std::string, TextSetter>& TextKeys() {
    static const std::map<std::string, TextSetter> keys{
        {"name", [](SimDevice& d) -> std::string& { return d.name; }},
        {"type", [](SimDevice& d) -> std::string& { return d.texts.type; }},
        {"model", [](SimDevice& d) -> std::string& { return d.texts.model; }},
        {"cloud-id", [](SimDevice& d) -> std::string& { return d.texts.cloudId; }},
        {"device-time", [](SimDevice& d) -> std::string& { return d.texts.deviceTime; }},
        {"version", [](SimDevice& d) -> std::string& { return d.texts.version; }},
        {"release-time", [](SimDevice& d) -> std::string& { return d.texts.releaseTime; }},
        {"start-time", [](SimDevice& d) -> std::string& { return d.texts.startTime; }},
        {"customer-code", [](SimDevice& d) -> std::string& { return d.texts.customerCode; }},
        {"admin-password", [](SimDevice& d) -> std::string& { return d.adminPassword; }},
        {"sdk-faults", [](SimDevice& d) -> std::string& { return d.sdkFaults; }},
    };
    return keys;
}

// Applies one device key; nullopt for an unknown key, false for a bad value.
std::optional<bool> ApplyDeviceKey(SimDevice& device, bool& hasMac, const std::string& key,
                                   const std::string& value) {
    if (const auto text = TextKeys().find(key); text != TextKeys().end()) {
        text->second(device) = UnescapeLabValue(value);
        return true;
    }
    if (key == "mac") {
        const auto mac = ParseMac(value);
        device.fields.mac = mac.value_or(MacBytes{});
        hasMac = mac.has_value();
        return hasMac;
    }
    const std::map<std::string, uint32_t*> addresses{
        {"ip", &device.fields.ip},     {"mask", &device.fields.mask}, {"gateway", &device.fields.gateway},
        {"dns1", &device.fields.dns1}, {"dns2", &device.fields.dns2},
    };
    if (const auto address = addresses.find(key); address != addresses.end()) {
        const uint32_t parsed = AddressFromText(value);
        *address->second = parsed;
        return parsed != kInvalidAddress || value == "255.255.255.255";
    }
    if (key == "tcp-port" || key == "web-port") {
        const auto port = ParseNumber(value);
        (key == "tcp-port" ? device.fields.tcpPort : device.fields.webPort) =
            static_cast<uint16_t>(port.value_or(0));
        return port && *port <= 0xFFFF;
    }
    if (key == "capabilities") {
        const auto bits = ParseNumber(value);
        device.fields.capabilities = static_cast<uint8_t>(bits.value_or(0));
        return bits && *bits <= 0xFF;
    }
    if (key == "dhcp") {
        const std::string lower = Lower(value);
        if (lower == "dhcp" || lower == "on") {
            device.fields.dhcpMode = 1;
            return true;
        }
        if (lower == "static" || lower == "off") {
            device.fields.dhcpMode = 2;
            return true;
        }
        const auto mode = ParseNumber(value);
        device.fields.dhcpMode = static_cast<uint8_t>(mode.value_or(0));
        return mode && *mode <= 0xFF;
    }
    if (key == "onvif") {
        const auto on = ParseSwitch(value);
        device.fields.onvifOffWord = on.value_or(true) ? 0 : 1;
        return on.has_value();
    }
    if (key == "onvif-off-word") {
        const auto word = ParseNumber(value);
        device.fields.onvifOffWord = static_cast<uint16_t>(word.value_or(0));
        return word && *word <= 0xFFFF;
    }
    if (key == "answers") {
        const std::string lower = Lower(value);
        device.answersV1 = lower.find("v1") != std::string::npos;
        device.answersV3 = lower.find("v3") != std::string::npos;
        return lower == "none" || device.answersV1 || device.answersV3;
    }
    if (key == "user") {
        const std::string text = UnescapeLabValue(value);
        const auto colon = text.find(':');
        if (colon == std::string::npos || colon == 0) {
            return false;
        }
        device.users.push_back({text.substr(0, colon), text.substr(colon + 1)});
        return true;
    }
    if (key == "reboot-seconds") {
        const auto seconds = ParseNumber(value);
        device.rebootSeconds = static_cast<int>(seconds.value_or(0));
        return seconds && *seconds <= 3600;
    }
    return std::nullopt;
}

std::string LineError(int line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

SimDevice DefaultDevice() {
    SimDevice device;
    device.fields.mask = 0xFFFFFF00;
    device.fields.tcpPort = 34567;
    device.fields.webPort = 80;
    device.fields.dhcpMode = 2;
    return device;
}

} // namespace

std::string UnescapeLabValue(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            if (value[i + 1] == '\\') {
                out += '\\';
                ++i;
                continue;
            }
            if (value[i + 1] == 'x' && i + 3 < value.size() &&
                std::isxdigit(static_cast<unsigned char>(value[i + 2])) &&
                std::isxdigit(static_cast<unsigned char>(value[i + 3]))) {
                out += static_cast<char>(std::stoi(value.substr(i + 2, 2), nullptr, 16));
                i += 3;
                continue;
            }
        }
        out += value[i];
    }
    return out;
}

std::string EscapeLabValue(const std::string& value) {
    std::string out;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte >= 0x7F || c == '#' || c == ';') {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    // Blanks at either end would be trimmed away when read back.
    if (!out.empty() && out.front() == ' ') {
        out.replace(0, 1, "\\x20");
    }
    if (!out.empty() && out.back() == ' ') {
        out.replace(out.size() - 1, 1, "\\x20");
    }
    return out;
}

LabFileResult ParseLabText(const std::string& text) {
    LabFileResult result;
    std::vector<Section> sections;
    std::stringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        line = Trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';') {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') {
                result.error = LineError(number, "section header without ']'");
                return result;
            }
            sections.push_back({Lower(Trim(line.substr(1, line.size() - 2))), number, {}});
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            result.error = LineError(number, "expected key = value");
            return result;
        }
        if (sections.empty()) {
            result.error = LineError(number, "key outside a section");
            return result;
        }
        sections.back().entries.push_back(
            {Lower(Trim(line.substr(0, equals))), Trim(line.substr(equals + 1)), number});
    }

    // The lab section first, wherever it stands: its faults are every
    // device's defaults.
    for (const Section& section : sections) {
        if (section.name != "lab") {
            continue;
        }
        for (const KeyValue& entry : section.entries) {
            if (entry.key == "seed") {
                const auto seed = ParseNumber(entry.value);
                if (!seed) {
                    result.error = LineError(entry.line, "bad seed \"" + entry.value + "\"");
                    return result;
                }
                result.lab.seed = *seed;
                continue;
            }
            const auto applied = ApplyFaultKey(result.lab.faults, entry.key, entry.value);
            if (!applied) {
                result.warnings.push_back(
                    LineError(entry.line, "unknown lab key \"" + entry.key + "\" ignored"));
            } else if (!*applied) {
                result.error = LineError(entry.line, "bad value \"" + entry.value + "\" for " + entry.key);
                return result;
            }
        }
    }
    for (const Section& section : sections) {
        if (section.name == "lab") {
            continue;
        }
        if (section.name != "device") {
            result.warnings.push_back(
                LineError(section.line, "unknown section [" + section.name + "] ignored"));
            continue;
        }
        SimDevice device = DefaultDevice();
        device.faults = result.lab.faults;
        bool hasMac = false;
        for (const KeyValue& entry : section.entries) {
            std::optional<bool> applied = ApplyFaultKey(device.faults, entry.key, entry.value);
            if (!applied) {
                applied = ApplyDeviceKey(device, hasMac, entry.key, entry.value);
            }
            if (!applied) {
                applied = ApplyOnvifKey(device, entry.key, entry.value);
            }
            if (!applied) {
                result.warnings.push_back(
                    LineError(entry.line, "unknown device key \"" + entry.key + "\" ignored"));
            } else if (!*applied) {
                result.error = LineError(entry.line, "bad value \"" + entry.value + "\" for " + entry.key);
                return result;
            }
        }
        if (!hasMac) {
            result.error = LineError(section.line, "device without a mac");
            return result;
        }
        if (device.name.empty()) {
            device.name = MacToText(device.fields.mac);
        }
        result.lab.devices.push_back(std::move(device));
    }
    result.ok = true;
    return result;
}

LabFileResult ReadLabFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        LabFileResult result;
        result.error = "cannot read " + path;
        return result;
    }
    std::stringstream text;
    text << in.rdbuf();
    return ParseLabText(text.str());
}

namespace {

std::string FaultLines(const FaultSettings& faults) {
    std::string out;
    char line[64];
    std::snprintf(line, sizeof line, "reply-loss = %g\n", faults.replyLoss);
    out += line;
    out += "duplicates = " + std::to_string(faults.duplicates) + "\n";
    out += "delay-ms = " + std::to_string(faults.delayMs) + "\n";
    out += "jitter-ms = " + std::to_string(faults.jitterMs) + "\n";
    std::string malformed;
    for (const auto& [bit, word] :
         {std::pair{kMalformedLength, "length"}, std::pair{kMalformedLowercase, "lowercase"},
          std::pair{kMalformedUnterminated, "unterminated"}}) {
        if ((faults.malformed & bit) != 0) {
            malformed += (malformed.empty() ? "" : ",") + std::string(word);
        }
    }
    out += "malformed = " + (malformed.empty() ? std::string("none") : malformed) + "\n";
    out += std::string("no-ack = ") + (faults.noAck ? "on" : "off") + "\n";
    out += std::string("wrong-echo = ") + (faults.wrongEcho ? "on" : "off") + "\n";
    return out;
}

} // namespace

std::string WriteLabText(const Lab& lab) {
    std::string out =
        "# Corvane lab file (docs/lab-file.md)\n[lab]\nseed = " + std::to_string(lab.seed) + "\n";
    out += FaultLines(lab.faults);
    for (const SimDevice& device : lab.devices) {
        const DiscoveryFields& f = device.fields;
        out += "\n[device]\nname = " + EscapeLabValue(device.name) + "\n";
        out += "mac = " + MacToText(f.mac) + "\n";
        out += "ip = " + net::AddressToText(f.ip) + "\nmask = " + net::AddressToText(f.mask) + "\n";
        out += "gateway = " + net::AddressToText(f.gateway) + "\n";
        out += "dns1 = " + net::AddressToText(f.dns1) + "\ndns2 = " + net::AddressToText(f.dns2) + "\n";
        out += "dhcp = " + std::to_string(f.dhcpMode) + "\n";
        out += "tcp-port = " + std::to_string(f.tcpPort) + "\nweb-port = " + std::to_string(f.webPort) + "\n";
        out += "capabilities = " + std::to_string(f.capabilities) + "\n";
        out += "onvif-off-word = " + std::to_string(f.onvifOffWord) + "\n";
        const char* answers =
            device.answersV1 ? (device.answersV3 ? "v1,v3" : "v1") : (device.answersV3 ? "v3" : "none");
        out += std::string("answers = ") + answers + "\n";
        const DiscoveryTexts& t = device.texts;
        out += "type = " + EscapeLabValue(t.type) + "\nmodel = " + EscapeLabValue(t.model) + "\n";
        out += "cloud-id = " + EscapeLabValue(t.cloudId) + "\ndevice-time = " + EscapeLabValue(t.deviceTime) +
               "\n";
        out += "version = " + EscapeLabValue(t.version) +
               "\nrelease-time = " + EscapeLabValue(t.releaseTime) + "\n";
        out += "start-time = " + EscapeLabValue(t.startTime) + "\n";
        out += "customer-code = " + EscapeLabValue(t.customerCode) + "\n";
        out += "admin-password = " + EscapeLabValue(device.adminPassword) + "\n";
        for (const SimUser& user : device.users) {
            out += "user = " + EscapeLabValue(user.name) + ":" + EscapeLabValue(user.password) + "\n";
        }
        out += "reboot-seconds = " + std::to_string(device.rebootSeconds) + "\n";
        out += "sdk-faults = " + EscapeLabValue(device.sdkFaults) + "\n";
        out += FaultLines(device.faults);
        out += OnvifLabLines(device);
    }
    return out;
}
