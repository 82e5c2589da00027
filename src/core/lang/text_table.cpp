#include "lang/text_table.h"

#include "ini/ini_file.h"
#include "ini/ini_text.h"
#include "util/utf.h"

#include <optional>
#include <utility>

namespace {

constexpr std::string_view kPackSection = "String";

// One UTF-8 byte never takes more than one UTF-16 unit, so this many bytes
// always hold at least a full buffer's worth of text.
constexpr std::size_t kSectionReadBytes = 4 * kPackSectionUnits;

} // namespace

std::vector<std::string> CutToSectionBuffer(std::vector<std::string> lines) {
    // The data ends with an empty line, which takes the buffer's last unit.
    constexpr std::size_t kRoom = kPackSectionUnits - 1;
    std::size_t used = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t units = utf::Utf16Length(lines[i]);
        if (used + units + 1 <= kRoom) {
            used += units + 1;
            continue;
        }
        // Room for part of this line and its terminator, if any.
        const std::size_t left = kRoom - used;
        if (left > 1) {
            lines[i].resize(utf::PrefixForUtf16Units(lines[i], left - 1));
            lines.resize(i + 1);
        } else {
            lines.resize(i);
        }
        break;
    }
    return lines;
}

TextTable ParsePackLines(const std::vector<std::string>& lines) {
    TextTable table;
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        // A line with an empty key is ignored too: the empty key stands for
        // "no text" (socket code -8) and must stay empty.
        if (equals == std::string::npos || equals == 0) {
            continue;
        }
        // try_emplace leaves a key that is already present alone, so the
        // first line of a key wins.
        table.try_emplace(line.substr(0, equals), line.substr(equals + 1));
    }
    return table;
}

TextTable ParsePackText(std::string_view text) {
    return ParsePackLines(CutToSectionBuffer(ini::SectionLines(text, kPackSection, kSectionReadBytes)));
}

TextTable ReadPackFile(const std::string& path) {
    const std::optional<std::string> text = ini::ReadFileText(path);
    if (!text) {
        return {};
    }
    return ParsePackText(*text);
}
