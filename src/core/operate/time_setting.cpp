#include "operate/time_setting.h"

#include <algorithm>

namespace {

bool HostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// A name the device can look up, or a dotted address: no empty labels, no
// label starting or ending with '-'.
bool PlausibleHost(std::string_view host) {
    if (host.empty() || host.size() > 253 || !std::all_of(host.begin(), host.end(), HostCharacter)) {
        return false;
    }
    std::size_t start = 0;
    while (start <= host.size()) {
        const std::size_t dot = std::min(host.find('.', start), host.size());
        const std::string_view label = host.substr(start, dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') {
            return false;
        }
        start = dot + 1;
    }
    return true;
}

} // namespace

std::optional<std::vector<std::string>> ParseNtpServers(std::string_view text) {
    std::vector<std::string> servers;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find_first_of(", \t", at), text.size());
        const std::string_view part = text.substr(at, end - at);
        if (!part.empty()) {
            if (!PlausibleHost(part) || servers.size() == kMaxNtpServers) {
                return std::nullopt;
            }
            servers.emplace_back(part);
        }
        at = end + 1;
    }
    if (servers.empty()) {
        return std::nullopt;
    }
    return servers;
}
