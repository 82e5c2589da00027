#include "support/table_layout.h"

#include <algorithm>

namespace {

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The first width characters of text, with '~' in place of the last one
// when text is longer.
std::string CutCell(const std::string& text, std::size_t width) {
    if (CellWidth(text) <= width) {
        return text;
    }
    std::string out;
    std::size_t characters = 0;
    for (const char c : text) {
        if (!IsContinuation(c) && ++characters == width) {
            break;
        }
        out += c;
    }
    return out + '~';
}

} // namespace

std::size_t CellWidth(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuation(c); }));
}

std::string LayoutTable(const TableRows& rows, const std::vector<bool>& shrinkable, std::size_t maxWidth) {
    std::size_t columns = 0;
    for (const auto& row : rows) {
        columns = std::max(columns, row.size());
    }
    std::vector<std::size_t> widths(columns, 0);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], CellWidth(row[i]));
        }
    }
    std::vector<std::size_t> least(columns, 0);
    if (!rows.empty()) {
        for (std::size_t i = 0; i < rows.front().size(); ++i) {
            least[i] = std::max<std::size_t>(CellWidth(rows.front()[i]), 1);
        }
    }
    const auto total = [&] {
        std::size_t sum = columns > 0 ? 2 * (columns - 1) : 0;
        for (const std::size_t width : widths) {
            sum += width;
        }
        return sum;
    };
    while (maxWidth > 0 && total() > maxWidth) {
        std::size_t widest = columns;
        for (std::size_t i = 0; i < columns; ++i) {
            const bool cuttable = i < shrinkable.size() && shrinkable[i] && widths[i] > least[i];
            if (cuttable && (widest == columns || widths[i] > widths[widest])) {
                widest = i;
            }
        }
        if (widest == columns) {
            break; // nothing left to narrow
        }
        --widths[widest];
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            const std::string cell = CutCell(row[i], widths[i]);
            line += cell;
            if (i + 1 < row.size()) {
                line.append(widths[i] - CellWidth(cell) + 2, ' ');
            }
        }
        out += line + '\n';
    }
    return out;
}
