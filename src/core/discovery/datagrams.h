#pragma once
// The four datagrams of the discovery and configuration protocol, byte for
// byte, for both roles: what the tool builds the simulator parses, and back.
// Pure encode and decode: no sockets here. Every parser checks the length
// it is given before it reads a byte.
#include "discovery/device_entry.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kSearchV1Magic = "TREMIL.SEARCH.V1";
inline constexpr std::string_view kSearchV3Magic = "TREMIL.SEARCH.V3";
inline constexpr std::string_view kConfigV2Magic = "TREMIL.CFG.V2";
inline constexpr std::string_view kConfigV3Magic = "TREMIL.CFG.V3";

inline constexpr std::size_t kSearchRequestSize = 16;
inline constexpr std::size_t kV1ReplySize = 152;
inline constexpr std::size_t kV3ReplySize = 576;
inline constexpr std::size_t kConfigV2RequestSize = 33;
inline constexpr std::size_t kConfigV3Size = 285;
// Every receive reads into a zeroed buffer of this size.
inline constexpr std::size_t kReceiveBufferSize = 1024;

// Offset of the V1 layout inside a V3 reply.
inline constexpr std::size_t kV3ShiftOfV1Layout = 40;
inline constexpr uint32_t kConfigV3Command = 0x80000001;
inline constexpr std::size_t kConfigV3PasswordWidth = 96;

using Datagram = std::vector<uint8_t>;
using MacBytes = std::array<uint8_t, 6>;

enum class SearchVersion { V1, V3 };

// The numeric part of a discovery reply (the V1 layout). Addresses are host
// order values (first octet most significant).
struct DiscoveryFields {
    uint16_t onvifOffWord = 0; // 0 = ONVIF available
    MacBytes mac{};
    uint32_t ip = 0;
    uint32_t mask = 0;
    uint32_t gateway = 0;
    uint32_t dns1 = 0;
    uint32_t dns2 = 0;
    uint16_t tcpPort = 0;
    uint16_t webPort = 0;
    uint8_t capabilities = 0;
    uint8_t dhcpMode = 0;
};

// The eight texts of a V3 reply, in the order of their fields.
struct DiscoveryTexts {
    std::string type;
    std::string cloudId;
    std::string version;
    std::string deviceTime;
    std::string releaseTime;
    std::string startTime;
    std::string model;
    std::string customerCode;
};

// A configuration request's content (CFG.V2 carries mac, ip, gateway, mask).
struct NetworkConfig {
    MacBytes mac{};
    uint32_t ip = 0;
    uint32_t gateway = 0;
    uint32_t mask = 0;
    uint32_t dns1 = 0;
    uint32_t dns2 = 0;
    uint8_t dhcpMode = 0;
    std::string user = "admin";
    std::string password; // at most 96 bytes are sent
};

// ---- shared helpers -----------------------------------------------------
// True when the datagram starts with the magic, compared without regard to
// ASCII case over the magic's length.
bool HasMagic(std::span<const uint8_t> datagram, std::string_view magic);
// "%02X-%02X-%02X-%02X-%02X-%02X"
std::string MacToText(const MacBytes& mac);
// "%02X%02X%02X%02X%02X%02X"
std::string MacToPlainText(const MacBytes& mac);
// Reads the pairs at character positions 0, 3, 6, 9, 12 and 15 as hex;
// a pair that is missing or has no hex digit gives 0.
MacBytes MacFromText(std::string_view text);

// ---- discovery ----------------------------------------------------------
Datagram BuildSearchRequest(SearchVersion version);
// Which search request a datagram is (devices accept any letter case);
// nullopt for anything else.
std::optional<SearchVersion> ParseSearchRequest(std::span<const uint8_t> datagram);

Datagram BuildV1Reply(const DiscoveryFields& fields);
// unterminatedTexts: each text fills its whole field with no zero byte, as a
// faulty device does (texts longer than their field are always cut).
Datagram BuildV3Reply(const DiscoveryFields& fields, const DiscoveryTexts& texts,
                      bool unterminatedTexts = false);

// A new entry (defaults of DeviceEntry) with the V1 fields and the derived
// ONVIF values; nullopt unless the datagram is exactly 152 bytes. The magic
// is the caller's test (the search decides what it skips and when it pauses).
std::optional<DeviceEntry> ParseV1Reply(std::span<const uint8_t> datagram);
// The V1 part shifted by 40, then the eight texts (each stops at its first
// zero byte or its field's end); an empty model becomes "-- --". nullopt
// unless exactly 576 bytes.
std::optional<DeviceEntry> ParseV3Reply(std::span<const uint8_t> datagram);
// The numeric fields at the V1 layout starting at shift (0 for V1, 40 for V3).
std::optional<DiscoveryFields> ParseDiscoveryFields(std::span<const uint8_t> datagram, std::size_t shift);
std::optional<DiscoveryTexts> ParseDiscoveryTexts(std::span<const uint8_t> datagram);

// ---- configuration --------------------------------------------------------
// From an entry holding the target's mac and the new values, and, for
// CFG.V3, the administrator password.
NetworkConfig NetworkConfigFromEntry(const DeviceEntry& entry, const std::string& adminPassword = {});

Datagram BuildConfigV2Request(const NetworkConfig& config);
std::optional<NetworkConfig> ParseConfigV2Request(std::span<const uint8_t> datagram);

Datagram BuildConfigV3Request(const NetworkConfig& config);
// A request (direction 0, command 0x80000001, 285 bytes, magic in any case).
std::optional<NetworkConfig> ParseConfigV3Request(std::span<const uint8_t> datagram);
// A device's answer: direction 1, the result byte, the echoed values. The
// user and password fields are left zero.
Datagram BuildConfigV3Reply(const NetworkConfig& echoed, uint8_t result);

enum class ConfigV3ReplyMatch {
    NotAReply,    // some other datagram: keep waiting
    Refused,      // the device refused (result byte 0)
    Confirmed,    // result non-zero and every echoed value equals the request's
    EchoMismatch, // result non-zero but an echoed value differs: failed
};
ConfigV3ReplyMatch MatchConfigV3Reply(std::span<const uint8_t> reply, std::span<const uint8_t> request);
