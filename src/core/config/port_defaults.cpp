#include "config/port_defaults.h"

#include "ini/ini_file.h"
#include "ini/ini_text.h"
#include "util/tool.h"

#include <optional>
#include <string_view>

namespace {

void ReadPort(std::string_view text, std::string_view key, uint16_t& port) {
    const std::optional<std::string> value = ini::FindValue(text, "DEFAULT_CFG", key);
    if (!value || value->empty()) {
        return;
    }
    // A number: digits first, after an optional plus sign.
    const std::string_view digits = (value->front() == '+') ? std::string_view(*value).substr(1) : *value;
    if (digits.empty() || digits.front() < '0' || digits.front() > '9') {
        return;
    }
    const int number = Tool::ToInt(digits, 10);
    if (number >= 1 && number <= 65535) {
        port = static_cast<uint16_t>(number);
    }
}

} // namespace

PortDefaults ReadPortDefaults(const std::string& configPath) {
    PortDefaults ports;
    const std::optional<std::string> text = ini::ReadFileText(configPath);
    if (!text) {
        return ports;
    }
    ReadPort(*text, "Http_port", ports.Http);
    ReadPort(*text, "Tcp_port", ports.Tcp);
    ReadPort(*text, "Rtsp_port", ports.Rtsp);
    return ports;
}
