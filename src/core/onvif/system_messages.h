#pragma once
// The device service's maintenance requests (firmware upgrade, backup and
// restore) and the parsers of their responses. Pure: each parser takes the
// response envelope's text and gives nullopt when it is not that response
// (a fault included).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace onvif {

inline constexpr const char* kStartFirmwareUpgrade = "<tds:StartFirmwareUpgrade/>";
inline constexpr const char* kStartSystemRestore = "<tds:StartSystemRestore/>";
inline constexpr const char* kGetSystemUris = "<tds:GetSystemUris/>";
inline constexpr const char* kGetSystemBackup = "<tds:GetSystemBackup/>";

// An xs:duration ("PT30S", "PT1M30.5S", "P1DT2H") in milliseconds; nullopt
// when it is not one, negative, or longer than a year. Months and years have
// no fixed length and are refused.
std::optional<int64_t> ParseDurationMs(std::string_view text);

// Where to post a file and how long the device is away afterwards.
struct UploadTicket {
    std::string uploadUri;      // http or https only
    int64_t uploadDelayMs = 0;  // wait this long before the post
    int64_t expectedDownMs = 0; // the device restarts for this long
};

std::optional<UploadTicket> ParseStartFirmwareUpgrade(std::string_view response);
std::optional<UploadTicket> ParseStartSystemRestore(std::string_view response);

// GetSystemUris' SystemBackupUri: empty when the device lists none.
std::optional<std::string> ParseSystemBackupUri(std::string_view response);

// True for a URI this program posts to or fetches from: http or https.
bool IsHttpUri(std::string_view uri);

// The address a device named for an upload or a download, with the device
// service's host in place of one that cannot be the device seen from here
// (loopback, link-local, unspecified: a device that names itself wrongly).
std::string ReachableUri(const std::string& uri, const std::string& serviceUrl);

} // namespace onvif
