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
// part of valid UTF-8 becomes U+FFFD, control characters (C0, DEL, C1) are
// escaped.
std::string JsonString(std::string_view text);

// One CSV field: quoted (quotes doubled) when it holds a comma, a quote or
// a line break. A field that starts with = + - @, a tab or a carriage
// return is quoted with an apostrophe before it, so that a spreadsheet
// shows it as text instead of running it as a formula.
std::string CsvField(std::string_view text);

// Control characters (C0, DEL and C1) and bytes that are not valid UTF-8
// shown as '?', one for each character or byte: nothing in a cell can steer
// the terminal.
std::string TableCell(std::string_view text);

// Help text wrapped to width columns at spaces. A line too long is broken
// at the last space that fits; its continuation lines start under the
// line's description (the text after a run of two or more spaces, as in
// "  --ip ADDRESS    The device at this address"), or under its first
// character when it has none. A word longer than a line is cut.
std::string WrapText(std::string_view text, std::size_t width);
