#include "devsim/sdk/sim_state_file.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace devsim {

namespace {

std::string Escape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '|' || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x') {
            return std::nullopt;
        }
        char* end = nullptr;
        const std::string hex = text.substr(i + 2, 2);
        const long value = std::strtol(hex.c_str(), &end, 16);
        if (hex.size() != 2 || *end != '\0') {
            return std::nullopt;
        }
        out += static_cast<char>(value);
        i += 3;
    }
    return out;
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto bar = line.find('|', start);
        parts.push_back(line.substr(start, bar - start));
        if (bar == std::string::npos) {
            return parts;
        }
        start = bar + 1;
    }
}

std::optional<uint16_t> Port(const std::string& text) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 1 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(value);
}

} // namespace

std::string WriteStateText(const SavedStates& states) {
    std::ostringstream out;
    out << "# corvane-devsim state: what the devices' SDK side changed\n";
    for (const auto& [mac, state] : states) {
        const std::string key = Escape(mac) + "|";
        out << key << "tcp-port|" << state.storedTcpPort << "\n";
        out << key << "web-port|" << state.httpPort << "\n";
        out << key << "rtsp-port|" << state.rtspPort << "\n";
        out << key << "model|" << Escape(state.model) << "\n";
        out << key << "version|" << Escape(state.firmwareVersion) << "\n";
        for (const auto& user : state.users) {
            out << key << "user|" << Escape(user.name) << "|" << Escape(user.password) << "\n";
        }
    }
    return out.str();
}

SavedStates ReadStateText(const std::string& text) {
    SavedStates states;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const auto parts = Split(line);
        if (parts.size() < 3) {
            continue;
        }
        const auto mac = Unescape(parts[0]);
        const auto value = Unescape(parts[2]);
        if (!mac || !value) {
            continue;
        }
        SimSdkSnapshot& state = states[*mac];
        const std::string& field = parts[1];
        if (field == "tcp-port" && Port(*value)) {
            state.storedTcpPort = *Port(*value);
        } else if (field == "web-port" && Port(*value)) {
            state.httpPort = *Port(*value);
        } else if (field == "rtsp-port" && Port(*value)) {
            state.rtspPort = *Port(*value);
        } else if (field == "model") {
            state.model = *value;
        } else if (field == "version") {
            state.firmwareVersion = *value;
        } else if (field == "user" && parts.size() == 4) {
            if (const auto password = Unescape(parts[3])) {
                state.users.push_back({*value, *password});
            }
        }
    }
    return states;
}

} // namespace devsim
