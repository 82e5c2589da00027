#include "onvif/ws_discovery.h"

#include "net/udp_socket.h"
#include "onvif/xml_reader.h"
#include "util/tool.h"

#include <array>
#include <cstdio>
#include <openssl/rand.h>

namespace onvif {
namespace {

constexpr const char* kProbeTypes[] = {
    "xmlns:dn=\"http://www.onvif.org/ver10/network/wsdl\">dn:NetworkVideoTransmitter",
    "xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\">tds:Device",
};

std::vector<std::string> SplitWhiteSpace(std::string_view text) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t first = text.find_first_not_of(" \t\r\n", at);
        if (first == std::string_view::npos) {
            break;
        }
        std::size_t last = text.find_first_of(" \t\r\n", first);
        if (last == std::string_view::npos) {
            last = text.size();
        }
        words.emplace_back(text.substr(first, last - first));
        at = last;
    }
    return words;
}

std::optional<WsdMatch> ParseMatch(const pugi::xml_node& node) {
    WsdMatch match;
    match.endpointReference = Text(Path(node, {"EndpointReference", "Address"}));
    if (match.endpointReference.empty()) {
        return std::nullopt;
    }
    match.types = SplitWhiteSpace(Text(Child(node, "Types")));
    match.scopes = SplitWhiteSpace(Text(Child(node, "Scopes")));
    match.xaddrs = SplitWhiteSpace(Text(Child(node, "XAddrs")));
    match.metadataVersion = static_cast<uint32_t>(Number(Child(node, "MetadataVersion"), 0xFFFFFFFF, 0));
    return match;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A scope value's part after "onvif://www.onvif.org/<kind>/", or nullopt.
std::optional<std::string_view> ScopeValue(std::string_view scope, std::string_view kind) {
    constexpr std::string_view kPrefix = "onvif://www.onvif.org/";
    if (!StartsWith(scope, kPrefix)) {
        return std::nullopt;
    }
    scope.remove_prefix(kPrefix.size());
    if (!StartsWith(scope, kind) || scope.size() <= kind.size() || scope[kind.size()] != '/') {
        return std::nullopt;
    }
    return scope.substr(kind.size() + 1);
}

bool IsRecorderWord(std::string_view word) {
    return word == "recorder" || word == "Recorder" || word == "NetworkVideoRecorder" ||
           word == "Network_Video_Storage" || word == "NetworkVideoStorage" || word == "nvr" || word == "NVR";
}

bool IsCameraWord(std::string_view word) {
    return word == "video_encoder" || word == "NetworkVideoTransmitter" ||
           word == "Network_Video_Transmitter" || word == "camera";
}

std::optional<uint32_t> ParseIpv4(std::string_view text) {
    uint32_t address = 0;
    int parts = 0;
    std::size_t at = 0;
    while (parts < 4) {
        std::size_t end = at;
        uint32_t part = 0;
        while (end < text.size() && end - at < 3 && text[end] >= '0' && text[end] <= '9') {
            part = part * 10 + static_cast<uint32_t>(text[end] - '0');
            ++end;
        }
        if (end == at || part > 255) {
            return std::nullopt;
        }
        address = (address << 8) | part;
        ++parts;
        if (parts < 4) {
            if (end >= text.size() || text[end] != '.') {
                return std::nullopt;
            }
            ++end;
        } else if (end != text.size()) {
            return std::nullopt;
        }
        at = end;
    }
    return address;
}

bool IsLinkLocal(uint32_t address) {
    return (address & 0xFFFF0000) == 0xA9FE0000;
}

} // namespace

