#include "discovery/datagrams.h"

#include "discovery/ip_rules.h"
#include "net/udp_socket.h"
#include "util/tool.h"

#include <algorithm>
#include <cstdio>

namespace {

// V1 layout offsets (a V3 reply has them shifted by 40).
constexpr std::size_t kOnvifOffWordAt = 100;
constexpr std::size_t kMacAt = 106;
constexpr std::size_t kIpAt = 116;
constexpr std::size_t kMaskAt = 120;
constexpr std::size_t kGatewayAt = 124;
constexpr std::size_t kDns1At = 128;
constexpr std::size_t kDns2At = 132;
constexpr std::size_t kTcpPortAt = 136;
constexpr std::size_t kWebPortAt = 140;
constexpr std::size_t kCapabilitiesAt = 142;
constexpr std::size_t kDhcpModeAt = 143;
constexpr std::size_t kV1LayoutEnd = 144;

// V3 text fields: offset and width.
struct TextField {
    std::size_t offset;
    std::size_t width;
};
constexpr TextField kTypeField{192, 64};
constexpr TextField kCloudIdField{256, 64};
constexpr TextField kVersionField{320, 32};
constexpr TextField kDeviceTimeField{352, 32};
constexpr TextField kReleaseTimeField{384, 32};
constexpr TextField kStartTimeField{416, 32};
constexpr TextField kModelField{448, 20};
constexpr TextField kCustomerCodeField{468, 108};

// CFG.V2 offsets.
constexpr std::size_t kV2MacAt = 13;
constexpr std::size_t kV2IpAt = 21;
constexpr std::size_t kV2GatewayAt = 25;
constexpr std::size_t kV2MaskAt = 29;

// CFG.V3 offsets from the start of the datagram (body offset + 13).
constexpr std::size_t kBody = 13;
constexpr std::size_t kV3DirectionAt = kBody + 2;
constexpr std::size_t kV3MacAt = kBody + 4;
constexpr std::size_t kV3CommandAt = kBody + 12;
constexpr std::size_t kV3ResultAt = kBody + 16;
constexpr std::size_t kV3UserAt = kBody + 36;
constexpr std::size_t kV3PasswordAt = kBody + 132;
constexpr std::size_t kV3IpAt = kBody + 228;
constexpr std::size_t kV3GatewayAt = kBody + 232;
constexpr std::size_t kV3MaskAt = kBody + 236;
constexpr std::size_t kV3Dns1At = kBody + 240;
constexpr std::size_t kV3Dns2At = kBody + 244;
constexpr std::size_t kV3DhcpAt = kBody + 248;
constexpr std::size_t kV3EchoEnd = kV3DhcpAt + 1;
constexpr std::size_t kV3CredentialWidth = 96;

void PutMagic(Datagram& out, std::string_view magic) {
    std::copy(magic.begin(), magic.end(), out.begin());
}

void PutU16(Datagram& out, std::size_t at, uint16_t value) {
    out[at] = static_cast<uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

uint16_t GetU16(std::span<const uint8_t> in, std::size_t at) {
    return static_cast<uint16_t>(in[at] | (in[at + 1] << 8));
}

void PutU32(Datagram& out, std::size_t at, uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint32_t GetU32(std::span<const uint8_t> in, std::size_t at) {
    uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(in[at + i]) << (8 * i);
    }
    return value;
}

// Addresses travel in network order: first octet first.
void PutAddress(Datagram& out, std::size_t at, uint32_t address) {
    for (std::size_t i = 0; i < 4; ++i) {
        out[at + i] = static_cast<uint8_t>(address >> (24 - 8 * i));
    }
}

uint32_t GetAddress(std::span<const uint8_t> in, std::size_t at) {
    uint32_t address = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        address = (address << 8) | in[at + i];
    }
    return address;
}

void PutMac(Datagram& out, std::size_t at, const MacBytes& mac) {
    std::copy(mac.begin(), mac.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
}

MacBytes GetMac(std::span<const uint8_t> in, std::size_t at) {
    MacBytes mac{};
    std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(at), mac.size(), mac.begin());
    return mac;
}

// Copies at most width bytes; a text of exactly width bytes gets no zero.
void PutText(Datagram& out, std::size_t at, std::size_t width, std::string_view text) {
    const std::size_t length = std::min(width, text.size());
    std::copy_n(text.begin(), length, out.begin() + static_cast<std::ptrdiff_t>(at));
}

// Up to the first zero byte, and never past the field's end.
std::string GetText(std::span<const uint8_t> in, std::size_t at, std::size_t width) {
    const auto begin = in.begin() + static_cast<std::ptrdiff_t>(at);
    const auto end = begin + static_cast<std::ptrdiff_t>(width);
    return std::string(begin, std::find(begin, end, uint8_t{0}));
}

void PutText(Datagram& out, TextField field, std::string_view text, bool unterminated) {
    if (!unterminated) {
        PutText(out, field.offset, field.width - 1, text);
        return;
    }
    // Fill the field completely, repeating the text (or 'X' for an empty one).
    const std::string_view filler = text.empty() ? std::string_view("X") : text;
    for (std::size_t i = 0; i < field.width; ++i) {
        out[field.offset + i] = static_cast<uint8_t>(filler[i % filler.size()]);
    }
}

std::string GetText(std::span<const uint8_t> in, TextField field) {
    return GetText(in, field.offset, field.width);
}

void PutDiscoveryFields(Datagram& out, std::size_t shift, const DiscoveryFields& fields) {
    PutU16(out, kOnvifOffWordAt + shift, fields.onvifOffWord);
    PutMac(out, kMacAt + shift, fields.mac);
    PutAddress(out, kIpAt + shift, fields.ip);
    PutAddress(out, kMaskAt + shift, fields.mask);
    PutAddress(out, kGatewayAt + shift, fields.gateway);
    PutAddress(out, kDns1At + shift, fields.dns1);
    PutAddress(out, kDns2At + shift, fields.dns2);
    PutU16(out, kTcpPortAt + shift, fields.tcpPort);
    PutU16(out, kWebPortAt + shift, fields.webPort);
    out[kCapabilitiesAt + shift] = fields.capabilities;
    out[kDhcpModeAt + shift] = fields.dhcpMode;
}

DeviceEntry EntryFromFields(const DiscoveryFields& fields) {
    DeviceEntry entry;
    entry.mac = MacToText(fields.mac);
    entry.ip = net::AddressToText(fields.ip);
    entry.mask = net::AddressToText(fields.mask);
    entry.gateway = net::AddressToText(fields.gateway);
    entry.dns1 = net::AddressToText(fields.dns1);
    entry.dns2 = net::AddressToText(fields.dns2);
    entry.tcpPort = fields.tcpPort;
    entry.webPort = fields.webPort;
    entry.capabilities = fields.capabilities;
    entry.dhcpMode = fields.dhcpMode;
    if (fields.onvifOffWord == 0) {
        entry.onvifAvailable = 1;
        entry.onvifPort = entry.webPort;
    }
    return entry;
}

} // namespace

