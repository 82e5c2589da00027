// Character-set checks of the password and model-name fields.
#include "util/tool.h"
#include "util/utf.h"

#include <string>
#include <string_view>

namespace Tool {

namespace {

bool IsPasswordChar(unsigned char c) {
    constexpr std::string_view kSymbols = "!#$%&*+,-./:;<=>?@^_|";
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           kSymbols.find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsModelChar(unsigned char c) {
    return c >= 0x20 && c <= 0x7E && c != '"' && c != '\'' && c != '?' && c != '\\';
}

// Replaces the text by its first character that fails the test and returns
// false; a character of several UTF-8 bytes is kept whole so it can be shown.
template <typename IsAllowed> bool CheckChars(std::string& text, IsAllowed isAllowed) {
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (isAllowed(static_cast<unsigned char>(text[pos]))) {
            continue;
        }
        std::size_t end = pos;
        if (utf::DecodeNext(text, end) == utf::kInvalid) {
            end = pos + 1;
        }
        text = text.substr(pos, end - pos);
        return false;
    }
    return true;
}

} // namespace

bool CheckPasswordChars(std::string& text) {
    return CheckChars(text, IsPasswordChar);
}

bool CheckModelChars(std::string& text) {
    return CheckChars(text, IsModelChar);
}

} // namespace Tool