std::string NewMessageId() {
    std::array<unsigned char, 16> bytes{};
    if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) {
        bytes.fill(0); // not reached once OpenSSL's generator is seeded
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    char text[48];
    std::snprintf(text, sizeof text,
                  "urn:uuid:%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", bytes[0],
                  bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9],
                  bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

std::string BuildProbe(ProbeType type, std::string_view messageId) {
    std::string probe =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\""
        " xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\""
        " xmlns:d=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\">"
        "<s:Header>"
        "<a:Action s:mustUnderstand=\"1\">http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</a:Action>"
        "<a:MessageID>";
    probe += Escape(messageId);
    probe += "</a:MessageID>"
             "<a:ReplyTo><a:Address>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous"
             "</a:Address></a:ReplyTo>"
             "<a:To s:mustUnderstand=\"1\">urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To>"
             "</s:Header>"
             "<s:Body><d:Probe><d:Types ";
    probe += kProbeTypes[static_cast<int>(type)];
    probe += "</d:Types></d:Probe></s:Body></s:Envelope>";
    return probe;
}

std::optional<WsdMessage> ParseWsdMessage(std::string_view text) {
    const auto document = ParseDocument(text);
    if (!document) {
        return std::nullopt;
    }
    const pugi::xml_node envelope = document->document_element();
    if (LocalName(envelope) != "Envelope") {
        return std::nullopt;
    }
    const pugi::xml_node header = Child(envelope, "Header");
    pugi::xml_node body = Child(envelope, "Body");
    WsdMessage message;
    message.messageId = Text(Child(header, "MessageID"));
    message.relatesTo = Text(Child(header, "RelatesTo"));
    if (message.messageId.empty()) {
        return std::nullopt;
    }
    pugi::xml_node content = body.first_child();
    while (content && content.type() != pugi::node_element) {
        content = content.next_sibling();
    }
    const std::string_view kind = LocalName(content);
    if (kind == "Probe") {
        message.kind = WsdKind::Probe;
        return message;
    }
    if (kind == "ProbeMatches") {
        message.kind = WsdKind::ProbeMatches;
        if (message.relatesTo.empty()) {
            return std::nullopt;
        }
        for (pugi::xml_node node = content.first_child(); node; node = node.next_sibling()) {
            if (node.type() == pugi::node_element && LocalName(node) == "ProbeMatch") {
                if (auto match = ParseMatch(node)) {
                    message.matches.push_back(std::move(*match));
                }
            }
        }
        return message;
    }
    if (kind == "Hello" || kind == "Bye") {
        message.kind = kind == "Hello" ? WsdKind::Hello : WsdKind::Bye;
        auto match = ParseMatch(content);
        if (!match) {
            return std::nullopt;
        }
        message.matches.push_back(std::move(*match));
        return message;
    }
    return std::nullopt;
}

std::string PercentDecode(std::string_view text) {
    const auto hex = Tool::HexDigitValue;
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            decoded += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

ScopeFacts ParseScopes(const std::vector<std::string>& scopes, const std::vector<std::string>& types) {
    ScopeFacts facts;
    bool camera = false;
    bool recorder = false;
    for (const std::string& type : types) {
        const std::size_t colon = type.rfind(':');
        const std::string_view local =
            colon == std::string::npos ? std::string_view(type) : std::string_view(type).substr(colon + 1);
        camera |= IsCameraWord(local);
        recorder |= IsRecorderWord(local);
    }
    for (const std::string& scope : scopes) {
        if (const auto name = ScopeValue(scope, "name"); name && facts.name.empty()) {
            facts.name = PercentDecode(*name);
        } else if (const auto hardware = ScopeValue(scope, "hardware"); hardware && facts.hardware.empty()) {
            facts.hardware = PercentDecode(*hardware);
        } else if (const auto location = ScopeValue(scope, "location")) {
            if (!facts.location.empty()) {
                facts.location += '/';
            }
            facts.location += PercentDecode(*location);
        } else if (const auto type = ScopeValue(scope, "type")) {
            camera |= IsCameraWord(*type);
            recorder |= IsRecorderWord(*type);
        }
    }
    facts.deviceType = recorder ? OnvifDeviceType::Recorder
                       : camera ? OnvifDeviceType::Camera
                                : OnvifDeviceType::Unknown;
    return facts;
}

std::optional<HttpUrl> ParseHttpUrl(std::string_view url) {
    HttpUrl parsed;
    if (StartsWith(url, "http://")) {
        url.remove_prefix(7);
    } else if (StartsWith(url, "https://")) {
        url.remove_prefix(8);
        parsed.https = true;
    } else {
        return std::nullopt;
    }
    const std::size_t slash = url.find('/');
    std::string_view authority = url.substr(0, slash);
    parsed.path = slash == std::string_view::npos ? "/" : std::string(url.substr(slash));
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    std::size_t portColon = authority.rfind(':');
    if (portColon != std::string_view::npos && authority.find(']', portColon) != std::string_view::npos) {
        portColon = std::string_view::npos; // a colon inside an IPv6 literal
    }
    parsed.port = parsed.https ? 443 : 80;
    if (portColon != std::string_view::npos) {
        const std::string_view portText = authority.substr(portColon + 1);
        uint32_t port = 0;
        if (portText.empty() || portText.size() > 5) {
            return std::nullopt;
        }
        for (const char c : portText) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            port = port * 10 + static_cast<uint32_t>(c - '0');
        }
        if (port == 0 || port > 65535) {
            return std::nullopt;
        }
        parsed.port = static_cast<uint16_t>(port);
        authority = authority.substr(0, portColon);
    }
    if (authority.empty()) {
        return std::nullopt;
    }
    parsed.host = std::string(authority);
    return parsed;
}

std::string FormatHttpUrl(const HttpUrl& url) {
    std::string text = url.https ? "https://" : "http://";
    text += url.host;
    if (url.port != (url.https ? 443 : 80)) {
        text += ':' + std::to_string(url.port);
    }
    return text + url.path;
}

std::optional<DeviceService> ChooseDeviceService(const std::vector<std::string>& xaddrs,
                                                 uint32_t sourceAddress) {
    // Otherwise the XAddr most likely to hold the right port and path: a
    // routable IPv4 one, then a link-local one, then any other host.
    std::optional<HttpUrl> best;
    int bestRank = -1;
    for (const std::string& xaddr : xaddrs) {
        std::optional<HttpUrl> url = ParseHttpUrl(xaddr);
        if (!url) {
            continue;
        }
        const std::optional<uint32_t> host = ParseIpv4(url->host);
        if (host && *host == sourceAddress) {
            return DeviceService{FormatHttpUrl(*url), url->host, url->port};
        }
        const int rank = !host ? 0 : IsLinkLocal(*host) ? 1 : 2;
        if (rank > bestRank) {
            best = std::move(url);
            bestRank = rank;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    best->host = net::AddressToText(sourceAddress);
    return DeviceService{FormatHttpUrl(*best), best->host, best->port};
}

OnvifFacts FactsFromMatch(const WsdMatch& match, uint32_t sourceAddress) {
    OnvifFacts facts;
    facts.endpointReference = match.endpointReference;
    facts.xaddrs = match.xaddrs;
    facts.types = match.types;
    ScopeFacts scopes = ParseScopes(match.scopes, match.types);
    facts.name = std::move(scopes.name);
    facts.hardware = std::move(scopes.hardware);
    facts.location = std::move(scopes.location);
    facts.deviceType = scopes.deviceType;
    if (const auto service = ChooseDeviceService(match.xaddrs, sourceAddress)) {
        facts.deviceServiceUrl = service->url;
        facts.httpPort = service->httpPort;
    }
    return facts;
}

} // namespace onvif
