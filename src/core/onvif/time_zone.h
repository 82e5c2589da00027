#pragma once
// This computer's time zone as a POSIX TZ text, the form ONVIF devices take
// ("CET-1CEST,M3.5.0,M10.5.0/3"): the TZ variable when it holds one, else
// the rule at the end of the zone file the C library uses, else what the C
// library's tzset() reports, else "UTC0".
#include <optional>
#include <string>
#include <string_view>

namespace onvif {

struct ZoneText {
    std::string tz;
    bool daylight = false; // the zone has a daylight-saving part
};

// The POSIX TZ rule a zone file (TZif version 2 or later) ends with;
// nullopt for other bytes or an empty rule.
std::optional<std::string> TzifRule(std::string_view bytes);
// True when a POSIX TZ text names a daylight-saving part.
bool HasDaylightPart(std::string_view tz);

ZoneText PosixZone();

} // namespace onvif
