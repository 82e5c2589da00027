// The rules that keep edit fields valid while the user types.
#include "util/tool.h"
#include "util/utf.h"

#include <string>

namespace Tool {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

EditFieldResult Rewrite(std::string text) {
    EditFieldResult result;
    result.changed = true;
    result.caret = utf::Utf16Length(text);
    result.text = std::move(text);
    return result;
}

EditFieldResult Unchanged(std::string_view text) {
    EditFieldResult result;
    result.text.assign(text);
    result.caret = utf::Utf16Length(text);
    return result;
}

// Byte length of the text without its last character.
std::size_t WithoutLastCharacter(std::string_view text) {
    std::size_t end = text.size();
    if (end == 0) {
        return 0;
    }
    --end;
    // Step back over continuation bytes to the start of the character, but
    // never more than a UTF-8 sequence can be long.
    std::size_t steps = 0;
    while (end > 0 && steps < 3 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
        ++steps;
    }
    std::size_t check = end;
    if (utf::DecodeNext(text, check) == utf::kInvalid || check != text.size()) {
        return text.size() - 1; // not one whole character: drop one byte
    }
    return end;
}

} // namespace

EditFieldResult ClampEditNumber(std::string_view text, int64_t minimum, int64_t maximum) {
    int64_t value = ToInt64(text, 10);
    // Unsigned comparison, as the fields have always done: a negative value
    // counts as larger than any maximum and is clamped to it.
    const auto unsignedValue = static_cast<uint64_t>(value);
    bool rewrite = false;
    if (unsignedValue < static_cast<uint64_t>(minimum)) {
        value = minimum;
        rewrite = true;
    } else if (unsignedValue > static_cast<uint64_t>(maximum)) {
        value = maximum;
        rewrite = true;
    } else if (text.empty() || (text.size() >= 2 && text.front() == '0') || !IsDigit(text.back()) ||
               !IsDigit(text.front())) {
        rewrite = true;
    }
    if (!rewrite) {
        return Unchanged(text);
    }
    return Rewrite(std::to_string(static_cast<int32_t>(value)));
}

EditFieldResult LimitEditUtf8(std::string_view text) {
    constexpr std::size_t kMaxBytes = 256;
    constexpr std::size_t kKeptCharacters = 256;
    std::string_view trimmed = text;
    while (!trimmed.empty() && trimmed.back() == ' ') {
        trimmed.remove_suffix(1);
    }
    if (trimmed.size() > kMaxBytes) {
        trimmed = trimmed.substr(0, utf::PrefixForUtf16Units(trimmed, kKeptCharacters));
    }
    if (trimmed.size() == text.size()) {
        return Unchanged(text);
    }
    return Rewrite(std::string(trimmed));
}

EditFieldResult LimitEditAnsi(std::string_view text, std::size_t byteLimit) {
    if (text.empty() || ToAnsi(text).size() < byteLimit) {
        return Unchanged(text);
    }
    // The field drops its last character at each change, and writing the text
    // back is a change again, so it ends below the limit: give that end at once
    // (a pasted text may be several characters too long).
    std::string_view kept = text;
    while (!kept.empty() && ToAnsi(kept).size() >= byteLimit) {
        kept = kept.substr(0, WithoutLastCharacter(kept));
    }
    return Rewrite(std::string(kept));
}

} // namespace Tool