bool HasMagic(std::span<const uint8_t> datagram, std::string_view magic) {
    if (datagram.size() < magic.size()) {
        return false;
    }
    for (std::size_t i = 0; i < magic.size(); ++i) {
        const auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; };
        if (lower(datagram[i]) != lower(static_cast<unsigned char>(magic[i]))) {
            return false;
        }
    }
    return true;
}

std::string MacToText(const MacBytes& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                  mac[5]);
    return text;
}

std::string MacToPlainText(const MacBytes& mac) {
    char text[13];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                  mac[5]);
    return text;
}

MacBytes MacFromText(std::string_view text) {
    MacBytes mac{};
    for (std::size_t i = 0; i < mac.size(); ++i) {
        // Like a hex number conversion of the two characters: leading hex
        // digits count, the first other character ends the number.
        int value = 0;
        for (std::size_t j = 3 * i; j < 3 * i + 2 && j < text.size(); ++j) {
            const int digit = Tool::HexDigitValue(text[j]);
            if (digit < 0) {
                break;
            }
            value = value * 16 + digit;
        }
        mac[i] = static_cast<uint8_t>(value);
    }
    return mac;
}

Datagram BuildSearchRequest(SearchVersion version) {
    const std::string_view magic = version == SearchVersion::V1 ? kSearchV1Magic : kSearchV3Magic;
    return Datagram(magic.begin(), magic.end());
}

std::optional<SearchVersion> ParseSearchRequest(std::span<const uint8_t> datagram) {
    if (datagram.size() != kSearchRequestSize) {
        return std::nullopt;
    }
    if (HasMagic(datagram, kSearchV1Magic)) {
        return SearchVersion::V1;
    }
    if (HasMagic(datagram, kSearchV3Magic)) {
        return SearchVersion::V3;
    }
    return std::nullopt;
}

Datagram BuildV1Reply(const DiscoveryFields& fields) {
    Datagram out(kV1ReplySize, 0);
    PutMagic(out, kSearchV1Magic);
    PutDiscoveryFields(out, 0, fields);
    return out;
}

