#include "util/utf.h"

#include <cstdint>

namespace utf {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Converts 16-bit units read by unitAt(i) for i < count.
template <typename UnitAt> std::string FromUtf16(std::size_t count, UnitAt unitAt) {
    std::string out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 < count) {
                const char32_t low = unitAt(i + 1);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    Append(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                    ++i;
                    continue;
                }
            }
            Append(out, kReplacement);
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            Append(out, kReplacement);
        } else {
            Append(out, unit);
        }
    }
    return out;
}

// Simple lower-case mapping of the upper-case letters of Latin-1, Latin
// Extended-A, Greek and Cyrillic.
char32_t FoldCase(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return c + 0x20;
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Pairs: upper case even below U+0138, odd from U+0139 to U+0148 and
        // from U+0179 on; even again from U+014A to U+0177.
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || c >= 0x179;
        if (oddUpper) {
            return (c % 2 == 1) ? c + 1 : c;
        }
        return (c % 2 == 0) ? c + 1 : c;
    }
    if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2)) {
        return c + 0x20;
    }
    // Greek capitals with tonos, and the final sigma compared as sigma.
    switch (c) {
    case 0x386:
        return 0x3AC;
    case 0x388:
    case 0x389:
    case 0x38A:
        return c + 0x25;
    case 0x38C:
        return 0x3CC;
    case 0x38E:
    case 0x38F:
        return c + 0x3F;
    case 0x3C2:
        return 0x3C3;
    default:
        break;
    }
    if (c >= 0x410 && c <= 0x42F) {
        return c + 0x20;
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 0x50;
    }
    return c;
}

} // namespace

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t posA = 0;
    std::size_t posB = 0;
    while (posA < a.size() && posB < b.size()) {
        const std::size_t startA = posA;
        const std::size_t startB = posB;
        const char32_t ca = DecodeNext(a, posA);
        const char32_t cb = DecodeNext(b, posB);
        if (ca == kInvalid || cb == kInvalid) {
            if (ca != cb || a[startA] != b[startB]) {
                return false;
            }
            continue;
        }
        if (FoldCase(ca) != FoldCase(cb)) {
            return false;
        }
    }
    return posA == a.size() && posB == b.size();
}

char32_t DecodeNext(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        return kInvalid;
    }
    if (text.size() - pos < length) {
        ++pos;
        return kInvalid;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if (!IsContinuation(next)) {
            ++pos;
            return kInvalid;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return kInvalid;
    }
    pos += length;
    return value;
}

bool IsValid(std::string_view utf8) {
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        if (DecodeNext(utf8, pos) == kInvalid) {
            return false;
        }
    }
    return true;
}

void Append(std::string& out, char32_t codePoint) {
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        codePoint = kReplacement;
    }
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string FromUtf16Le(std::string_view bytes) {
    const std::size_t count = bytes.size() / 2;
    std::string out = FromUtf16(count, [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    });
    if (bytes.size() % 2 != 0) {
        Append(out, kReplacement);
    }
    return out;
}

std::string FromUtf16Be(std::string_view bytes) {
    const std::size_t count = bytes.size() / 2;
    std::string out = FromUtf16(count, [&](std::size_t i) {
        return static_cast<char32_t>((static_cast<unsigned char>(bytes[2 * i]) << 8) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]));
    });
    if (bytes.size() % 2 != 0) {
        Append(out, kReplacement);
    }
    return out;
}

std::size_t Utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t codePoint = DecodeNext(utf8, pos);
        units += (codePoint != kInvalid && codePoint >= 0x10000) ? 2 : 1;
    }
    return units;
}

std::size_t PrefixForUtf16Units(std::string_view utf8, std::size_t maxUnits) {
    std::size_t units = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t next = pos;
        const char32_t codePoint = DecodeNext(utf8, next);
        const std::size_t width = (codePoint != kInvalid && codePoint >= 0x10000) ? 2 : 1;
        if (units + width > maxUnits) {
            break;
        }
        units += width;
        pos = next;
    }
    return pos;
}

} // namespace utf
