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

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The digits of the run at the start of text, without leading zeros.
std::string_view DigitRun(std::string_view text, std::size_t& length) {
    length = 0;
    while (length < text.size() && IsDigit(text[length])) {
        ++length;
    }
    std::string_view run = text.substr(0, length);
    while (run.size() > 1 && run.front() == '0') {
        run.remove_prefix(1);
    }
    return run;
}

} // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t lengthA = 0;
            std::size_t lengthB = 0;
            const std::string_view runA = DigitRun(a.substr(i), lengthA);
            const std::string_view runB = DigitRun(b.substr(j), lengthB);
            // Any length of digits: a longer run without leading zeros is larger.
            if (runA.size() != runB.size()) {
                return runA.size() < runB.size();
            }
            if (runA != runB) {
                return runA < runB;
            }
            i += lengthA;
            j += lengthB;
            continue;
        }
        if (a[i] != b[j]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        }
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) {
        return j < b.size() && i >= a.size();
    }
    return a < b;
}

} // namespace Tool
