#include "support/text_format.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length;
    uint32_t minimum;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    uint32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// Whether the valid sequence of length at text[i] is a C1 control
// character, U+0080..U+009F (0xC2 0x80..0x9F).
bool IsC1(std::string_view text, std::size_t i, std::size_t length) {
    return length == 2 && static_cast<unsigned char>(text[i]) == 0xC2 &&
           static_cast<unsigned char>(text[i + 1]) < 0xA0;
}

} // namespace

std::optional<OutputFormat> ParseOutputFormat(std::string_view name) {
    if (name == "table") {
        return OutputFormat::Table;
    }
    if (name == "json") {
        return OutputFormat::Json;
    }
    if (name == "csv") {
        return OutputFormat::Csv;
    }
    return std::nullopt;
}

std::string JsonString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else if (IsC1(text, i, length)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(text[i + 1]));
            out += escaped;
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    out += '"';
    return out;
}

std::string CsvField(std::string_view text) {
    // A spreadsheet takes a field starting like this for a formula: the
    // field is quoted and starts with an apostrophe, so it stays text.
    const bool formula =
        !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
    if (!formula && text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string out = formula ? "\"'" : "\"";
    for (const char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
    return out;
}

std::string TableCell(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        const auto lead = static_cast<unsigned char>(text[i]);
        // C0 and DEL; a byte that is not valid UTF-8 (a lone 0x9B is CSI to
        // an 8-bit terminal); C1, U+0080..U+009F, written as 0xC2 0x80..0x9F.
        const bool control = length == 0 || lead < 0x20 || lead == 0x7F || IsC1(text, i, length);
        if (control) {
            out += '?';
            i += length == 0 ? 1 : length;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

namespace {

// Where a help line's description starts: after the first run of two or more
// spaces that follows the line's indentation; the indentation when none.
std::size_t ContinuationIndent(std::string_view line, std::size_t width) {
    const std::size_t indent = std::min(line.find_first_not_of(' '), line.size());
    const std::size_t gap = line.find("  ", indent);
    std::size_t column = indent;
    if (gap != std::string_view::npos) {
        const std::size_t description = line.find_first_not_of(' ', gap);
        if (description != std::string_view::npos) {
            column = description;
        }
    }
    // A description too far right leaves too little room: indent less.
    return column + 20 > width ? std::min<std::size_t>(indent + 4, width / 2) : column;
}

void WrapLine(std::string_view line, std::size_t width, std::string& out) {
    if (line.size() <= width) {
        out.append(line);
        return;
    }
    const std::size_t indent = ContinuationIndent(line, width);
    std::size_t lineStart = 0; // in line: where the current output line starts
    std::size_t prefix = 0;    // spaces put before it
    while (true) {
        const std::size_t room = width - prefix;
        std::string_view rest = line.substr(lineStart);
        if (rest.size() <= room) {
            out.append(prefix, ' ');
            out.append(rest);
            return;
        }
        std::size_t cut = rest.rfind(' ', room);
        // Only spaces after the text's own indentation are break points.
        const std::size_t firstText = prefix == 0 ? std::min(rest.find_first_not_of(' '), rest.size()) : 0;
        if (cut == std::string_view::npos || cut <= firstText) {
            cut = room; // one word longer than the line
        }
        std::string_view piece = rest.substr(0, cut);
        while (!piece.empty() && piece.back() == ' ') {
            piece.remove_suffix(1);
        }
        out.append(prefix, ' ');
        out.append(piece);
        out += '\n';
        lineStart += cut;
        while (lineStart < line.size() && line[lineStart] == ' ') {
            ++lineStart;
        }
        if (lineStart >= line.size()) {
            return;
        }
        prefix = indent;
    }
}

} // namespace

std::string WrapText(std::string_view text, std::size_t width) {
    if (width < 20) {
        return std::string(text); // no room to wrap into
    }
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string_view line =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        WrapLine(line, width, out);
        if (end == std::string_view::npos) {
            break;
        }
        out += '\n';
        start = end + 1;
    }
    return out;
}
