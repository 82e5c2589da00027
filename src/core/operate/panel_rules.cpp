#include "operate/panel_rules.h"

#include "util/tool.h"
#include "util/utf.h"

namespace panel_rules {

namespace {

constexpr std::size_t kPasswordCharacters = 64;

// Byte length of the first count characters of valid UTF-8 text.
std::size_t PrefixBytes(std::string_view text, std::size_t count) {
    std::size_t offset = 0;
    for (std::size_t i = 0; i < count && offset < text.size(); ++i) {
        if (utf::DecodeNext(text, offset) == utf::kInvalid) {
            return text.size();
        }
    }
    return offset;
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t offset = 0;
    std::size_t count = 0;
    while (offset < text.size()) {
        if (utf::DecodeNext(text, offset) == utf::kInvalid) {
            break;
        }
        ++count;
    }
    return count;
}

} // namespace

PasswordEdit CheckPasswordEdit(std::string_view text) {
    PasswordEdit edit;
    if (text.empty()) {
        return edit;
    }
    std::string checked = Tool::FromUtf8(text);
    if (checked.empty() || !Tool::CheckPasswordChars(checked)) {
        edit.illegal = true;
        edit.offending = checked;
        edit.changed = true;
        return edit;
    }
    if (CharacterCount(text) > kPasswordCharacters) {
        edit.changed = true;
        edit.text.assign(text.substr(0, PrefixBytes(text, kPasswordCharacters)));
        return edit;
    }
    edit.text.assign(text);
    return edit;
}

bool PortsCollide(const PortTriple& ports, bool withTcp) {
    const int32_t rtsp = ports.rtsp & 0xFFFF;
    return ports.http == rtsp || (withTcp && (ports.http == ports.tcp || ports.tcp == rtsp));
}

std::string BrowseStartFolder(std::string_view path) {
    const std::size_t last = path.find_last_of("/\\");
    if (last == std::string_view::npos || last == 0) {
        return {};
    }
    return std::string(path.substr(0, last));
}

} // namespace panel_rules
