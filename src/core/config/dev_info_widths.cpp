// The device list's column widths as one Config.ini value.
#include "config/app_config.h"
#include "ini/ini_file.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace {

int ClampWidth(int width) {
    return width <= 0 ? 0 : std::clamp(width, kMinDevInfoWidth, kMaxDevInfoWidth);
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A plain decimal number; huge ones saturate (and are clamped by the caller).
bool ParseWidth(std::string_view item, int& width) {
    item = Trimmed(item);
    if (item.empty() || item.size() > 9) {
        return false;
    }
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), width);
    return error == std::errc() && end == item.data() + item.size();
}

} // namespace

std::vector<int> ParseDevInfoWidths(std::string_view text) {
    std::vector<int> widths;
    widths.reserve(kDevInfoColumnCount);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        int width = 0;
        if (widths.size() == kDevInfoColumnCount || !ParseWidth(text.substr(start, comma - start), width)) {
            return std::vector<int>(kDevInfoColumnCount, 0);
        }
        widths.push_back(ClampWidth(width));
        start = comma + 1;
    }
    for (const int before : kDevInfoColumnCountsBefore) {
        if (widths.size() == static_cast<std::size_t>(before)) {
            widths.resize(kDevInfoColumnCount, 0);
        }
    }
    if (widths.size() != kDevInfoColumnCount) {
        return std::vector<int>(kDevInfoColumnCount, 0);
    }
    return widths;
}

std::string FormatDevInfoWidths(const std::vector<int>& widths) {
    std::string text;
    for (int column = 0; column < kDevInfoColumnCount; ++column) {
        if (column > 0) {
            text += ',';
        }
        const std::size_t at = static_cast<std::size_t>(column);
        text += std::to_string(at < widths.size() ? ClampWidth(widths[at]) : 0);
    }
    return text;
}

bool SaveDevInfoWidths(AppConfig& config, const std::vector<int>& widths) {
    const std::string text = FormatDevInfoWidths(widths);
    config.DevInfoWidths = ParseDevInfoWidths(text);
    return ini::WriteString(config.ConfigPath, "DEVINFO_CFG", "Dev_Widths", text);
}
