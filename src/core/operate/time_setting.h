#pragma once
// How a device's clock is set: from this computer's (UTC and this
// computer's time zone), or from NTP servers the user names.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TimeSetting {
    bool ntp = false;
    std::vector<std::string> ntpServers; // host names or IPv4 addresses, with ntp
};

inline constexpr std::size_t kMaxNtpServers = 4;

// The servers typed in one field, separated by commas or blanks: each a
// host name (letters, digits, '-' and '.', at most 253 characters) or an
// IPv4 address; one to kMaxNtpServers of them. nullopt for anything else:
// the front end then shows "info.Ntp_servers_bad".
std::optional<std::vector<std::string>> ParseNtpServers(std::string_view text);