Datagram BuildV3Reply(const DiscoveryFields& fields, const DiscoveryTexts& texts, bool unterminatedTexts) {
    Datagram out(kV3ReplySize, 0);
    PutMagic(out, kSearchV3Magic);
    out[16] = 1;
    out[17] = 0;
    PutDiscoveryFields(out, kV3ShiftOfV1Layout, fields);
    PutText(out, kTypeField, texts.type, unterminatedTexts);
    PutText(out, kCloudIdField, texts.cloudId, unterminatedTexts);
    PutText(out, kVersionField, texts.version, unterminatedTexts);
    PutText(out, kDeviceTimeField, texts.deviceTime, unterminatedTexts);
    PutText(out, kReleaseTimeField, texts.releaseTime, unterminatedTexts);
    PutText(out, kStartTimeField, texts.startTime, unterminatedTexts);
    PutText(out, kModelField, texts.model, unterminatedTexts);
    PutText(out, kCustomerCodeField, texts.customerCode, unterminatedTexts);
    return out;
}

std::optional<DiscoveryFields> ParseDiscoveryFields(std::span<const uint8_t> datagram, std::size_t shift) {
    if (datagram.size() < kV1LayoutEnd + shift) {
        return std::nullopt;
    }
    DiscoveryFields fields;
    fields.onvifOffWord = GetU16(datagram, kOnvifOffWordAt + shift);
    fields.mac = GetMac(datagram, kMacAt + shift);
    fields.ip = GetAddress(datagram, kIpAt + shift);
    fields.mask = GetAddress(datagram, kMaskAt + shift);
    fields.gateway = GetAddress(datagram, kGatewayAt + shift);
    fields.dns1 = GetAddress(datagram, kDns1At + shift);
    fields.dns2 = GetAddress(datagram, kDns2At + shift);
    fields.tcpPort = GetU16(datagram, kTcpPortAt + shift);
    fields.webPort = GetU16(datagram, kWebPortAt + shift);
    fields.capabilities = datagram[kCapabilitiesAt + shift];
    fields.dhcpMode = datagram[kDhcpModeAt + shift];
    return fields;
}

std::optional<DiscoveryTexts> ParseDiscoveryTexts(std::span<const uint8_t> datagram) {
    if (datagram.size() != kV3ReplySize) {
        return std::nullopt;
    }
    DiscoveryTexts texts;
    texts.type = GetText(datagram, kTypeField);
    texts.cloudId = GetText(datagram, kCloudIdField);
    texts.version = GetText(datagram, kVersionField);
    texts.deviceTime = GetText(datagram, kDeviceTimeField);
    texts.releaseTime = GetText(datagram, kReleaseTimeField);
    texts.startTime = GetText(datagram, kStartTimeField);
    texts.model = GetText(datagram, kModelField);
    texts.customerCode = GetText(datagram, kCustomerCodeField);
    return texts;
}

std::optional<DeviceEntry> ParseV1Reply(std::span<const uint8_t> datagram) {
    if (datagram.size() != kV1ReplySize) {
        return std::nullopt;
    }
    return EntryFromFields(*ParseDiscoveryFields(datagram, 0));
}

std::optional<DeviceEntry> ParseV3Reply(std::span<const uint8_t> datagram) {
    if (datagram.size() != kV3ReplySize) {
        return std::nullopt;
    }
    DeviceEntry entry = EntryFromFields(*ParseDiscoveryFields(datagram, kV3ShiftOfV1Layout));
    DiscoveryTexts texts = *ParseDiscoveryTexts(datagram);
    entry.type = std::move(texts.type);
    entry.cloudId = std::move(texts.cloudId);
    entry.version = std::move(texts.version);
    entry.deviceTime = std::move(texts.deviceTime);
    entry.releaseTime = std::move(texts.releaseTime);
    entry.startTime = std::move(texts.startTime);
    entry.model = texts.model.empty() ? std::string(kNoTextPlaceholder) : std::move(texts.model);
    entry.customerCode = std::move(texts.customerCode);
    return entry;
}

NetworkConfig NetworkConfigFromEntry(const DeviceEntry& entry, const std::string& adminPassword) {
    NetworkConfig config;
    config.mac = MacFromText(entry.mac);
    config.ip = AddressFromText(entry.ip);
    config.gateway = AddressFromText(entry.gateway);
    config.mask = AddressFromText(entry.mask);
    config.dns1 = AddressFromText(entry.dns1);
    config.dns2 = AddressFromText(entry.dns2);
    config.dhcpMode = entry.dhcpMode;
    config.password = adminPassword;
    return config;
}

