#pragma once
// Rows of cells laid out as a text table for a terminal: columns two spaces
// apart, each as wide as its widest cell. A table wider than the terminal
// it is meant for narrows the columns that may be cut.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

using TableRows = std::vector<std::vector<std::string>>;

// Width of a cell in characters (UTF-8 sequences count one each).
std::size_t CellWidth(std::string_view text);

// The rows (the first is the header) as lines, each ending in '\n'; the last
// column is not padded. With maxWidth > 0, the columns marked in shrinkable
// are narrowed, the widest first and never below their header, until every
// line fits in maxWidth; a cell cut short ends in '~'.
std::string LayoutTable(const TableRows& rows, const std::vector<bool>& shrinkable, std::size_t maxWidth);
