#include "onvif/system_messages.h"

#include "onvif/soap.h"
#include "onvif/ws_discovery.h"
#include "onvif/xml_reader.h"

#include <cctype>

namespace onvif {
namespace {

std::optional<UploadTicket> Ticket(std::string_view text, std::string_view name, bool withDelay) {
    const auto response = ParseResponseNamed(text, name);
    if (!response) {
        return std::nullopt;
    }
    UploadTicket ticket;
    ticket.uploadUri = Text(Child(response->content, "UploadUri"));
    const auto down = ParseDurationMs(Text(Child(response->content, "ExpectedDownTime")));
    if (!IsHttpUri(ticket.uploadUri) || !down) {
        return std::nullopt;
    }
    ticket.expectedDownMs = *down;
    if (withDelay) {
        const auto delay = ParseDurationMs(Text(Child(response->content, "UploadDelay")));
        if (!delay) {
            return std::nullopt;
        }
        ticket.uploadDelayMs = *delay;
    }
    return ticket;
}

} // namespace

std::optional<int64_t> ParseDurationMs(std::string_view text) {
    constexpr int64_t kLimitMs = 366LL * 86400 * 1000;
    if (text.size() < 3 || text.size() > 64 || text[0] != 'P') {
        return std::nullopt;
    }
    int64_t total = 0;
    bool inTime = false;
    bool any = false;
    std::size_t at = 1;
    while (at < text.size()) {
        if (text[at] == 'T') {
            if (inTime || at + 1 == text.size()) {
                return std::nullopt;
            }
            inTime = true;
            ++at;
            continue;
        }
        int64_t whole = 0;
        int64_t fractionMs = 0;
        const std::size_t start = at;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
            whole = whole * 10 + (text[at++] - '0');
            if (whole > kLimitMs) {
                return std::nullopt;
            }
        }
        if (at < text.size() && text[at] == '.') {
            int64_t scale = 100;
            for (++at; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
                fractionMs += (text[at] - '0') * scale;
                scale /= 10;
            }
        }
        if (at == start || at >= text.size()) {
            return std::nullopt;
        }
        const char unit = text[at++];
        int64_t unitMs = 0;
        if (!inTime && unit == 'D') {
            unitMs = 86400000;
        } else if (inTime && unit == 'H') {
            unitMs = 3600000;
        } else if (inTime && unit == 'M') {
            unitMs = 60000;
        } else if (inTime && unit == 'S') {
            unitMs = 1000;
        } else {
            return std::nullopt; // years and months, or a unit out of place
        }
        if (fractionMs != 0 && unit != 'S') {
            return std::nullopt;
        }
        total += whole * unitMs + fractionMs;
        if (total > kLimitMs) {
            return std::nullopt;
        }
        any = true;
    }
    return any ? std::optional<int64_t>(total) : std::nullopt;
}

bool IsHttpUri(std::string_view uri) {
    const auto starts = [&uri](std::string_view prefix) {
        if (uri.size() <= prefix.size()) {
            return false;
        }
        for (std::size_t i = 0; i < prefix.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(uri[i])) != prefix[i]) {
                return false;
            }
        }
        return true;
    };
    return starts("http://") || starts("https://");
}

std::string ReachableUri(const std::string& uri, const std::string& serviceUrl) {
    std::optional<HttpUrl> parsed = ParseHttpUrl(uri);
    const std::optional<HttpUrl> service = ParseHttpUrl(serviceUrl);
    if (!parsed || !service) {
        return uri;
    }
    const std::string& host = parsed->host;
    const bool nowhere = host == "localhost" || host.starts_with("127.") || host.starts_with("169.254.") ||
                         host == "0.0.0.0" || host == "[::1]" || host.starts_with("[fe80:");
    if (!nowhere) {
        return uri;
    }
    parsed->host = service->host;
    return FormatHttpUrl(*parsed);
}

std::optional<UploadTicket> ParseStartFirmwareUpgrade(std::string_view response) {
    return Ticket(response, "StartFirmwareUpgradeResponse", true);
}

std::optional<UploadTicket> ParseStartSystemRestore(std::string_view response) {
    return Ticket(response, "StartSystemRestoreResponse", false);
}

std::optional<std::string> ParseSystemBackupUri(std::string_view response) {
    const auto parsed = ParseResponseNamed(response, "GetSystemUrisResponse");
    if (!parsed) {
        return std::nullopt;
    }
    std::string uri = Text(Child(parsed->content, "SystemBackupUri"));
    return IsHttpUri(uri) ? uri : std::string();
}

} // namespace onvif
