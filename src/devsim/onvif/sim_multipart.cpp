#include "onvif/sim_multipart.h"

#include <algorithm>
#include <cctype>
#include <strings.h>

namespace onvifsim {
namespace {

constexpr const char* kAnswerBoundary = "sim-part-boundary-42";

std::string LowerCopy(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string Parameter(std::string_view header, const std::string& name) {
    const std::string lower = LowerCopy(header);
    std::size_t at = lower.find("; " + name + "=");
    std::size_t skip = name.size() + 3;
    if (at == std::string::npos) {
        at = lower.find(";" + name + "=");
        skip = name.size() + 2;
    }
    if (at == std::string::npos) {
        return {};
    }
    std::string_view value = header.substr(at + skip);
    if (!value.empty() && value[0] == '"') {
        const std::size_t end = value.find('"', 1);
        return end == std::string_view::npos ? std::string() : std::string(value.substr(1, end - 1));
    }
    return std::string(value.substr(0, value.find(';')));
}

} // namespace

bool IsMultipart(std::string_view contentType) {
    return LowerCopy(contentType.substr(0, 18)) == "multipart/related;";
}

std::optional<std::vector<SimPart>> SplitMultipart(std::string_view contentType, std::string_view body) {
    const std::string boundary = Parameter(contentType, "boundary");
    if (boundary.empty()) {
        return std::nullopt;
    }
    const std::string marker = "--" + boundary;
    std::vector<SimPart> parts;
    std::size_t at = body.find(marker);
    while (at != std::string_view::npos && parts.size() < 16) {
        at += marker.size();
        if (body.substr(at, 2) == "--") {
            break;
        }
        const std::size_t headersEnd = body.find("\r\n\r\n", at);
        const std::size_t next = body.find("\r\n" + marker, at);
        if (headersEnd == std::string_view::npos || next == std::string_view::npos || headersEnd > next) {
            return std::nullopt;
        }
        SimPart part;
        part.data = body.substr(headersEnd + 4, next - headersEnd - 4);
        std::string_view headers = body.substr(at, headersEnd - at);
        for (std::size_t line = 0; line < headers.size();) {
            std::size_t end = headers.find("\r\n", line);
            end = end == std::string_view::npos ? headers.size() : end;
            const std::string_view text = headers.substr(line, end - line);
            if (text.size() > 11 && strncasecmp(text.data(), "content-id:", 11) == 0) {
                std::string id(text.substr(11));
                id.erase(0, id.find_first_not_of(" <"));
                id.erase(id.find_last_not_of(" >") + 1);
                part.id = id;
            }
            line = end + 2;
        }
        parts.push_back(part);
        at = next + 2;
    }
    if (parts.empty()) {
        return std::nullopt;
    }
    // The root is the part the start parameter names (else the first).
    const std::string start = Parameter(contentType, "start");
    const auto root = std::find_if(parts.begin(), parts.end(), [&start](const SimPart& part) {
        return !start.empty() && "<" + part.id + ">" == start;
    });
    if (root != parts.end()) {
        std::rotate(parts.begin(), root, root + 1);
    }
    return parts;
}

MultipartAnswer JoinMultipart(const std::string& envelope, const std::string& attachmentId,
                              std::string_view attachment) {
    const std::string boundary = kAnswerBoundary;
    MultipartAnswer answer;
    answer.contentType = "multipart/related; type=\"application/xop+xml\"; boundary=\"" + boundary +
                         "\"; start=\"<envelope@sim>\"; start-info=\"application/soap+xml\"";
    answer.body = "--" + boundary +
                  "\r\nContent-Type: application/xop+xml; charset=UTF-8; type=\"application/soap+xml\""
                  "\r\nContent-ID: <envelope@sim>\r\n\r\n" +
                  envelope + "\r\n--" + boundary +
                  "\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: binary"
                  "\r\nContent-ID: <" +
                  attachmentId + ">\r\n\r\n";
    answer.body.append(attachment);
    answer.body += "\r\n--" + boundary + "--\r\n";
    return answer;
}

std::string CidTarget(std::string_view href) {
    return href.size() > 4 && strncasecmp(href.data(), "cid:", 4) == 0 ? std::string(href.substr(4))
                                                                       : std::string();
}

} // namespace onvifsim
