#include "devsim/sdk/sim_state_file.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <span>
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

std::string Hex(std::span<const uint8_t> bytes) {
    std::string out;
    char digits[3];
    for (const uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        out += digits;
    }
    return out;
}

template <std::size_t N> std::optional<std::array<uint8_t, N>> FromHex(const std::string& text) {
    if (text.size() != N * 2) {
        return std::nullopt;
    }
    std::array<uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N; ++i) {
        const std::string pair = text.substr(i * 2, 2);
        char* end = nullptr;
        const long value = std::strtol(pair.c_str(), &end, 16);
        if (*end != '\0' || !std::isxdigit(static_cast<unsigned char>(pair[0]))) {
            return std::nullopt;
        }
        bytes[i] = static_cast<uint8_t>(value);
    }
    return bytes;
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
    out << "# corvane-devsim state 2: what the devices' SDK side changed; users as derived keys\n";
    for (const auto& [mac, state] : states) {
        const std::string key = Escape(mac) + "|";
        out << key << "tcp-port|" << state.storedTcpPort << "\n";
        out << key << "web-port|" << state.httpPort << "\n";
        out << key << "rtsp-port|" << state.rtspPort << "\n";
        out << key << "model|" << Escape(state.model) << "\n";
        out << key << "version|" << Escape(state.firmwareVersion) << "\n";
        if (state.salt) {
            out << key << "salt|" << Hex(*state.salt) << "\n";
        }
        for (const auto& user : state.users) {
            if (user.labPassword) {
                out << key << "lab-user|" << Escape(user.name) << "\n";
            } else if (user.key) {
                out << key << "key|" << Escape(user.name) << "|" << Hex(*user.key) << "\n";
            }
            // A user with neither is dropped: there is nothing to log in with.
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
        } else if (field == "salt") {
            state.salt = FromHex<16>(*value);
        } else if (field == "lab-user" && parts.size() == 3) {
            state.users.push_back({*value, std::nullopt, std::nullopt, true});
        } else if (field == "key" && parts.size() == 4) {
            if (const auto key = FromHex<32>(parts[3])) {
                state.users.push_back({*value, std::nullopt, *key, false});
            }
        } else if (field == "user" && parts.size() == 4) {
            // A file of the first version, with passwords: taken, and the
            // next save writes keys instead.
            if (const auto password = Unescape(parts[3])) {
                state.users.push_back({*value, *password, std::nullopt, false});
            }
        }
    }
    return states;
}

} // namespace devsim
