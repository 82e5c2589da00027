#include "preview/rtsp_url.h"

namespace preview {
namespace {

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

} // namespace

std::string PercentEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (Unreserved(c)) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

std::string WithCredentials(std::string_view url, std::string_view user, std::string_view password) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) {
        return std::string(url);
    }
    const std::size_t start = scheme + 3;
    const std::size_t pathAt = std::min(url.find_first_of("/?#", start), url.size());
    // An '@' before the path ends the user information the address had.
    const std::size_t at = url.substr(start, pathAt - start).rfind('@');
    const std::size_t hostAt = at == std::string_view::npos ? start : start + at + 1;
    std::string result(url.substr(0, start));
    if (!user.empty()) {
        result += PercentEncode(user) + ":" + PercentEncode(password) + "@";
    }
    result += url.substr(hostAt);
    return result;
}

} // namespace preview