Datagram BuildConfigV2Request(const NetworkConfig& config) {
    Datagram out(kConfigV2RequestSize, 0);
    PutMagic(out, kConfigV2Magic);
    PutMac(out, kV2MacAt, config.mac);
    PutAddress(out, kV2IpAt, config.ip);
    PutAddress(out, kV2GatewayAt, config.gateway);
    PutAddress(out, kV2MaskAt, config.mask);
    return out;
}

std::optional<NetworkConfig> ParseConfigV2Request(std::span<const uint8_t> datagram) {
    if (datagram.size() != kConfigV2RequestSize || !HasMagic(datagram, kConfigV2Magic)) {
        return std::nullopt;
    }
    NetworkConfig config;
    config.mac = GetMac(datagram, kV2MacAt);
    config.ip = GetAddress(datagram, kV2IpAt);
    config.gateway = GetAddress(datagram, kV2GatewayAt);
    config.mask = GetAddress(datagram, kV2MaskAt);
    config.user.clear();
    return config;
}

namespace {

Datagram BuildConfigV3(const NetworkConfig& config, uint8_t direction, uint8_t result, bool withCredentials) {
    Datagram out(kConfigV3Size, 0);
    PutMagic(out, kConfigV3Magic);
    out[kBody + 0] = 0x24;
    out[kBody + 1] = 0xEC;
    out[kV3DirectionAt] = direction;
    out[kBody + 3] = 0x01;
    PutMac(out, kV3MacAt, config.mac);
    PutU32(out, kV3CommandAt, kConfigV3Command);
    out[kV3ResultAt] = result;
    if (withCredentials) {
        PutText(out, kV3UserAt, kV3CredentialWidth, config.user);
        PutText(out, kV3PasswordAt, kV3CredentialWidth, config.password);
    }
    PutAddress(out, kV3IpAt, config.ip);
    PutAddress(out, kV3GatewayAt, config.gateway);
    PutAddress(out, kV3MaskAt, config.mask);
    PutAddress(out, kV3Dns1At, config.dns1);
    PutAddress(out, kV3Dns2At, config.dns2);
    out[kV3DhcpAt] = config.dhcpMode;
    return out;
}

} // namespace

Datagram BuildConfigV3Request(const NetworkConfig& config) {
    return BuildConfigV3(config, 0, 0, true);
}

Datagram BuildConfigV3Reply(const NetworkConfig& echoed, uint8_t result) {
    return BuildConfigV3(echoed, 1, result, false);
}

std::optional<NetworkConfig> ParseConfigV3Request(std::span<const uint8_t> datagram) {
    if (datagram.size() != kConfigV3Size || !HasMagic(datagram, kConfigV3Magic) ||
        datagram[kV3DirectionAt] != 0 || GetU32(datagram, kV3CommandAt) != kConfigV3Command) {
        return std::nullopt;
    }
    NetworkConfig config;
    config.mac = GetMac(datagram, kV3MacAt);
    config.user = GetText(datagram, kV3UserAt, kV3CredentialWidth);
    config.password = GetText(datagram, kV3PasswordAt, kV3CredentialWidth);
    config.ip = GetAddress(datagram, kV3IpAt);
    config.gateway = GetAddress(datagram, kV3GatewayAt);
    config.mask = GetAddress(datagram, kV3MaskAt);
    config.dns1 = GetAddress(datagram, kV3Dns1At);
    config.dns2 = GetAddress(datagram, kV3Dns2At);
    config.dhcpMode = datagram[kV3DhcpAt];
    return config;
}

ConfigV3ReplyMatch MatchConfigV3Reply(std::span<const uint8_t> reply, std::span<const uint8_t> request) {
    if (reply.size() != kConfigV3Size || request.size() != kConfigV3Size ||
        !HasMagic(reply, kConfigV3Magic) || reply[kV3DirectionAt] != 1 ||
        !std::equal(reply.begin() + kV3MacAt, reply.begin() + kV3MacAt + 6, request.begin() + kV3MacAt) ||
        GetU32(reply, kV3CommandAt) != kConfigV3Command) {
        return ConfigV3ReplyMatch::NotAReply;
    }
    if (reply[kV3ResultAt] == 0) {
        return ConfigV3ReplyMatch::Refused;
    }
    const bool echoed =
        std::equal(reply.begin() + kV3IpAt, reply.begin() + kV3EchoEnd, request.begin() + kV3IpAt);
    return echoed ? ConfigV3ReplyMatch::Confirmed : ConfigV3ReplyMatch::EchoMismatch;
}
