// Text conversions and text editing of the Tool helpers. The system 8-bit
// code page is UTF-8 here, so the "ANSI" forms and the UTF-8 forms agree.
#include "util/tool.h"
#include "util/utf.h"

#include <string>

namespace Tool {

namespace {

constexpr std::size_t kAnsiLimitedUnits = 32009;

} // namespace

std::string ToAnsi(std::string_view text) {
    return std::string(text);
}

std::string ToUtf8(std::string_view text) {
    return std::string(text);
}

std::string ToNarrow(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

std::string FromUtf8(std::string_view bytes) {
    if (!utf::IsValid(bytes)) {
        return {};
    }
    return std::string(bytes);
}

std::string ToAnsiLimited(std::string_view text) {
    return std::string(text.substr(0, utf::PrefixForUtf16Units(text, kAnsiLimitedUnits)));
}

std::size_t Utf16Length(std::string_view utf8) {
    return utf::Utf16Length(utf8);
}

void ReplaceAll(std::string& text, std::string_view search, std::string_view replacement) {
    // An empty search text would match everywhere and never end.
    if (search.empty()) {
        return;
    }
    std::size_t pos = 0;
    while ((pos = text.find(search, pos)) != std::string::npos) {
        text.replace(pos, search.size(), replacement);
        pos += replacement.size();
    }
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace Tool
