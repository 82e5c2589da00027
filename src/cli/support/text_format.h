#pragma once
// How the command line writes texts into its three output formats: table
// cells for a terminal, JSON strings and CSV fields. Device texts are bytes
// exactly as the device sent them; none of them may steer a terminal or
// break a parser downstream.
#include <optional>
#include <string>
#include <string_view>

enum class OutputFormat { Table, Json, Csv };

// "table", "json" or "csv".
std::optional<OutputFormat> ParseOutputFormat(std::string_view name);

// A JSON string with its quotes: valid UTF-8 kept, each byte that is not
// part of valid UTF-8 becomes U+FFFD, control characters are escaped.
std::string JsonString(std::string_view text);

// One CSV field: quoted (quotes doubled) when it holds a comma, a quote or
// a line break.
std::string CsvField(std::string_view text);

// Control characters shown as '?'.
std::string TableCell(std::string_view text);

// Help text wrapped to width columns at spaces. A line too long is broken
// at the last space that fits; its continuation lines start under the
// line's description (the text after a run of two or more spaces, as in
// "  --ip ADDRESS    The device at this address"), or under its first
// character when it has none. A word longer than a line is cut.
std::string WrapText(std::string_view text, std::size_t width);
