#include "capacity/resolution_list.h"

#include "ini/ini_file.h"
#include "util/tool.h"

namespace capacity {

namespace {

// Cuts a token to the byte limit without splitting a UTF-8 sequence.
std::string_view LimitToken(std::string_view token) {
    if (token.size() <= kMaxResolutionTokenBytes) {
        return token;
    }
    std::size_t end = kMaxResolutionTokenBytes;
    while (end > 0 && (static_cast<uint8_t>(token[end]) & 0xC0) == 0x80) {
        --end;
    }
    return token.substr(0, end);
}

} // namespace

ResolutionList ParseResolutionList(std::string_view value) {
    ResolutionList list;
    int32_t currentId = -1;
    std::size_t tokenStart = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c != ',' && c != '|') {
            continue;
        }
        const std::string_view token = LimitToken(value.substr(tokenStart, i - tokenStart));
        if (c == ',') {
            currentId = Tool::ToInt(token, 10);
        } else {
            list.emplace(currentId, std::string(token)); // keeps an existing entry
        }
        tokenStart = i + 1;
    }
    if (tokenStart < value.size()) {
        list.emplace(currentId, std::string(LimitToken(value.substr(tokenStart))));
    }
    return list;
}

ResolutionList LoadResolutionList(const std::string& encodeIniPath) {
    return ParseResolutionList(
        ini::GetString(encodeIniPath, "ENCODE", "Resolution", "", kMaxResolutionValueChars));
}

} // namespace capacity
