#include "onvif/time_zone.h"

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>

namespace onvif {
namespace {

constexpr std::size_t kMaxZoneFileBytes = 1024 * 1024;
constexpr std::size_t kMaxRuleBytes = 128;

std::optional<std::string> ReadZoneFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    bytes.resize(kMaxZoneFileBytes + 1);
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    if (bytes.size() > kMaxZoneFileBytes) {
        return std::nullopt;
    }
    return bytes;
}

// A name as POSIX TZ writes it: letters, or <...> around anything else.
std::string ZoneName(const char* name) {
    std::string text = name == nullptr ? "" : name;
    bool letters = text.size() >= 3;
    for (const char c : text) {
        letters = letters && std::isalpha(static_cast<unsigned char>(c)) != 0;
    }
    return letters ? text : "<" + text + ">";
}

// "-1" for one hour east of UTC (POSIX counts west), "5:30" and the like.
std::string Offset(long secondsWest) {
    std::string text = secondsWest < 0 ? "-" : "";
    const long magnitude = secondsWest < 0 ? -secondsWest : secondsWest;
    text += std::to_string(magnitude / 3600);
    if (magnitude % 3600 != 0) {
        const long minutes = magnitude % 3600 / 60;
        text += (minutes < 10 ? ":0" : ":") + std::to_string(minutes);
    }
    return text;
}

bool Printable(std::string_view text) {
    for (const char c : text) {
        if (std::isprint(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<std::string> TzifRule(std::string_view bytes) {
    if (bytes.size() < 44 || bytes.substr(0, 4) != "TZif" || bytes[4] < '2' || bytes.back() != '\n') {
        return std::nullopt;
    }
    const std::size_t start = bytes.rfind('\n', bytes.size() - 2);
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view rule = bytes.substr(start + 1, bytes.size() - start - 2);
    if (rule.empty() || rule.size() > kMaxRuleBytes || !Printable(rule)) {
        return std::nullopt;
    }
    return std::string(rule);
}

bool HasDaylightPart(std::string_view tz) {
    std::size_t at = 0;
    if (!tz.empty() && tz[0] == '<') {
        at = tz.find('>');
        at = at == std::string_view::npos ? tz.size() : at + 1;
    }
    while (at < tz.size() && std::isalpha(static_cast<unsigned char>(tz[at])) != 0) {
        ++at;
    }
    while (at < tz.size() && (std::isdigit(static_cast<unsigned char>(tz[at])) != 0 || tz[at] == '+' ||
                              tz[at] == '-' || tz[at] == ':')) {
        ++at;
    }
    return at < tz.size() && tz[at] != ',';
}

ZoneText PosixZone() {
    const char* variable = std::getenv("TZ");
    const std::string set = variable == nullptr ? "" : variable;
    std::optional<std::string> rule;
    if (!set.empty() && set[0] != ':' && set.find('/') == std::string::npos &&
        set.find_first_of("0123456789") != std::string::npos) {
        rule = set; // already a POSIX TZ text
    } else {
        std::string path = set.empty() ? "/etc/localtime" : set.substr(set[0] == ':' ? 1 : 0);
        if (!path.empty() && path[0] != '/') {
            path = "/usr/share/zoneinfo/" + path;
        }
        if (const auto bytes = ReadZoneFile(path)) {
            rule = TzifRule(*bytes);
        }
    }
    if (!rule) {
        tzset();
        if (tzname[0] != nullptr && tzname[0][0] != '\0') {
            rule = ZoneName(tzname[0]) + Offset(timezone);
            if (daylight != 0 && tzname[1] != nullptr && tzname[1][0] != '\0') {
                *rule += ZoneName(tzname[1]);
            }
        }
    }
    ZoneText zone{rule.value_or("UTC0"), false};
    zone.daylight = HasDaylightPart(zone.tz);
    return zone;
}

} // namespace onvif
