#include "onvif/mtom.h"

#include <algorithm>
#include <cctype>

namespace onvif {
namespace {

constexpr std::string_view kBoundary = "corvane-mime-boundary-7d1f3a";
constexpr std::size_t kMaxParts = 64;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

std::string Unbracket(std::string_view id) {
    id = Trim(id);
    if (id.size() >= 2 && id.front() == '<' && id.back() == '>') {
        id = id.substr(1, id.size() - 2);
    }
    return std::string(id);
}

// One part: headers, an empty line, the data.
std::optional<MimePart> ReadPart(std::string_view part) {
    const std::size_t split = part.find("\r\n\r\n");
    if (split == std::string_view::npos) {
        return std::nullopt;
    }
    MimePart result;
    result.data = part.substr(split + 4);
    std::string_view headers = part.substr(0, split);
    while (!headers.empty()) {
        const std::size_t end = headers.find("\r\n");
        const std::string_view line = headers.substr(0, end);
        headers = end == std::string_view::npos ? std::string_view() : headers.substr(end + 2);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string name = Lower(Trim(line.substr(0, colon)));
        if (name == "content-id") {
            result.contentId = Unbracket(line.substr(colon + 1));
        } else if (name == "content-type") {
            result.contentType = std::string(Trim(line.substr(colon + 1)));
        }
    }
    return result;
}

} // namespace

MtomFrame MakeMtomFrame(std::string_view envelope, std::string_view action, std::string_view contentId) {
    const std::string boundary(kBoundary);
    MtomFrame frame;
    frame.contentType = "multipart/related; type=\"application/xop+xml\"; boundary=\"" + boundary +
                        "\"; start=\"<root@corvane>\"; start-info=\"application/soap+xml; action=\\\"" +
                        std::string(action) + "\\\"\"";
    frame.head = "--" + boundary +
                 "\r\nContent-Type: application/xop+xml; charset=UTF-8; type=\"application/soap+xml\""
                 "\r\nContent-Transfer-Encoding: 8bit\r\nContent-ID: <root@corvane>\r\n\r\n" +
                 std::string(envelope) + "\r\n--" + boundary +
                 "\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: binary"
                 "\r\nContent-ID: <" +
                 std::string(contentId) + ">\r\n\r\n";
    frame.tail = "\r\n--" + boundary + "--\r\n";
    return frame;
}

std::string HeaderParameter(std::string_view value, std::string_view name) {
    const std::string lower = Lower(value);
    const std::string key = Lower(name) + "=";
    std::size_t at = 0;
    while ((at = lower.find(key, at)) != std::string::npos) {
        const bool starts = at > 0 && (lower[at - 1] == ';' || lower[at - 1] == ' ' || lower[at - 1] == '\t');
        if (!starts) {
            at += key.size();
            continue;
        }
        std::size_t begin = at + key.size();
        if (begin < value.size() && value[begin] == '"') {
            std::string text;
            for (++begin; begin < value.size() && value[begin] != '"'; ++begin) {
                if (value[begin] == '\\' && begin + 1 < value.size()) {
                    ++begin;
                }
                text += value[begin];
            }
            return text;
        }
        const std::size_t end = value.find(';', begin);
        return std::string(Trim(value.substr(begin, end == std::string_view::npos ? end : end - begin)));
    }
    return {};
}

std::string ContentIdOf(std::string_view href) {
    if (href.size() <= 4 || Lower(href.substr(0, 4)) != "cid:") {
        return {};
    }
    return std::string(href.substr(4));
}

std::optional<Multipart> ParseMultipart(std::string_view contentType, std::string_view body) {
    if (Lower(Trim(contentType)).rfind("multipart/", 0) != 0) {
        return std::nullopt;
    }
    const std::string boundary = HeaderParameter(contentType, "boundary");
    if (boundary.empty() || boundary.size() > 200) {
        return std::nullopt;
    }
    const std::string delimiter = "--" + boundary;
    // The first delimiter may open the body; later ones follow a line break.
    std::size_t at = body.rfind(delimiter, 0) == 0 ? 0 : body.find("\r\n" + delimiter);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    at = body.find(delimiter, at) + delimiter.size();
    Multipart result;
    while (true) {
        if (body.substr(at, 2) == "--") {
            break; // the closing delimiter
        }
        const std::size_t lineEnd = body.find("\r\n", at);
        const std::size_t next = body.find("\r\n" + delimiter, at);
        if (lineEnd == std::string_view::npos || next == std::string_view::npos || lineEnd > next ||
            result.parts.size() == kMaxParts) {
            return std::nullopt;
        }
        auto part = ReadPart(body.substr(lineEnd + 2, next - lineEnd - 2));
        if (!part) {
            return std::nullopt;
        }
        result.parts.push_back(std::move(*part));
        at = next + 2 + delimiter.size();
    }
    if (result.parts.empty()) {
        return std::nullopt;
    }
    const std::string start = Unbracket(HeaderParameter(contentType, "start"));
    for (std::size_t i = 0; i < result.parts.size() && !start.empty(); ++i) {
        if (result.parts[i].contentId == start) {
            result.root = i;
        }
    }
    return result;
}

} // namespace onvif
