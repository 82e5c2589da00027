#include "ini/ini_text.h"

#include "util/utf.h"

namespace ini {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

enum class LineKind { Blank, Comment, Section, Key, Ignored };

// One line of the text. Offsets are into the whole text.
struct Line {
    std::size_t begin = 0;        // first byte of the line
    std::size_t end = 0;          // the '\n' or the end of the text
    std::size_t next = 0;         // first byte of the following line
    std::size_t contentBegin = 0; // the line without surrounding blanks
    std::size_t contentEnd = 0;
    LineKind kind = LineKind::Blank;
    std::string_view name;      // section name, or key name (trimmed)
    std::string_view value;     // trimmed value of a key line
    bool hasValue = false;      // key line with '='
    std::size_t valueBegin = 0; // where the value starts (or would start)
};

class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    bool Next(Line& line) {
        if (m_pos >= m_text.size()) {
            return false;
        }
        line = Line{};
        line.begin = m_pos;
        const std::size_t newline = m_text.find('\n', m_pos);
        line.end = newline == std::string_view::npos ? m_text.size() : newline;
        line.next = newline == std::string_view::npos ? m_text.size() : newline + 1;
        m_pos = line.next;
        Classify(line);
        return true;
    }

private:
    void Classify(Line& line) const {
        std::size_t begin = line.begin;
        std::size_t end = line.end;
        while (begin < end && IsBlank(m_text[begin])) {
            ++begin;
        }
        while (end > begin && IsBlank(m_text[end - 1])) {
            --end;
        }
        line.contentBegin = begin;
        line.contentEnd = end;
        const std::string_view content = m_text.substr(begin, end - begin);
        if (content.empty()) {
            line.kind = LineKind::Blank;
            return;
        }
        if (content.front() == ';') {
            line.kind = LineKind::Comment;
            return;
        }
        if (content.front() == '[') {
            const std::size_t close = content.find(']');
            if (close == std::string_view::npos) {
                line.kind = LineKind::Ignored;
                return;
            }
            line.kind = LineKind::Section;
            line.name = Trim(content.substr(1, close - 1));
            return;
        }
        line.kind = LineKind::Key;
        const std::size_t equals = content.find('=');
        if (equals == std::string_view::npos) {
            line.name = content;
            line.valueBegin = end;
            return;
        }
        line.hasValue = true;
        line.name = Trim(content.substr(0, equals));
        std::size_t valueBegin = begin + equals + 1;
        while (valueBegin < end && IsBlank(m_text[valueBegin])) {
            ++valueBegin;
        }
        line.valueBegin = valueBegin;
        line.value = m_text.substr(valueBegin, end - valueBegin);
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Moves the reader to the line after the header of the first section named
// section; false when there is none.
bool SeekSection(LineReader& reader, std::string_view section, Line* header = nullptr) {
    Line line;
    while (reader.Next(line)) {
        if (line.kind == LineKind::Section && EqualNoCase(line.name, section)) {
            if (header != nullptr) {
                *header = line;
            }
            return true;
        }
    }
    return false;
}

std::string_view StripQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool HasBreakOrZero(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::string_view LineBreakOf(std::string_view text) {
    const std::size_t newline = text.find('\n');
    if (newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r') {
        return "\r\n";
    }
    return "\n";
}

} // namespace

DecodedText DecodeBytes(std::string_view bytes) {
    DecodedText decoded;
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        decoded.encoding = FileEncoding::Utf8WithBom;
        decoded.text.assign(bytes.substr(3));
    } else if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") {
        decoded.encoding = FileEncoding::Utf16Le;
        decoded.text = utf::FromUtf16Le(bytes.substr(2));
    } else if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") {
        decoded.encoding = FileEncoding::Utf16Be;
        decoded.text = utf::FromUtf16Be(bytes.substr(2));
    } else {
        decoded.text.assign(bytes);
    }
    return decoded;
}

std::optional<std::string> FindValue(std::string_view text, std::string_view section, std::string_view key) {
    LineReader reader(text);
    if (!SeekSection(reader, section)) {
        return std::nullopt;
    }
    Line line;
    while (reader.Next(line)) {
        if (line.kind == LineKind::Section) {
            break;
        }
        if (line.kind == LineKind::Key && EqualNoCase(line.name, key)) {
            if (!line.hasValue) {
                return std::nullopt;
            }
            return std::string(StripQuotes(line.value));
        }
    }
    return std::nullopt;
}

std::vector<std::string> SectionLines(std::string_view text, std::string_view section, std::size_t maxBytes) {
    std::vector<std::string> lines;
    LineReader reader(text);
    if (!SeekSection(reader, section)) {
        return lines;
    }
    std::size_t budget = maxBytes;
    Line line;
    while (reader.Next(line)) {
        if (line.kind == LineKind::Section) {
            break;
        }
        if (line.kind != LineKind::Key) {
            continue;
        }
        std::string entry(line.name);
        if (line.hasValue) {
            entry += '=';
            entry += line.value;
        }
        if (entry.size() + 1 <= budget) {
            budget -= entry.size() + 1;
            lines.push_back(std::move(entry));
            continue;
        }
        // The last line that fits only in part: cut it at a character boundary.
        if (budget > 1) {
            std::size_t cut = budget - 1;
            while (cut > 0 && (static_cast<unsigned char>(entry[cut]) & 0xC0) == 0x80) {
                --cut;
            }
            if (cut > 0) {
                entry.resize(cut);
                lines.push_back(std::move(entry));
            }
        }
        break;
    }
    return lines;
}

bool IsWritable(std::string_view section, std::string_view key, std::string_view value) {
    if (section.empty() || key.empty() || HasBreakOrZero(section) || HasBreakOrZero(key) ||
        HasBreakOrZero(value)) {
        return false;
    }
    if (Trim(section) != section || Trim(key) != key) {
        return false;
    }
    return section.find(']') == std::string_view::npos && key.find('=') == std::string_view::npos &&
           key.front() != ';' && key.front() != '[';
}

std::optional<std::string> SetValue(std::string_view text, std::string_view section, std::string_view key,
                                    std::string_view value) {
    if (!IsWritable(section, key, value)) {
        return std::nullopt;
    }
    const std::string_view lineBreak = LineBreakOf(text);
    std::string keyLine(key);
    keyLine += '=';
    keyLine += value;

    LineReader reader(text);
    Line header;
    if (!SeekSection(reader, section, &header)) {
        std::string edited(text);
        if (!edited.empty() && edited.back() != '\n') {
            edited += lineBreak;
        }
        edited += '[';
        edited += section;
        edited += ']';
        edited += lineBreak;
        edited += keyLine;
        edited += lineBreak;
        return edited;
    }

    Line lastContent = header;
    Line line;
    while (reader.Next(line)) {
        if (line.kind == LineKind::Section) {
            break;
        }
        if (line.kind == LineKind::Key && EqualNoCase(line.name, key)) {
            std::string edited(text.substr(0, line.valueBegin));
            if (!line.hasValue) {
                edited += '=';
            }
            edited += value;
            edited += text.substr(line.contentEnd);
            return edited;
        }
        if (line.kind != LineKind::Blank) {
            lastContent = line;
        }
    }

    // Add the key after the last non-blank line of the section.
    std::string edited(text.substr(0, lastContent.next));
    if (lastContent.next == lastContent.end) {
        edited += lineBreak; // that line ended the text without a line break
    }
    edited += keyLine;
    edited += lineBreak;
    edited += text.substr(lastContent.next);
    return edited;
}

} // namespace ini
