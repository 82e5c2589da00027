// Number parsing of the Tool helpers.
#include "util/tool.h"

#include <arpa/inet.h>
#include <cstdint>
#include <limits>
#include <string>

namespace Tool {

namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    return 99;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

int32_t ToInt(std::string_view text, int base) {
    if (base < 2 || base > 36) {
        return 0;
    }
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Accumulate the magnitude, stopping the growth once it passes the
    // largest magnitude any 32-bit value can have; the digits still count.
    constexpr int64_t kCeiling = int64_t{1} << 32;
    int64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = DigitValue(text[pos]);
        if (digit >= base) {
            break;
        }
        if (magnitude < kCeiling) {
            magnitude = magnitude * base + digit;
        }
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    if (value < std::numeric_limits<int32_t>::min()) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(value);
}

int64_t ToInt64(std::string_view text, int base) {
    return ToInt(text, base);
}

uint32_t IpToHostOrder(std::string_view dotted) {
    // The platform's parser, as the configuration exchanges expect: it also
    // takes the short and the octal and hexadecimal forms.
    const std::string narrow = ToNarrow(dotted);
    return ntohl(::inet_addr(narrow.c_str()));
}

} // namespace Tool
